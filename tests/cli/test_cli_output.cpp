// What the command line says and writes beyond the conversion itself: only its own messages
// about a grab, a rate only for grabs converted, patterns that would write outside the output
// folder refused, and new files with the permissions the umask leaves.
#include "GrabComposer.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace vt {
namespace {

using test::GrabArt;
using test::GrabMap;

struct CliResult
{
    int exitCode = -1;
    QString err;
};

// Runs the command line; on Unix with `umask` set in its process first (-1: as inherited).
CliResult runCli(const QStringList& arguments, int umask = -1)
{
    QProcess process;
#ifndef _WIN32
    if (umask >= 0)
        process.setChildProcessModifier([umask] { ::umask(mode_t(umask)); });
#else
    (void)umask;
#endif
    process.start(QStringLiteral(VT_CLI_PATH), arguments);
    CliResult run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.err = QString::fromUtf8(process.readAllStandardError());
    (void)process.readAllStandardOutput();
    return run;
}

class CliOutput : public ::testing::Test
{
protected:
    void SetUp() override
    {
        test::writeFile(m_settings, {});
        ASSERT_TRUE(
            test::composeMapView(GrabMap::random(1, 8, 8, 1), GrabArt::shipped(1, 0)).save(m_grab));
        // A PNG that ends inside its header: Qt's PNG plug-in has words of its own for it.
        test::writeFile(m_broken, QByteArray::fromHex("89504E470D0A1A0A0000000D49484452") +
                                      QByteArray(6, '\x01'));
    }

    QStringList arguments(const QStringList& more) const
    {
        return QStringList{QStringLiteral("--settings"), m_settings,           QStringLiteral("-f"),
                           QStringLiteral("csv"),        QStringLiteral("-o"), m_out} +
               more;
    }

    QTemporaryDir m_dir;
    QString m_settings = m_dir.filePath(QStringLiteral("settings.ini"));
    QString m_grab = m_dir.filePath(QStringLiteral("grab.png"));
    QString m_broken = m_dir.filePath(QStringLiteral("broken.png"));
    QString m_out = m_dir.filePath(QStringLiteral("out"));
};

TEST_F(CliOutput, AGrabThatCannotBeReadIsNamedByTheProgramAloneAndGivesNoRate)
{
    // With -q the error is all there is to read; otherwise the progress line names it too.
    for (const QString& option : {QStringLiteral("-q"), QStringLiteral("--json"), QString()}) {
        SCOPED_TRACE(option.toStdString());
        const CliResult run = runCli(
            arguments(option.isEmpty() ? QStringList{m_broken} : QStringList{option, m_broken}));
        EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
        EXPECT_FALSE(run.err.contains(QStringLiteral("libpng"), Qt::CaseInsensitive))
            << run.err.toStdString();
        EXPECT_EQ(run.err.count(QStringLiteral("broken.png")), option == "-q" ? 1 : 2)
            << run.err.toStdString();
        if (option.isEmpty()) {
            EXPECT_TRUE(run.err.contains(QStringLiteral("Converted 0 of 1 grabs")));
            EXPECT_FALSE(run.err.contains(QStringLiteral("grabs/s"))) << run.err.toStdString();
        }
    }
    const CliResult converted = runCli(arguments({m_grab, m_broken}));
    EXPECT_TRUE(converted.err.contains(QStringLiteral("Converted 1 of 2 grabs")));
    EXPECT_TRUE(converted.err.contains(QStringLiteral("grabs/s)"))) << converted.err.toStdString();
}

TEST_F(CliOutput, APatternLeadingOutOfTheOutputFolderIsRefused)
{
    for (const char* pattern : {"../%s", "/tmp/%s"}) {
        SCOPED_TRACE(pattern);
        const CliResult run =
            runCli(arguments({QStringLiteral("-p"), QLatin1String(pattern), m_grab}));
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.contains(QStringLiteral("\"%1\"").arg(QLatin1String(pattern))))
            << run.err.toStdString();
    }
    // The stored pattern alike.
    test::writeFile(m_settings, "[General]\nMapName=../%s\n");
    const CliResult stored = runCli(arguments({m_grab}));
    EXPECT_EQ(stored.exitCode, 2);
    EXPECT_TRUE(stored.err.contains(QStringLiteral("\"../%s\""))) << stored.err.toStdString();
    EXPECT_FALSE(QFile::exists(m_dir.filePath(QStringLiteral("grab.csv"))));
    EXPECT_FALSE(QFile::exists(m_out));
}

#ifndef _WIN32
TEST_F(CliOutput, NewFilesGetWhatTheUmaskLeaves)
{
    for (const auto& [umask, mode] : {std::pair{077, 0600}, std::pair{022, 0644}}) {
        SCOPED_TRACE(testing::Message() << "umask 0" << std::oct << umask);
        const CliResult run = runCli(arguments({QStringLiteral("-q"), m_grab}), umask);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        struct stat status
        {
        };
        const QByteArray csv =
            QFile::encodeName(QDir(m_out).filePath(QStringLiteral("grab-decode.csv")));
        ASSERT_EQ(::stat(csv.constData(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, mode_t(mode));
        QFile::remove(QFile::decodeName(csv));
    }
}
#endif

} // namespace
} // namespace vt
