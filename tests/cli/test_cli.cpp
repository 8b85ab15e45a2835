// The command-line converter against the window's bulk conversion over the same folder, with
// the same preferences: the same files, byte for byte, whatever the number of jobs.
#include "app/AppVersion.h"
#include "app/MainForm.h"
#include "charsets/Atlas.h"
#include "export/BulkConvForm.h"
#include "export/ImageWriters.h"
#include "pictures/BmpByteImage.h"
#include "pictures/PictureArea.h"
#include "settings/RegUtils.h"

#include "GrabComposer.h"
#include "LiteralCompare.h"
#include "ReportPage.h"
#include "TestSupport.h"
#include "UiSupport.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>

namespace vt {
namespace {

using test::GrabArt;
using test::GrabMap;

struct CliRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

CliRun runCli(const QStringList& arguments,
              const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(VT_CLI_PATH), arguments);
    CliRun run;
    if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

void save(const QImage& picture, const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    if (path.endsWith(QStringLiteral(".gif")))
        writeGif(picture, file);
    else
        ASSERT_TRUE(picture.save(&file, nullptr));
}

QImage windowGrab(test::WindowLayout layout, int game, int colour, int size, quint64 seed)
{
    test::WindowPlacement placement;
    placement.layout = layout;
    placement.game = game;
    placement.windowAt = QPoint(40, 30);
    return test::composeWindow(GrabMap::random(game, size, size, seed),
                               GrabArt::shipped(game, colour), placement)
        .image;
}

// One folder of grabs converted three times: by the window, and by the command line with one
// job and with two. The names are in run order: each grab meets the state the ones before it
// leave.
class CliVersusWindow : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        QDir root(s_dir->path());
        for (const char* folder : {"in", "window", "cli1", "cli2"})
            root.mkdir(QLatin1String(folder));
        const QString in = root.filePath(QStringLiteral("in"));
        const auto at = [&](const char* name) { return QDir(in).filePath(QLatin1String(name)); };

        QImage odd(200, 150, QImage::Format_RGB32);
        odd.fill(QColor(0, 0, 153));
        QImage plainWindow(800, 600, QImage::Format_RGB32);
        plainWindow.fill(Qt::gray);
        QFile notes(at("a-notes.txt"));
        ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
        notes.write("not a picture\n");
        notes.close();
        // Unrecognised before any grab was: nothing decoded.
        save(odd, at("b-odd.png"));
        // 16 x 16: the second game, which the 32 x 32 grab after it keeps.
        save(test::composeMapView(GrabMap::random(1, 16, 16, 1), GrabArt::shipped(1, 1)),
             at("c-small.png"));
        save(test::composeMapView(GrabMap::random(1, 32, 32, 2), GrabArt::shipped(1, 2)),
             at("d-full.gif"));
        QFile broken(at("e-broken.png"));
        ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
        broken.write(QByteArray::fromHex("89504E470D0A1A0A0000000D49484452") + QByteArray(64, 7));
        broken.close();
        save(windowGrab(test::WindowLayout::A, 0, 4, 32, 3), at("f-window-a.png"));
        // Unrecognised after a grab was: decoded on the fallback grid with the first game.
        save(odd, at("g-odd.bmp"));
        save(windowGrab(test::WindowLayout::B, 1, 5, 24, 4), at("h-window-b.png"));
        save(test::composeMapView(GrabMap::random(1, 8, 8, 5), GrabArt::shipped(1, 3)),
             at("i-tiny.png"));
        // The first game's art at 32 x 32, after grabs of the second game: its cells tell the
        // first game, in the window as on the command line.
        save(test::composeMapView(GrabMap::random(0, 32, 32, 6), GrabArt::shipped(0, 0)),
             at("j-full-first.png"));
        save(plainWindow, at("k-no-window.png"));

        // The preferences both read: PC references in the table, a stricter match.
        test::SettingsSandbox::clear();
        SetRegInteger(reg::CharRef, 1);
        SetRegInteger(reg::ProbMatch, 92);
        {
            test::StartedApp app;
            TBulkConvForm* bulk = app.forms().BulkConvForm;
            app.prompts().folders = {in, root.filePath(QStringLiteral("window"))};
            bulk->sb_source->click();
            bulk->sb_dest->click();
            bulk->ed_filename->setText(QStringLiteral("%s-%g"));
            for (QCheckBox* box : {bulk->cb_SaveBMP, bulk->cb_SaveGIF, bulk->cb_SavePNG,
                                   bulk->cb_SaveJPG, bulk->cb_SaveCSV})
                box->setChecked(true);
            QTimer::singleShot(0, bulk->Execute, &QPushButton::click);
            app.main().ui.sb_bulkconvert->click();
            s_windowErrors = new QStringList(app.prompts().errors);
        }
        const QString settings = OpenReg()->fileName();
        s_cli1 =
            new CliRun(runCli({QStringLiteral("--settings"), settings, QStringLiteral("-o"),
                               root.filePath(QStringLiteral("cli1")), QStringLiteral("-j1"), in}));
        s_cli2 = new CliRun(
            runCli({QStringLiteral("--settings"), settings, QStringLiteral("-o"),
                    root.filePath(QStringLiteral("cli2")), QStringLiteral("--jobs"),
                    QStringLiteral("2"), QStringLiteral("--json"), QStringLiteral("--report"),
                    root.filePath(QStringLiteral("cli2 report.html")), in}));
    }
    static void TearDownTestSuite()
    {
        delete s_cli1;
        delete s_cli2;
        delete s_windowErrors;
        delete s_dir;
        test::SettingsSandbox::clear();
    }

