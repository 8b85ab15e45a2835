// How a save creates its files on Unix, in both ways of writing: through QSaveFile, forced onto
// the disk (the window's saves), and through a temporary file the disk takes at its own pace (a
// run over many grabs, the command line): the permissions the umask leaves, and a folder the
// user may not write that holds a file the user may.
#include "export/FileWrite.h"
#include "export/SaveMap.h"

#include "ExportFixtures.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <cstdlib>

namespace vt {
namespace {

// Only a temporary of the very target, with a writer's process id, is ever taken for one: a
// run removes what this matches.
TEST(SaveFiles, TemporariesAreKnownByTheirTargetAndTheirWritersProcess)
{
    const struct
    {
        const char* name;
        qint64 pid; // -1: not a temporary of "map.csv"
    } cases[] = {
        {"map.csv.4242.k9.tmp", 4242},   {"map.csv.1.a.tmp", 1},
        {"map.csv.k9.tmp", -1},          {"map.csv.4242.tmp", -1},
        {"map.csv.42x.k9.tmp", -1},      {"map.csvx.4242.k9.tmp", -1},
        {"old-map.csv.4242.k9.tmp", -1}, {"map.csv.4242.k9.tmp.bak", -1},
        {"map.csv.4242.K9.tmp", -1},     {"map.csv", -1},
    };
    for (const auto& c : cases) {
        qint64 pid = -1;
        const bool matched = isTemporaryOf(QLatin1String(c.name), QStringLiteral("map.csv"), &pid);
        EXPECT_EQ(matched ? pid : -1, c.pid) << c.name;
    }
}

#ifndef _WIN32

mode_t modeOf(const QString& path)
{
    struct stat status
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 0777 : 0;
}

bool setMode(const QString& path, mode_t mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

// The message of the error that ends a BMP save under `base`; empty when it is written.
QString saveBmp(const QString& base, bool sync)
{
    SaveMapHooks hooks;
    hooks.syncEachFile = sync;
    return test::errorOf([&] {
        SaveMapUnder(test::blocksOf256Colours(), base, SaveChoices{OutputFormat::Bmp}, false, {},
                     hooks);
    });
}

TEST(SaveFiles, NewFilesGetWhatTheUmaskLeavesAndOldOnesKeepTheirs)
{
    const struct
    {
        mode_t umask;
        mode_t created;
    } cases[] = {{022, 0644}, {077, 0600}, {002, 0664}};
    for (const bool sync : {true, false})
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << (sync ? "synced" : "at the disk's pace")
                                            << ", umask 0" << std::oct << c.umask);
            QTemporaryDir dir;
            const QString base = dir.filePath(QStringLiteral("map"));
            const QString file = base + QStringLiteral(".bmp");
            const mode_t previous = ::umask(c.umask);
            const QString created = saveBmp(base, sync);
            const mode_t createdMode = modeOf(file);
            const bool changed = setMode(file, 0640);
            const QString replaced = saveBmp(base, sync);
            ::umask(previous);
            EXPECT_TRUE(created.isEmpty()) << created.toStdString();
            EXPECT_EQ(createdMode, c.created);
            ASSERT_TRUE(changed);
            EXPECT_TRUE(replaced.isEmpty()) << replaced.toStdString();
            EXPECT_EQ(modeOf(file), 0640u);
            EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"map.bmp"});
        }
}

// Permission bits do not stop root (CI runs the tests as root): there the save runs in a child
// process as "nobody".
TEST(SaveFiles, AFolderTheUserMayNotWriteStillTakesAFileTheUserMay)
{
    for (const bool sync : {true, false}) {
        SCOPED_TRACE(sync ? "synced" : "at the disk's pace");
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("maps"));
        const QString old = QDir(folder).filePath(QStringLiteral("old.bmp"));
        ASSERT_TRUE(QDir().mkdir(folder));
        test::writeFile(old, "an old picture");
        ASSERT_TRUE(setMode(dir.path(), 0755) && setMode(old, 0666) && setMode(folder, 0555));

        // The failure, or empty.
        const auto saves = [&]() -> QString {
            const QString written = saveBmp(QDir(folder).filePath(QStringLiteral("old")), sync);
            if (!written.isEmpty())
                return QStringLiteral("old.bmp: ") + written;
            if (!test::readAll(old).startsWith("BM"))
                return QStringLiteral("old.bmp holds what it held");
            // Without a file to write in place, the folder's refusal is the save's error.
            const QString refused = saveBmp(QDir(folder).filePath(QStringLiteral("new")), sync);
            if (!refused.contains(QStringLiteral("new.bmp")))
                return QStringLiteral("new.bmp: \"%1\"").arg(refused);
            return {};
        };
        if (::geteuid() != 0) {
            EXPECT_EQ(saves(), QString());
        } else {
            EXPECT_EXIT(
                {
                    if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
                        std::fputs("cannot become nobody\n", stderr);
                        std::_Exit(2);
                    }
                    const QString failure = saves();
                    std::fputs(failure.toLocal8Bit().constData(), stderr);
                    std::_Exit(failure.isEmpty() ? 0 : 1);
                },
                testing::ExitedWithCode(0), "");
        }
        EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"old.bmp"});
        setMode(folder, 0755);
    }
}

#endif

} // namespace
} // namespace vt
