// The command line against what a hostile machine does to it: a kill in the middle of the
// picture report, the temporaries a kill leaves, a full disk, a special file as its settings
// store, and a grab whose name begins with a dash.
#include "GrabComposer.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifdef __linux__
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstring>

namespace vt {
namespace {

#ifdef __linux__

using test::GrabArt;
using test::GrabMap;

struct CliRun
{
    bool finished = false; // within the time allowed
    bool killed = false;   // ended by a signal
    int exitCode = -1;
    QString err;
};

CliRun runCli(const QStringList& arguments, const QProcessEnvironment& environment,
              int seconds = 60, const QString& folder = {})
{
    QProcess process;
    process.setProcessEnvironment(environment);
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.start(QStringLiteral(VT_CLI_PATH), arguments);
    CliRun run;
    run.finished = process.waitForFinished(seconds * 1000);
    if (!run.finished) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.killed = process.exitStatus() != QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// A process id that no process has now: one of a process that has ended.
qint64 deadProcessId()
{
    QProcess process;
    process.start(QStringLiteral("true"), {});
    process.waitForStarted();
    const qint64 pid = process.processId();
    process.waitForFinished();
    return pid;
}

class CliHard : public ::testing::Test
{
protected:
    void SetUp() override
    {
        test::writeFile(m_settings, {});
        ASSERT_TRUE(QDir().mkpath(m_grabs));
        for (int i = 1; i <= 3; ++i)
            ASSERT_TRUE(
                test::composeMapView(GrabMap::random(1, 8, 8, quint64(i)), GrabArt::shipped(1, 0))
                    .save(QDir(m_grabs).filePath(QStringLiteral("g%1.png").arg(i))));
    }

    QStringList arguments(const QString& out) const
    {
        return {QStringLiteral("--settings"),
                m_settings,
                QStringLiteral("-f"),
                QStringLiteral("csv"),
                QStringLiteral("-j"),
                QStringLiteral("1"),
                QStringLiteral("-o"),
                out,
                QStringLiteral("--report"),
                QDir(out).filePath(QStringLiteral("report.html")),
                m_grabs};
    }

    // A run killed in the middle of writing its third thumbnail (the second grab's).
    CliRun killedRun()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("VT_TEST_KILL_IN_THUMBNAIL"), QStringLiteral("3"));
        return runCli(arguments(m_out), environment);
    }

    QTemporaryDir m_dir;
    QString m_settings = m_dir.filePath(QStringLiteral("settings.ini"));
    QString m_grabs = m_dir.filePath(QStringLiteral("grabs"));
    QString m_out = m_dir.filePath(QStringLiteral("out"));
    QString m_pictures = m_dir.filePath(QStringLiteral("out/report_files"));
};

TEST_F(CliHard, AKillWhileTheReportIsWrittenLeavesNoBrokenPictureAtItsName)
{
    const CliRun run = killedRun();
    ASSERT_TRUE(run.finished && run.killed) << run.err.toStdString();
    const QStringList pictures = QDir(m_pictures).entryList({QStringLiteral("*.png")}, QDir::Files);
    EXPECT_EQ(pictures, (QStringList{"0001-grab.png", "0001-map.png"}));
    for (const QString& name : pictures)
        EXPECT_FALSE(QImage(QDir(m_pictures).filePath(name)).isNull()) << name.toStdString();
    EXPECT_FALSE(QFileInfo::exists(QDir(m_out).filePath(QStringLiteral("report.html"))));
}

TEST_F(CliHard, ARunRemovesTheTemporariesOfItsOutputsThatAKillLeftAndNamesThem)
{
    ASSERT_TRUE(killedRun().killed);
    const QStringList left = QDir(m_pictures).entryList({QStringLiteral("*.tmp")}, QDir::Files);
    EXPECT_EQ(left.size(), 1) << left.join(' ').toStdString();

    // Beside them: a dead process's temporary of an output, a live process's (a second run
    // into the same folder), and a dead process's of a file this run does not write.
    QProcess live;
    live.start(QStringLiteral("sleep"), {QStringLiteral("60")});
    ASSERT_TRUE(live.waitForStarted());
    const qint64 dead = deadProcessId();
    const QString stale = QStringLiteral("g1-decode.csv.%1.a1.tmp").arg(dead);
    const QString busy = QStringLiteral("g2-decode.csv.%1.b2.tmp").arg(live.processId());
    const QString other = QStringLiteral("notes.csv.%1.c3.tmp").arg(dead);
    for (const QString& name : {stale, busy, other})
        test::writeFile(QDir(m_out).filePath(name), "part of a file");

    const CliRun run = runCli(arguments(m_out), QProcessEnvironment::systemEnvironment());
    live.kill();
    live.waitForFinished();
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(QDir(m_pictures).entryList({QStringLiteral("*.tmp")}, QDir::Files).isEmpty());
    EXPECT_EQ(QDir(m_out).entryList({QStringLiteral("*.tmp")}, QDir::Files),
              (QStringList{busy, other}));
    for (const QString& removed : left + QStringList{stale})
        EXPECT_TRUE(run.err.contains(removed)) << run.err.toStdString();
    EXPECT_EQ(QDir(m_pictures).entryList({QStringLiteral("*.png")}, QDir::Files).size(), 6);
}

TEST_F(CliHard, AFullDiskIsToldOnceWithTheSystemsReasonAndNoLibraryLine)
{
    test::ScratchDisk disk(1 << 20, 1000);
    if (!disk.mounted())
        GTEST_SKIP() << disk.why().toStdString();
    disk.fill(16384); // a write that fits in part, then not at all
    const QString noSpace = QString::fromLocal8Bit(std::strerror(ENOSPC));
    const QString out = disk.filePath(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(out) || QFileInfo(out).isDir()) << "no inode for the folder";
    QStringList args = arguments(out);
    args[3] = QStringLiteral("bmp,png,gif");
    const CliRun run = runCli(args, QProcessEnvironment::systemEnvironment());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_FALSE(run.err.contains(QLatin1String("libpng"))) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains(QLatin1String("Unknown error"))) << run.err.toStdString();
    for (int i = 1; i <= 3; ++i) {
        // The first output of each grab fails, and ends its save.
        const QString failure = QStringLiteral("Cannot write \"%1\": %2")
                                    .arg(QDir::toNativeSeparators(QDir(out).filePath(
                                             QStringLiteral("g%1-decode.bmp").arg(i))),
                                         noSpace);
        EXPECT_EQ(run.err.count(failure), 1) << run.err.toStdString();
    }
    const QStringList report = run.err.split(QLatin1Char('\n')).filter(QStringLiteral("report"));
    ASSERT_EQ(report.size(), 1) << run.err.toStdString();
    EXPECT_TRUE(report[0].contains(noSpace)) << report[0].toStdString();
}

