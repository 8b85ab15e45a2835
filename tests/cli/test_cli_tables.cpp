// Tables named on the command line: opened as the program wrote them and written in the other
// outputs, the table itself the same bytes again; a table in a folder is passed over.
#include "export/MapTable.h"

#include "GrabComposer.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vt {
namespace {

using test::GrabArt;
using test::GrabMap;

struct TableRun
{
    int exitCode = -1;
    QString err;
};

TableRun runTables(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(VT_CLI_PATH), arguments);
    TableRun run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.err = QString::fromUtf8(process.readAllStandardError());
    (void)process.readAllStandardOutput();
    return run;
}

class CliTables : public ::testing::Test
{
protected:
    void SetUp() override { test::writeFile(m_settings, {}); }

    QStringList arguments(const QString& out, const QStringList& more) const
    {
        return QStringList{QStringLiteral("--settings"), m_settings,           QStringLiteral("-p"),
                           QStringLiteral("%s"),         QStringLiteral("-o"), out} +
               more;
    }

    // A grab of `game` with cells that match nothing and, in the second game, the looks of
    // the egg and the key whose game codes the plain ones share.
    QString grab(int game) const
    {
        const int side = game == 0 ? 32 : 16;
        GrabMap map = GrabMap::random(game, side, side, 21);
        map.set(1, 1, -1);
        if (game == 1) {
            map.set(4, 4, 33);
            map.set(5, 4, 34);
        }
        const QString path = m_dir.filePath(QStringLiteral("grab.png"));
        EXPECT_TRUE(test::composeMapView(map, GrabArt::shipped(game, 1)).save(path));
        return path;
    }

    QTemporaryDir m_dir;
    QString m_settings = m_dir.filePath(QStringLiteral("settings.ini"));
};

TEST_F(CliTables, EachTableWritesTheOtherOutputsAndItselfTheSameInEveryModeAndGame)
{
    const QString formats = QStringLiteral("csv,tmx,json,png");
    const QStringList tables{QStringLiteral("csv"), QStringLiteral("tmx"), QStringLiteral("json")};
    for (const QString& mode : {QStringLiteral("atlas"), QStringLiteral("pc")})
        for (const int game : {0, 1}) {
            SCOPED_TRACE(mode.toStdString() + " game " + std::to_string(game));
            const QString first = m_dir.filePath(QStringLiteral("first-%1-%2").arg(mode).arg(game));
            TableRun run =
                runTables(arguments(first, {QStringLiteral("-f"), formats,
                                            QStringLiteral("--csv-codes"), mode, grab(game)}));
            ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
            for (const QString& from : tables) {
                SCOPED_TRACE(from.toStdString());
                const QString out = first + QStringLiteral("-from-") + from;
                QStringList more{QStringLiteral("-f"), formats, QStringLiteral("--char-ref"), mode,
                                 first + QStringLiteral("/grab.") + from};
                if (from == QLatin1String("csv"))
                    more << QStringLiteral("--game") << QString::number(game + 1);
                run = runTables(arguments(out, more));
                ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
                EXPECT_FALSE(run.err.contains(QStringLiteral("warning"))) << run.err.toStdString();
                // The game's own codes name the looks of the egg and the key alike: a table of
                // them gives those cells the plain looks in the Tiled maps.
                const bool ambiguous =
                    from == QLatin1String("csv") && mode == QLatin1String("pc") && game == 1;
                for (const QString& to : tables) {
                    if (to == from || !ambiguous) {
                        EXPECT_EQ(test::readAll(out + QStringLiteral("/grab.") + to),
                                  test::readAll(first + QStringLiteral("/grab.") + to))
                            << to.toStdString();
                    }
                }
                EXPECT_EQ(QImage(out + QStringLiteral("/grab.png")).size(),
                          QImage(first + QStringLiteral("/grab.png")).size());
            }
        }
}

TEST_F(CliTables, ATableThatCannotBeOpenedFailsWithTheReasonAndAFoldersTablesArePassedOver)
{
    const QString out = m_dir.filePath(QStringLiteral("out"));
    const QString table = m_dir.filePath(QStringLiteral("t.csv"));
    test::writeFile(table, "Blue\r\n0,99\r\n1,2\r\n");

    TableRun run = runTables(arguments(out, {QStringLiteral("-f"), QStringLiteral("png"), table}));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("--game 1 or --game 2"))) << run.err.toStdString();

    run = runTables(arguments(out, {QStringLiteral("-f"), QStringLiteral("png"),
                                    QStringLiteral("--game"), QStringLiteral("1"), table}));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("row 1, column 2 holds \"99\"")))
        << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(out + QStringLiteral("/t.png")));

    // The same table in a folder beside a grab is no input of the run.
    const QString folder = m_dir.filePath(QStringLiteral("folder"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::copy(table, folder + QStringLiteral("/t.csv")));
    ASSERT_TRUE(QFile::rename(grab(0), folder + QStringLiteral("/grab.png")));
    run = runTables(arguments(out, {QStringLiteral("-f"), QStringLiteral("png"),
                                    QStringLiteral("--game"), QStringLiteral("1"), folder}));
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("1 file passed over"))) << run.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(out + QStringLiteral("/grab.png")));
    EXPECT_FALSE(QFileInfo::exists(out + QStringLiteral("/t.png")));
}

} // namespace
} // namespace vt
