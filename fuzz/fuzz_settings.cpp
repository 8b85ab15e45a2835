// A settings file in any state, as the program finds it at start-up: the six reads must give
// values, keep a copy of a file they could not read in full, and leave a file that the next
// start reads back to the same values without a problem to tell.
#include "settings/RegUtils.h"

#include "DamagedSettings.h"
#include "FuzzSupport.h"

#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    vt::fuzz::startQt(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A new name each time: Qt keeps parsed files by name and trusts an unchanged size and time.
    static int run = 0;
    const QString path = vt::fuzz::scratchDir() + QStringLiteral("/settings-%1.ini").arg(++run);
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        file.write(input);
    }

    vt::useSettingsFile(path);
    const vt::test::StartupValues first = vt::test::runStartupReads();
    const bool told = !vt::takeSettingsProblems().isEmpty();
    QFile copy(path + QStringLiteral(".broken"));
    // A copy, when made, holds the file as it was.
    if (copy.exists() && (!copy.open(QIODevice::ReadOnly) || copy.readAll() != input))
        std::abort();

    vt::useSettingsFile(path); // the next start
    const vt::test::StartupValues second = vt::test::runStartupReads();
    const QStringList again = vt::takeSettingsProblems();
    if (!again.isEmpty() || second.flags != first.flags || second.probMatch != first.probMatch ||
        second.pixelMatch != first.pixelMatch || second.vorlanMatch != first.vorlanMatch ||
        second.mapName != first.mapName || second.charRef != first.charRef) {
        std::fprintf(stderr, "second start differs (told first: %d): %s\n", int(told),
                     again.join(QLatin1Char('|')).toLocal8Bit().constData());
        std::abort();
    }
    QFile::remove(path);
    QFile::remove(path + QStringLiteral(".broken"));
    return 0;
}