TEST_F(CliHard, AGrabNamedWithADashGoesAfterTwoDashesAndTheMessageSaysSo)
{
    ASSERT_TRUE(QFile::copy(QDir(m_grabs).filePath(QStringLiteral("g1.png")),
                            m_dir.filePath(QStringLiteral("-level.png"))));
    const QStringList options{QStringLiteral("--settings"), m_settings,
                              QStringLiteral("-f"),         QStringLiteral("csv"),
                              QStringLiteral("-o"),         m_out};
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const CliRun refused =
        runCli(options + QStringList{QStringLiteral("-level.png")}, environment, 60, m_dir.path());
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("-- -level.png"))) << refused.err.toStdString();
    const CliRun run =
        runCli(options + QStringList{QStringLiteral("--"), QStringLiteral("-level.png")},
               environment, 60, m_dir.path());
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(QDir(m_out).filePath(QStringLiteral("-level-decode.csv"))));
}

// The user's store (and --settings) as a pipe, as a link to an endless device, as a huge file:
// the run starts at once with the defaults and says so once; the store is left as it was.
TEST_F(CliHard, ASettingsStoreThatIsNoPlainSmallFileIsNotReadAndTheRunGoesOn)
{
    const QString config = m_dir.filePath(QStringLiteral("config"));
    const QString store = config + QStringLiteral("/Tamsel Software/Vorlan/Tesselor.conf");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), m_dir.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    const QStringList kinds{QStringLiteral("pipe"), QStringLiteral("endless"),
                            QStringLiteral("huge")};
    for (const QString& kind : kinds)
        for (const bool given : {false, true}) {
            SCOPED_TRACE(testing::Message() << kind.toStdString() << (given ? ", --settings" : ""));
            QDir(config).removeRecursively();
            ASSERT_TRUE(QDir().mkpath(QFileInfo(store).path()));
            const QByteArray path = QFile::encodeName(store);
            if (kind == QLatin1String("pipe"))
                ASSERT_EQ(::mkfifo(path.constData(), 0644), 0);
            else if (kind == QLatin1String("endless"))
                ASSERT_EQ(::symlink("/dev/zero", path.constData()), 0);
            else
                test::writeFile(store,
                                "[General]\nProbMatch=50\n" + QByteArray((1 << 20) + 10, ';'));
            const QDateTime before = QFileInfo(store).lastModified();
            QStringList args{QStringLiteral("-f"), QStringLiteral("csv"), QStringLiteral("-o"),
                             m_out, QDir(m_grabs).filePath(QStringLiteral("g1.png"))};
            if (given)
                args = QStringList{QStringLiteral("--settings"), store} + args;
            const CliRun run = runCli(args, environment, 20);
            ASSERT_TRUE(run.finished) << "still running after 20 s";
            EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
            EXPECT_EQ(run.err.count(QDir::toNativeSeparators(store)), 1) << run.err.toStdString();
            EXPECT_TRUE(run.err.contains(QStringLiteral("default"))) << run.err.toStdString();
            EXPECT_EQ(QFileInfo(store).lastModified(), before);
            EXPECT_EQ(QDir(QFileInfo(store).path()).entryList(QDir::Files | QDir::System).size(),
                      1);
        }
}

#endif

} // namespace
} // namespace vt