    static QString folder(const char* name)
    {
        return QDir(s_dir->path()).filePath(QLatin1String(name));
    }
    static std::map<QString, QByteArray> contents(const char* name)
    {
        std::map<QString, QByteArray> files;
        const QDir dir(folder(name));
        for (const QString& file : dir.entryList(QDir::Files)) {
            QFile f(dir.filePath(file));
            EXPECT_TRUE(f.open(QIODevice::ReadOnly));
            files[file] = f.readAll();
        }
        return files;
    }

    static QTemporaryDir* s_dir;
    static QStringList* s_windowErrors;
    static CliRun* s_cli1;
    static CliRun* s_cli2;
};

QTemporaryDir* CliVersusWindow::s_dir = nullptr;
QStringList* CliVersusWindow::s_windowErrors = nullptr;
CliRun* CliVersusWindow::s_cli1 = nullptr;
CliRun* CliVersusWindow::s_cli2 = nullptr;

TEST_F(CliVersusWindow, OutputsAreTheWindowsByteForByteWhateverTheJobs)
{
    const auto window = contents("window");
    QStringList names;
    for (const auto& [name, bytes] : window)
        names.append(name);
    // Seven grabs decoded, five outputs each; the names carry the game each grab was decoded as.
    EXPECT_EQ(names.size(), 35) << names.join(QLatin1Char(' ')).toStdString();
    for (const char* expected : {"c-small-2.csv", "d-full-2.csv", "f-window-a-1.csv", "g-odd-1.csv",
                                 "h-window-b-2.csv", "i-tiny-2.csv", "j-full-first-1.csv"})
        EXPECT_TRUE(window.count(QLatin1String(expected))) << expected;

    // The command line writes nothing for the grab in which no map was found.
    QStringList found;
    for (const QString& name : names)
        if (!name.startsWith(QLatin1String("g-odd-1.")))
            found.append(name);
    ASSERT_EQ(found.size(), 30);
    for (const char* run : {"cli1", "cli2"}) {
        const auto cli = contents(run);
        QStringList cliNames;
        for (const auto& [name, bytes] : cli)
            cliNames.append(name);
        EXPECT_EQ(cliNames, found) << run;
        for (const QString& name : found)
            EXPECT_TRUE(cli.count(name) && cli.at(name) == window.at(name))
                << run << ": " << name.toStdString() << " differs";
    }
}

TEST_F(CliVersusWindow, FailedGrabsAreNamedAndSetTheExitStatus)
{
    ASSERT_EQ(s_windowErrors->size(), 1);
    EXPECT_TRUE(s_windowErrors->at(0).contains(QStringLiteral("e-broken.png")));
    for (const CliRun* run : {s_cli1, s_cli2}) {
        EXPECT_EQ(run->exitCode, 1) << run->err.toStdString();
        for (const char* name : {"b-odd.png", "e-broken.png", "g-odd.bmp", "k-no-window.png"})
            EXPECT_TRUE(run->err.contains(QLatin1String(name))) << name;
        // Not recognised, before and after a recognised grab alike: no map found, nothing written.
        EXPECT_TRUE(run->err.contains(QStringLiteral("\"%1\": no map found")
                                          .arg(QDir::toNativeSeparators(folder("in") +
                                                                        QStringLiteral("/g-odd.bmp")))))
            << run->err.toStdString();
        EXPECT_TRUE(run->err.contains(
            QStringLiteral("Converted 6 of 10 grabs into %1")
                .arg(QDir::toNativeSeparators(folder(run == s_cli1 ? "cli1" : "cli2")))))
            << run->err.toStdString();
        EXPECT_TRUE(run->err.contains(QStringLiteral("4 failed; 1 file passed over")));
    }
    EXPECT_TRUE(s_cli1->out.isEmpty());
}

