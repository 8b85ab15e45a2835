// Bulk conversion through the real dialog and handler.
#include "app/Controls.h"
#include "app/MainForm.h"
#include "charsets/ColourSelector.h"
#include "export/BulkConvForm.h"
#include "export/BulkConvert.h"
#include "export/ImageWriters.h"
#include "session/BulkReport.h"
#include "settings/RegUtils.h"

#include "GrabComposer.h"
#include "ReportPage.h"
#include "TestSupport.h"
#include "UiSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace vt {
namespace {

using test::GrabArt;
using test::GrabMap;

TEST(BulkPattern, PlaceholdersAreReplacedInOrderWithoutRegardToCase)
{
    const struct
    {
        const char *pattern, *grab;
        int game;
        const char* result;
    } cases[] = {
        {"%s-decode", "level1.png", 1, "level1-decode"},
        {"map%g_%S", "L7.gif", 2, "map2_L7"},
        {"100%%", "a.png", 1, "100%"},
        {"%%s", "level1.png", 1, "level1"},
        {"%%g%G", "a.png", 2, "22"},
        {"", "level1.png", 1, ""},
        {"%s-decode", "grab.001.png", 1, "grab.001-decode"},
        {"%s", "/some/folder.x/name", 1, "name"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(expandPattern(QLatin1String(c.pattern), c.game, QLatin1String(c.grab)),
                  QLatin1String(c.result))
            << c.pattern << " " << c.grab;
}

// "/" and "\\" separate folders on every platform; only what names a folder counts, the last
// part being the start of a file name.
TEST(BulkPattern, APatternLeadingOutOfTheDestinationIsRefused)
{
    const struct
    {
        const char* pattern;
        const char* refusal; // empty: allowed
    } cases[] = {
        {"%s-decode", ""},
        {"maps/%s", ""},
        {"a/../%s", ""},
        {"./%s", ""},
        {"..", ""}, // "...bmp", in the folder
        {"..%s", ""},
        {"../x", "leads out"},
        {"..\\x", "leads out"},
        {"a/../../%s", "leads out"},
        {"%s/../../%s", "leads out"},
        {"%%s/../../x", "leads out"},
        {"/tmp/%s", "absolute"},
        {"\\\\server\\share\\%s", "absolute"},
        {"C:%s", "drive"},
        {"c:\\maps\\%s", "drive"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        const QString refusal = patternLeavesFolder(QString::fromUtf8(c.pattern));
        if (*c.refusal == 0) {
            EXPECT_TRUE(refusal.isEmpty()) << refusal.toStdString();
            continue;
        }
        EXPECT_TRUE(refusal.contains(QLatin1String(c.refusal))) << refusal.toStdString();
        EXPECT_TRUE(refusal.contains(QString::fromUtf8(c.pattern))) << refusal.toStdString();
    }
}

class BulkTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        test::SettingsSandbox::clear();
        QDir root(m_dir.path());
        root.mkdir(QStringLiteral("in"));
        root.mkdir(QStringLiteral("out"));
        source = root.filePath(QStringLiteral("in"));
        dest = root.filePath(QStringLiteral("out"));
    }

    void addGrab(const QString& name, int game, int columns, quint64 seed)
    {
        const QImage grab = test::composeMapView(GrabMap::random(game, columns, columns, seed),
                                                 GrabArt::shipped(game, 1));
        QFile file(QDir(source).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const bool gif = name.endsWith(QStringLiteral(".gif"));
        if (gif)
            writeGif(grab, file);
        else
            ASSERT_TRUE(grab.save(&file, "PNG"));
    }

    void addFile(const QString& name, const QByteArray& bytes)
    {
        QFile file(QDir(source).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // Runs the bulk command as the user would: the dialog's folders and choices, then Execute.
    static void run(test::StartedApp& app, const QString& from, const QString& to,
                    const QString& pattern, std::initializer_list<QCheckBox*> ticks)
    {
        TBulkConvForm* bulk = app.forms().BulkConvForm;
        app.prompts().folders = {from, to};
        bulk->sb_source->click();
        bulk->sb_dest->click();
        bulk->ed_filename->setText(pattern);
        for (QCheckBox* box : {bulk->cb_SaveBMP, bulk->cb_SaveGIF, bulk->cb_SavePNG,
                               bulk->cb_SaveJPG, bulk->cb_SaveCSV})
            box->setChecked(std::find(ticks.begin(), ticks.end(), box) != ticks.end());
        QTimer::singleShot(0, bulk->Execute, &QPushButton::click);
        app.main().ui.sb_bulkconvert->click();
    }

    QStringList outputs() const
    {
        return QDir(dest).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    QTemporaryDir m_dir;
    QString source;
    QString dest;
};

TEST_F(BulkTest, EveryGrabOfTheFolderIsConvertedUnderThePattern)
{
    addGrab(QStringLiteral("L7.gif"), 1, 16, 2);
    // A 32 x 32 map view does not tell its game: it keeps the one selected, here the second.
    addGrab(QStringLiteral("zeta.png"), 1, 32, 1);
    addGrab(QStringLiteral("grab.001.png"), 1, 24, 3);
    addGrab(QStringLiteral("grab.002.png"), 1, 24, 4);
    addFile(QStringLiteral("notes.txt"), "just words");
    QDir(source).mkdir(QStringLiteral("sub"));
    addGrab(QStringLiteral("sub/inner.png"), 0, 32, 5);

    test::StartedApp app;
    TBulkConvForm* bulk = app.forms().BulkConvForm;
    run(app, source, dest, QStringLiteral("map%g_%S"), {bulk->cb_SaveBMP, bulk->cb_SaveCSV});

    EXPECT_EQ(outputs(), (QStringList{
                             QStringLiteral("map2_L7.bmp"),
                             QStringLiteral("map2_L7.csv"),
                             QStringLiteral("map2_grab.001.bmp"),
                             QStringLiteral("map2_grab.001.csv"),
                             QStringLiteral("map2_grab.002.bmp"),
                             QStringLiteral("map2_grab.002.csv"),
                             QStringLiteral("map2_zeta.bmp"),
                             QStringLiteral("map2_zeta.csv"),
                         }));
    EXPECT_TRUE(app.prompts().errors.isEmpty()) << app.prompts().errors.join(';').toStdString();

    // The table reads back as the map that was drawn.
    QFile table(QDir(dest).filePath(QStringLiteral("map2_L7.csv")));
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    QString scheme;
    const auto read = GrabMap::fromCsv(QString::fromLatin1(table.readAll()), nullptr, &scheme);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->cells, GrabMap::random(1, 16, 16, 2).cells);
    EXPECT_EQ(scheme, QStringLiteral("Cyan"));
    EXPECT_EQ(QImage(QDir(dest).filePath(QStringLiteral("map2_L7.bmp"))).size(), QSize(1024, 1024));

    // The window is reset at the end, and the pattern is stored.
    EXPECT_FALSE(app.main().ui.sb_DecodeStart->isEnabled());
    EXPECT_FALSE(app.main().ui.sb_SaveMap->isEnabled());
    EXPECT_TRUE(app.main().ui.img_ScreenGrab->picture().isNull());
    EXPECT_EQ(OpenReg()->value(reg::MapName).toString(), QStringLiteral("map%g_%S"));
}

TEST_F(BulkTest, APatternLeadingOutOfTheDestinationConvertsNothingAndSaysWhy)
{
    addGrab(QStringLiteral("a.png"), 0, 32, 1);
    test::StartedApp app;
    run(app, source, dest, QStringLiteral("../%s"), {app.forms().BulkConvForm->cb_SaveCSV});
    ASSERT_EQ(app.prompts().errors.size(), 1);
    EXPECT_TRUE(app.prompts().errors[0].contains(QStringLiteral("\"../%s\"")))
        << app.prompts().errors[0].toStdString();
    EXPECT_TRUE(outputs().isEmpty());
    EXPECT_FALSE(QFile::exists(m_dir.filePath(QStringLiteral("a.csv"))));
    EXPECT_TRUE(app.main().ui.lb_filename->text().isEmpty()); // no grab was loaded
}

TEST_F(BulkTest, ABrokenGrabIsPassedOverAndReportedAtTheEnd)
{
    addGrab(QStringLiteral("a.png"), 0, 32, 1);
    addFile(QStringLiteral("b.png"),
            QByteArray::fromHex("89504E470D0A1A0A0000000D49484452") + QByteArray(64, '\x07'));
    addGrab(QStringLiteral("c.png"), 0, 32, 2);

    test::StartedApp app;
    run(app, source, dest, QStringLiteral("%s"), {app.forms().BulkConvForm->cb_SaveCSV});
    EXPECT_EQ(outputs(), (QStringList{QStringLiteral("a.csv"), QStringLiteral("c.csv")}));
    ASSERT_EQ(app.prompts().errors.size(), 1);
    EXPECT_TRUE(app.prompts().errors[0].contains(QStringLiteral("b.png")));
}

// A window-sized grab without a game window loads but gives no map: the report names it and
// says why, as the command line does, and the status line counts it.
TEST_F(BulkTest, AGrabThatGivesNoMapIsNamedInTheReport)
{
    addGrab(QStringLiteral("a.png"), 0, 32, 1);
    QImage desktop(800, 600, QImage::Format_RGB32);
    desktop.fill(QColor(40, 90, 140));
    ASSERT_TRUE(desktop.save(QDir(source).filePath(QStringLiteral("b.png"))));
    addGrab(QStringLiteral("c.png"), 0, 32, 2);

    test::StartedApp app;
    run(app, source, dest, QStringLiteral("%s"), {app.forms().BulkConvForm->cb_SaveCSV});
    EXPECT_EQ(outputs(), (QStringList{QStringLiteral("a.csv"), QStringLiteral("c.csv")}));
    ASSERT_EQ(app.prompts().errors.size(), 1);
    const QString& report = app.prompts().errors[0];
    EXPECT_TRUE(report.contains(QStringLiteral("b.png\" is the size of a game window, but shows "
                                               "neither window marker")))
        << report.toStdString();
    EXPECT_FALSE(report.contains(QStringLiteral("a.png")));
    EXPECT_EQ(app.main().statusBar()->currentMessage(),
              QStringLiteral("Converted 2 of 3 grabs into %1; 1 could not be converted.")
                  .arg(QDir::toNativeSeparators(dest)));
}

// The run is stopped after its second grab, by the Stop button or by Esc, each delivered as
// the user's input; the other controls take none while it runs.
TEST_F(BulkTest, AStopBetweenGrabsReportsWhatWasConvertedAndWhatWasNotReached)
{
    for (const QString& name : {QStringLiteral("a.png"), QStringLiteral("b.png"),
                                QStringLiteral("c.png"), QStringLiteral("d.png")})
        addGrab(name, 0, 32, quint64(name.at(0).unicode()));
    addFile(QStringLiteral("notes.txt"), "just words");

    for (const bool byEsc : {false, true}) {
        QDir(dest).removeRecursively();
        QDir().mkpath(dest);
        test::StartedApp app;
        TMainForm& main = app.main();
        QStringList shown; // the status line as each grab ends
        // Only Stop does anything while the run goes on: the rest looks it.
        const std::vector<QWidget*> idle{main.ui.sb_LoadScreenGrab, main.ui.sb_bulkconvert,
                                         main.ui.sb_options,        main.ui.sb_about,
                                         main.ui.cb_game,           main.ui.cb_map_colour};
        QObject::connect(&main, &TMainForm::bulkGrabDone, &main, [&](int done, int count) {
            shown.append(main.statusBar()->currentMessage());
            EXPECT_EQ(count, 5);
            // The gauge counts the grabs done of the four grabs (notes.txt is none).
            EXPECT_TRUE(main.ui.ProgressBar1->isVisible());
            EXPECT_EQ(main.ui.ProgressBar1->value(), done);
            EXPECT_EQ(main.ui.ProgressBar1->maximum(), 4);
            EXPECT_EQ(main.ui.ProgressBar1->text(), QStringLiteral("%1 of 4 grabs").arg(done));
            for (QWidget* widget : idle)
                EXPECT_FALSE(widget->isEnabled()) << widget->objectName().toStdString();
            auto* stop = main.findChild<QPushButton*>(QStringLiteral("sb_StopBulk"));
            ASSERT_NE(stop, nullptr);
            EXPECT_TRUE(stop->isVisible());
            EXPECT_TRUE(stop->isEnabled());
            if (done == 1)
                QTest::mouseClick(main.ui.sb_LoadScreenGrab, Qt::LeftButton);
            if (done == 2) {
                if (byEsc)
                    QTest::keyClick(&main, Qt::Key_Escape);
                else
                    QTest::mouseClick(stop, Qt::LeftButton);
            }
        });
        app.forms().BulkConvForm->cb_PictureReport->setChecked(true);
        run(app, source, dest, QStringLiteral("%s"), {app.forms().BulkConvForm->cb_SaveCSV});

        EXPECT_EQ(outputs(), (QStringList{QStringLiteral("a.csv"), QStringLiteral("b.csv"),
                                          kPictureReportName}));
        EXPECT_EQ(shown, (QStringList{QStringLiteral("Converting 1 of 5: a.png"),
                                      QStringLiteral("Converting 2 of 5: b.png")}));
        for (QWidget* widget : idle)
            EXPECT_TRUE(widget->isEnabled()) << widget->objectName().toStdString();
        EXPECT_FALSE(main.ui.ProgressBar1->isVisible());
        // The picture report says the run was stopped, names the grabs not reached and counts
        // every entry of the listing.
        const QString html =
            QString::fromUtf8(test::readAll(QDir(dest).filePath(kPictureReportName)));
        EXPECT_TRUE(html.contains(QStringLiteral("The run was stopped before its end: 2 grabs "
                                                 "were not reached.")));
        EXPECT_TRUE(html.contains(QStringLiteral("<h2>Not reached</h2>\n<ul>\n<li>c.png</li>\n"
                                                 "<li>d.png</li>")));
        EXPECT_TRUE(html.contains(QStringLiteral("5 entries listed: 2 of 4 converted")))
            << html.toStdString();
        EXPECT_TRUE(html.contains(QStringLiteral("notes.txt")));
        EXPECT_TRUE(app.prompts().openFolders.isEmpty()); // the click on Load was not taken
        // A stop asked for is no error: told as information, the grabs not reached counted in
        // the text and listed in the details.
        ASSERT_EQ(app.prompts().told.size(), 1);
        EXPECT_EQ(app.prompts().tones, std::vector{UserPrompts::Tone::Information});
        EXPECT_EQ(app.prompts().told[0].text,
                  QStringLiteral("The bulk conversion was stopped after \"b.png\": 2 grabs were "
                                 "converted into %1. 2 grabs were not reached.")
                      .arg(QDir::toNativeSeparators(dest)));
        EXPECT_EQ(app.prompts().told[0].details,
                  QStringLiteral("The run was stopped before these grabs:\n\nc.png\nd.png"));
        EXPECT_EQ(main.statusBar()->currentMessage(),
                  QStringLiteral("Bulk conversion stopped: converted 2 of 4 grabs into %1; 2 not "
                                 "reached.")
                      .arg(QDir::toNativeSeparators(dest)));
        // Reset as at the end of a run, and the window takes input again.
        EXPECT_FALSE(main.ui.sb_DecodeStart->isEnabled());
        EXPECT_EQ(main.findChild<QPushButton*>(QStringLiteral("sb_StopBulk")), nullptr);
        QTest::mouseClick(main.ui.sb_LoadScreenGrab, Qt::LeftButton);
        EXPECT_EQ(app.prompts().openFolders.size(), 1);
    }
}

// The run ends with no grab shown: a change of game has nothing to bring back and analyse.
TEST_F(BulkTest, AChangeOfGameAfterARunBringsNoGrabBack)
{
    addGrab(QStringLiteral("a.png"), 1, 16, 1);
    test::StartedApp app;
    TMainForm& main = app.main();
    run(app, source, dest, QStringLiteral("%s"), {app.forms().BulkConvForm->cb_SaveCSV});
    ASSERT_EQ(outputs(), QStringList{QStringLiteral("a.csv")});
    EXPECT_TRUE(main.ui.lb_filename->text().isEmpty());
    EXPECT_TRUE(main.ui.lb_maparea->text().isEmpty());

    main.ui.cb_game->setCurrentIndex(0);
    main.cb_gameChange();
    EXPECT_FALSE(main.ui.sb_DecodeStart->isEnabled());
    EXPECT_TRUE(main.ui.img_ScreenGrab->picture().isNull());
    EXPECT_TRUE(main.ui.lb_filename->text().isEmpty());
    EXPECT_TRUE(main.ui.lb_MapSize->text().isEmpty());
    EXPECT_TRUE(main.session().working.isNull());
}

TEST_F(BulkTest, WithNoTickNothingIsWrittenAndAPatternWithoutNamesKeepsTheLast)
{
    addGrab(QStringLiteral("a.png"), 0, 32, 1);
    addGrab(QStringLiteral("b.png"), 0, 32, 2);
    test::StartedApp app;
    run(app, source, dest, QStringLiteral("%s"), {});
    EXPECT_TRUE(outputs().isEmpty());

    run(app, source, dest, QString(), {app.forms().BulkConvForm->cb_SaveCSV});
    EXPECT_EQ(outputs(), QStringList{QStringLiteral(".csv")});
    QFile table(QDir(dest).filePath(QStringLiteral(".csv")));
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    EXPECT_EQ(GrabMap::fromCsv(QString::fromLatin1(table.readAll()))->cells,
              GrabMap::random(0, 32, 32, 2).cells);
}

TEST_F(BulkTest, AMissingDestinationEndsTheRunWithItsError)
{
    addGrab(QStringLiteral("a.png"), 0, 32, 1);
    addGrab(QStringLiteral("b.png"), 0, 32, 2);
    test::StartedApp app;
    run(app, source, QDir(dest).filePath(QStringLiteral("missing")), QStringLiteral("%s"),
        {app.forms().BulkConvForm->cb_SaveBMP});
    ASSERT_EQ(app.prompts().errors.size(), 1);
    EXPECT_TRUE(app.prompts().errors[0].contains(QStringLiteral("a.bmp")));
    // The run stopped at the first grab: the window still shows it.
    EXPECT_TRUE(app.main().ui.sb_SaveMap->isEnabled());
}

TEST_F(BulkTest, TheDialogStartsAtHomeAndCancelConvertsNothing)
{
    addGrab(QStringLiteral("a.png"), 0, 32, 1);
    test::StartedApp app;
    TBulkConvForm* bulk = app.forms().BulkConvForm;
    EXPECT_EQ(bulk->windowTitle(), QStringLiteral("Bulk Conversion of files"));
    EXPECT_EQ(bulk->size(), QSize(562, 146));
    EXPECT_EQ(bulk->Source->path(), QDir::homePath());
    EXPECT_EQ(bulk->Dest->path(), QDir::homePath());
    app.prompts().folders = {source};
    bulk->sb_source->click();
    bulk->Copy->click();
    EXPECT_EQ(bulk->Dest->path(), QDir::toNativeSeparators(source));
    QTimer::singleShot(0, bulk->Cancel, &QPushButton::click);
    app.main().sb_bulkconvertClick();
    EXPECT_TRUE(QDir(source).entryList(QDir::Files).size() == 1);
    EXPECT_TRUE(app.main().ui.lb_filename->text().isEmpty());
}

// The picture report: off unless ticked, then written into the destination with every grab,
// those the run passes over without a message included, and links that all lead to files.
#ifndef _WIN32
// A killed run's temporaries of the outputs are removed and named; those of a process that
// still runs (a second run into the folder) are left alone.
TEST_F(BulkTest, TemporariesAKilledRunLeftOfTheOutputsAreRemovedAndNamed)
{
    addGrab(QStringLiteral("level.png"), 0, 16, 1);
    QProcess ended;
    ended.start(QStringLiteral("true"), {});
    ASSERT_TRUE(ended.waitForStarted());
    const qint64 dead = ended.processId();
    ended.waitForFinished();
    const QString stale = QStringLiteral("level.csv.%1.k9.tmp").arg(dead);
    const QString live =
        QStringLiteral("level.csv.%1.k9.tmp").arg(QCoreApplication::applicationPid());
    test::writeFile(QDir(dest).filePath(stale), "half a table");
    test::writeFile(QDir(dest).filePath(live), "a table being written");

    test::StartedApp app;
    run(app, source, dest, QStringLiteral("%s"), {app.forms().BulkConvForm->cb_SaveCSV});
    EXPECT_EQ(outputs(), (QStringList{QStringLiteral("level.csv"), live}));
    const QString message = app.main().statusBar()->currentMessage();
    EXPECT_TRUE(message.contains(QDir::toNativeSeparators(QDir(dest).filePath(stale))))
        << message.toStdString();
}
#endif

// Into its own source folder, the run asks first, and passes over the outputs an earlier run
// left there: names the pattern gives another grab, in any format and with either game number.
TEST_F(BulkTest, IntoItsSourceTheRunAsksFirstAndPassesOverItsOwnOutputs)
{
    addGrab(QStringLiteral("a.png"), 0, 32, 1);
    addGrab(QStringLiteral("b.png"), 0, 32, 2);
    addGrab(QStringLiteral("a-map1.gif"), 0, 32, 3);  // a.png's GIF output
    addGrab(QStringLiteral("B-MAP2.png"), 0, 32, 4);  // b.png's, were it of the second game
    addGrab(QStringLiteral("c-map1x.png"), 0, 32, 5); // no output of any grab here
    const QStringList before = QDir(source).entryList(QDir::Files, QDir::Name);

    test::StartedApp app;
    TBulkConvForm* bulk = app.forms().BulkConvForm;
    app.prompts().folders = {source, source};
    bulk->sb_source->click();
    bulk->sb_dest->click();
    bulk->ed_filename->setText(QStringLiteral("%s-map%g"));
    bulk->cb_SaveBMP->setChecked(false);
    bulk->cb_SaveCSV->setChecked(true);

    // No: the dialog stays open, and Cancel then converts nothing.
    app.prompts().answers = {false};
    QTimer::singleShot(0, bulk->Execute, &QPushButton::click);
    QTimer::singleShot(0, bulk->Cancel, &QPushButton::click);
    app.main().ui.sb_bulkconvert->click();
    ASSERT_EQ(app.prompts().questions.size(), 1);
    EXPECT_TRUE(app.prompts().questions[0].contains(QStringLiteral("source folder")));
    EXPECT_EQ(QDir(source).entryList(QDir::Files, QDir::Name), before);

    app.prompts().answers = {true};
    QTimer::singleShot(0, bulk->Execute, &QPushButton::click);
    app.main().ui.sb_bulkconvert->click();
    EXPECT_EQ(app.prompts().questions.size(), 2);
    QStringList expected = before;
    expected << QStringLiteral("a-map1.csv") << QStringLiteral("b-map1.csv")
             << QStringLiteral("c-map1x-map1.csv");
    std::sort(expected.begin(), expected.end(), [](const QString& x, const QString& y) {
        return x.compare(y, Qt::CaseInsensitive) < 0;
    });
    QStringList after = QDir(source).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    EXPECT_EQ(after, expected);
    ASSERT_EQ(app.prompts().errors.size(), 1);
    EXPECT_TRUE(app.prompts().errors[0].contains(
        QStringLiteral("names them as the outputs of other grabs of the folder:\n\n"
                       "a-map1.gif\nB-MAP2.png")))
        << app.prompts().errors[0].toStdString();
}

TEST_F(BulkTest, ThePictureReportTellsOfEveryGrabOfTheRun)
{
    addGrab(QStringLiteral("good.png"), 0, 32, 1);
    addFile(QStringLiteral("broken.png"),
            QByteArray::fromHex("89504E470D0A1A0A0000000D49484452") + QByteArray(64, 7));
    QImage blank(800, 600, QImage::Format_RGB32);
    blank.fill(Qt::darkGray);
    ASSERT_TRUE(blank.save(QDir(source).filePath(QStringLiteral("desktop.png"))));
    addFile(QStringLiteral("notes.txt"), "just words");

    test::StartedApp app;
    TBulkConvForm* bulk = app.forms().BulkConvForm;
    EXPECT_FALSE(bulk->cb_PictureReport->isChecked());
    bulk->cb_PictureReport->setChecked(true);
    run(app, source, dest, QStringLiteral("%s"), {bulk->cb_SaveCSV});

    const QString page = QDir(dest).filePath(kPictureReportName);
    ASSERT_TRUE(QFileInfo::exists(page)) << outputs().join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(app.main().statusBar()->currentMessage().contains(QDir::toNativeSeparators(page)));
    const QString html = QString::fromUtf8(test::readAll(page));
    for (const char* name : {"good.png", "broken.png", "desktop.png", "notes.txt"})
        EXPECT_TRUE(html.contains(QLatin1String(name))) << name;
    EXPECT_TRUE(html.contains(QStringLiteral("1 of 3 converted, 2 failed, 1 file passed over")));
    EXPECT_TRUE(html.contains(QStringLiteral("shows neither window marker")));
    EXPECT_EQ(test::brokenLinks(page), QStringList());
    // The grab's thumbnail and its map's, and the grab without a game window's.
    EXPECT_EQ(QDir(reportPicturesFolder(page)).entryList(QDir::Files).size(), 3);
}

} // namespace
} // namespace vt