TEST_F(CliVersusWindow, JsonLinesCarryEachGrabsResultInRunOrder)
{
    const QStringList lines = s_cli2->out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 11);
    std::map<QString, QJsonObject> byName;
    QStringList order;
    for (const QString& line : lines) {
        QJsonParseError error;
        const QJsonObject object = QJsonDocument::fromJson(line.toUtf8(), &error).object();
        ASSERT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
        const QString name = QFileInfo(object.value("input").toString()).fileName();
        order.append(name);
        byName[name] = object;
    }
    EXPECT_EQ(order, QDir(folder("in")).entryList(QDir::Files, QDir::Name));

    const QJsonObject small = byName["c-small.png"];
    EXPECT_EQ(small.value("status").toString(), QStringLiteral("converted"));
    EXPECT_EQ(small.value("game").toInt(), 2);
    EXPECT_EQ(small.value("scheme").toString(), QStringLiteral("Cyan"));
    EXPECT_EQ(small.value("grid").toObject(),
              (QJsonObject{{"columns", 16}, {"rows", 16}, {"originx", 0}, {"originy", 0}}));
    EXPECT_EQ(small.value("errors").toInt(-1), 0);
    EXPECT_EQ(small.value("accuracy").toInt(), 100);
    QStringList outputs;
    for (const QJsonValue& output : small.value("outputs").toArray())
        outputs.append(QFileInfo(output.toString()).fileName());
    EXPECT_EQ(outputs, (QStringList{"c-small-2.bmp", "c-small-2.png", "c-small-2.gif",
                                    "c-small-2.jpeg", "c-small-2.csv"}));
    EXPECT_FALSE(small.contains("error"));

    const QJsonObject window = byName["h-window-b.png"];
    EXPECT_EQ(window.value("scheme").toString(), QStringLiteral("Red"));
    EXPECT_EQ(window.value("grid").toObject().value("columns").toInt(), 24);
    EXPECT_GT(window.value("grid").toObject().value("originx").toInt(), 0);

    const QJsonObject broken = byName["e-broken.png"];
    EXPECT_EQ(broken.value("status").toString(), QStringLiteral("failed"));
    EXPECT_TRUE(broken.value("error").toString().contains(QStringLiteral("e-broken.png")));
    EXPECT_FALSE(broken.contains("game"));
    EXPECT_EQ(byName["a-notes.txt"].value("status").toString(), QStringLiteral("skipped"));
    EXPECT_EQ(byName["k-no-window.png"].value("status").toString(), QStringLiteral("failed"));
    EXPECT_TRUE(byName["k-no-window.png"].value("outputs").toArray().isEmpty());
}

// `check` names the cells to check of each map, [column, row] in reading order, unmatched cells
// among them; the summary counts them all, and the picture report shows every grab.
TEST_F(CliVersusWindow, TheCellsToCheckAreNamedCountedAndShownInThePictureReport)
{
    int total = 0;
    for (const QString& line : s_cli2->out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QJsonObject object = QJsonDocument::fromJson(line.toUtf8()).object();
        const QString name = QFileInfo(object.value("input").toString()).fileName();
        SCOPED_TRACE(name.toStdString());
        if (object.value("status").toString() != QLatin1String("converted")) {
            EXPECT_FALSE(object.contains("check"));
            continue;
        }
        const QJsonObject grid = object.value("grid").toObject();
        const int columns = grid.value("columns").toInt();
        const QJsonArray check = object.value("check").toArray();
        int last = -1;
        for (const QJsonValue& cell : check) {
            const QJsonArray at = cell.toArray();
            ASSERT_EQ(at.size(), 2);
            const int column = at[0].toInt(-1), row = at[1].toInt(-1);
            ASSERT_TRUE(column >= 0 && column < columns && row >= 0 &&
                        row < grid.value("rows").toInt());
            ASSERT_GT(row * columns + column, last); // reading order, no cell twice
            last = row * columns + column;
        }
        EXPECT_GE(check.size(), object.value("errors").toInt());
        total += int(check.size());
    }
    for (const CliRun* run : {s_cli1, s_cli2})
        EXPECT_TRUE(run->err.contains(QStringLiteral(", %1 cells to check;").arg(total)))
            << run->err.toStdString();

    const QString report = QDir(s_dir->path()).filePath(QStringLiteral("cli2 report.html"));
    EXPECT_TRUE(s_cli2->err.contains(QDir::toNativeSeparators(report)))
        << s_cli2->err.toStdString();
    const QString html = QString::fromUtf8(test::readAll(report));
    for (const QString& name : QDir(folder("in")).entryList(QDir::Files))
        EXPECT_TRUE(html.contains(name.toHtmlEscaped())) << name.toStdString();
    EXPECT_TRUE(html.contains(QStringLiteral("6 of 10 converted, 4 failed, 1 file passed over")));
    EXPECT_EQ(test::brokenLinks(report), QStringList());
}

TEST(CliJson, CheckNamesTheCellsThatMatchedNothing)
{
    QTemporaryDir dir;
    GrabMap map = GrabMap::random(0, 32, 32, 8);
    map.set(4, 2, -1);
    map.set(20, 9, -1);
    const QString grab = dir.filePath(QStringLiteral("g.png"));
    ASSERT_TRUE(test::composeMapView(map, GrabArt::shipped(0, 0)).save(grab));
    test::SettingsSandbox::clear();
    SetRegInteger(reg::ProbMatch, 88); // the file must exist
    const CliRun run = runCli({QStringLiteral("--settings"), OpenReg()->fileName(),
                               QStringLiteral("--json"), QStringLiteral("-o"), dir.path(), grab});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject object = QJsonDocument::fromJson(run.out.toUtf8()).object();
    EXPECT_EQ(object.value("errors").toInt(), 2);
    EXPECT_EQ(object.value("check").toArray(), (QJsonArray{QJsonArray{4, 2}, QJsonArray{20, 9}}));
    EXPECT_TRUE(run.err.contains(QStringLiteral(", 2 cells to check."))) << run.err.toStdString();

    // For each cell to check, in its order, the three characters most like it, best first:
    // [index, score] as the comparison written out literally scores the cell.
    GrabSession session;
    session.loadFile(grab);
    const std::vector<QImage> characters = loadCharacters(session.game, session.colour, false);
    QJsonArray expected;
    for (const QPoint cell : {QPoint(4, 2), QPoint(20, 9)}) {
        const QByteArray bytes =
            ExtractPictureArea(session.working, cellRect(session.grid, cell.x(), cell.y()));
        std::vector<std::pair<int, int>> ranked; // score, index
        for (int k = 0; k < int(characters.size()); ++k) {
            int ignored = 0;
            ranked.emplace_back(
                -test::literal::compareBitmaps({bmpByteImage(characters[std::size_t(k)])}, bytes,
                                               ignored, 16, 15),
                k);
        }
        std::sort(ranked.begin(), ranked.end());
        QJsonArray best;
        for (std::size_t i = 0; i < 3; ++i)
            best.append(QJsonArray{ranked[i].second, -ranked[i].first});
        expected.append(best);
    }
    EXPECT_EQ(object.value("candidates").toArray(), expected);
}

TEST(CliUsage, BadArgumentsExitWithTwoAndSayWhy)
{
    QTemporaryDir dir;
    const QString grab = dir.filePath(QStringLiteral("g.png"));
    const struct
    {
        QStringList arguments;
        const char* says;
    } cases[] = {
        {{}, "no grab"},
        {{"--bogus", grab}, "bogus"},
        {{"--game", "3", grab}, "--game"},
        {{"--colour", "purple", grab}, "--colour"},
        {{"-f", "bmp,tiff", grab}, "tiff"},
        {{"--char-match", "101", grab}, "--char-match"},
        {{"-j", "0", grab}, "--jobs"},
        {{"--csv-codes", "hex", grab}, "--csv-codes"},
        {{"--unknown", "blank", grab}, "--unknown"},
        {{"--settings", dir.filePath(QStringLiteral("none.ini")), grab}, "none.ini"},
        {{"--report", "", grab}, "--report"},
    };
    for (const auto& c : cases) {
        const CliRun run = runCli(c.arguments);
        EXPECT_EQ(run.exitCode, 2) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(QLatin1String(c.says))) << run.err.toStdString();
    }

    const CliRun version = runCli({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.contains(AppVersion())) << version.out.toStdString();
    EXPECT_EQ(runCli({QStringLiteral("--help")}).exitCode, 0);
}

TEST(CliSettings, ReadingTheUsersStoreWritesNothing)
{
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    const QString grab = home.filePath(QStringLiteral("g.png"));
    ASSERT_TRUE(
        test::composeMapView(GrabMap::random(1, 8, 8, 1), GrabArt::shipped(1, 0)).save(grab));

    const CliRun run = runCli(
        {QStringLiteral("-q"), QStringLiteral("-o"), home.filePath(QStringLiteral("out")), grab},
        environment);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    // The stored defaults: BMP and CSV under "%s-decode".
    EXPECT_EQ(QDir(home.filePath(QStringLiteral("out"))).entryList(QDir::Files),
              (QStringList{QStringLiteral("g-decode.bmp"), QStringLiteral("g-decode.csv")}));
    EXPECT_FALSE(QFileInfo::exists(home.filePath(QStringLiteral("config"))));
}

} // namespace
} // namespace vt
