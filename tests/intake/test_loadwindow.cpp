// Loading grabs through the main window: from a file, the clipboard and a "reload".
#include "app/Controls.h"
#include "app/MainForm.h"
#include "charsets/ColourSelector.h"
#include "pictures/Halftone.h"

#include "GrabComposer.h"
#include "TestSupport.h"
#include "UiSupport.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

#include <QTest>

#include <gtest/gtest.h>

namespace vt {
namespace {

using test::GrabArt;
using test::GrabMap;

class LoadWindowTest : public ::testing::Test
{
protected:
    void SetUp() override { test::SettingsSandbox::clear(); }

    static QImage mapView(int game, int colour, int columns, int rows, quint64 seed = 7)
    {
        return test::composeMapView(GrabMap::random(game, columns, rows, seed),
                                    GrabArt::shipped(game, colour));
    }
};

TEST_F(LoadWindowTest, AFileGrabIsShownAt8BitsWithAFullColourCopyAndItsGrid)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    const QImage grab = mapView(0, 2, 32, 32);
    app.loadGrab(grab, QStringLiteral("level1.png"));

    EXPECT_TRUE(app.prompts().errors.isEmpty()) << app.prompts().errors.join(';').toStdString();
    EXPECT_EQ(main.ui.lb_filename->text(), QStringLiteral("level1.png"));
    EXPECT_TRUE(main.ui.sb_DecodeStart->isEnabled());
    EXPECT_FALSE(main.ui.sb_SaveScreenGrab->isEnabled());
    EXPECT_EQ(main.ui.lb_MapSize->text(), QStringLiteral("32x32"));
    EXPECT_EQ(main.ui.lb_Origin->text(), QStringLiteral("0,0"));
    EXPECT_EQ(main.ui.lb_maparea->text(), QStringLiteral("0,0"));
    EXPECT_EQ(main.ui.cb_map_colour->currentIndex(), 2);
    EXPECT_TRUE(main.ui.cb_map_colour->currentText().startsWith(QStringLiteral("Green: ")));

    const QImage& working = main.ui.img_ScreenGrab->picture();
    EXPECT_EQ(working.format(), QImage::Format_Indexed8);
    EXPECT_EQ(working.colorTable(), halftoneColorTable());
    EXPECT_EQ(main.session().fullcolourimage.convertToFormat(QImage::Format_RGB32),
              grab.convertToFormat(QImage::Format_RGB32));
}

TEST_F(LoadWindowTest, ASmallMapSelectsTheSecondGameAndAReloadWithTheFirstRejectsIt)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    app.loadGrab(mapView(1, 0, 16, 16));
    EXPECT_EQ(main.ui.cb_game->currentIndex(), 1);
    EXPECT_EQ(main.ui.lb_MapSize->text(), QStringLiteral("16x16"));

    // Choosing the first game re-analyses the file's grab: no first-game map is 16 x 16.
    main.ui.cb_game->setCurrentIndex(0);
    main.cb_gameChange();
    EXPECT_EQ(main.ui.cb_game->currentIndex(), 0);
    EXPECT_EQ(main.ui.lb_MapSize->text(), QStringLiteral("32x32"));
    EXPECT_EQ(main.ui.lb_Origin->text(), QStringLiteral("0,0"));
    EXPECT_EQ(main.ui.lb_filename->text(), QStringLiteral("grab.png"));
    // The grid is the fallback, and the status line says so rather than "found".
    EXPECT_EQ(main.statusBar()->currentMessage(),
              QStringLiteral("No map that PC Vorlan 1 draws was found in this grab: the grid is "
                             "the 32 x 32 guess at 0,0. Choose the other game, or move the grid "
                             "over the map before decoding."));
}

// Throwing the decoded map away leaves no message about correcting its cells.
TEST_F(LoadWindowTest, AChangeOfGameOrColourSaysTheDecodedMapIsGone)
{
    const struct
    {
        bool clipboard;
        bool changeGame;
        const char* says;
    } cases[] = {
        {false, false, "discarded with the change of colour scheme"},
        {true, true, "discarded with the change of game"},
        {false, true, "press Decode Map to convert it"}, // the reload's own finding
    };
    for (const auto& c : cases) {
        test::StartedApp app;
        TMainForm& main = app.main();
        if (c.clipboard) {
            QGuiApplication::clipboard()->setImage(mapView(0, 1, 32, 32));
            main.ui.LoadFromClipboard->trigger();
        } else {
            app.loadGrab(mapView(0, 1, 32, 32));
        }
        main.ui.sb_DecodeStart->click();
        ASSERT_TRUE(main.statusBar()->currentMessage().contains(QStringLiteral("correct")));
        if (c.changeGame) {
            main.ui.cb_game->setCurrentIndex(1);
            main.cb_gameChange();
        } else {
            main.ui.cb_map_colour->setCurrentIndex(3);
            main.cb_map_colourChange();
        }
        const QString message = main.statusBar()->currentMessage();
        EXPECT_FALSE(main.ui.sb_SaveMap->isEnabled());
        EXPECT_FALSE(message.contains(QStringLiteral("correct"))) << message.toStdString();
        EXPECT_TRUE(message.contains(QLatin1String(c.says))) << message.toStdString();
    }
}

// A 32 x 32 map view of the first game after a grab of the second: the cells tell the game on
// the fresh load, and the user's own choice of game stands on the reload it runs.
TEST_F(LoadWindowTest, AFullViewMapSelectsTheGameItsCellsFitAndTheUsersChoiceStands)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    app.loadGrab(mapView(1, 2, 16, 16), QStringLiteral("second.png"));
    ASSERT_EQ(main.ui.cb_game->currentIndex(), 1);

    app.loadAndDecode(mapView(0, 2, 32, 32), QStringLiteral("first.png"));
    EXPECT_EQ(main.ui.cb_game->currentIndex(), 0);
    EXPECT_EQ(main.ui.lb_accuracy->text(), QStringLiteral("100%"));
    EXPECT_EQ(main.ui.fullsize_char.size(), 33u);
    EXPECT_TRUE(main.session().confidence.certain());

    main.ui.cb_game->setCurrentIndex(1);
    main.cb_gameChange();
    EXPECT_EQ(main.ui.cb_game->currentIndex(), 1);
    EXPECT_FALSE(main.session().confidence.gameCertain);
    EXPECT_TRUE(main.statusBar()->currentMessage().contains(QStringLiteral("check the game")))
        << main.statusBar()->currentMessage().toStdString();
}

TEST_F(LoadWindowTest, AClipboardGrabCanBeSavedAndIsNotReanalysedOnAChangeOfGame)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    QGuiApplication::clipboard()->setImage(mapView(1, 3, 16, 16));
    main.ui.LoadFromClipboard->trigger();

    EXPECT_EQ(main.ui.lb_filename->text(), QStringLiteral("<clipboard>"));
    EXPECT_TRUE(main.ui.sb_SaveScreenGrab->isEnabled());
    EXPECT_TRUE(main.session().img_filename.isEmpty());
    EXPECT_EQ(main.ui.lb_MapSize->text(), QStringLiteral("16x16"));

    main.ui.cb_game->setCurrentIndex(0);
    main.cb_gameChange();
    EXPECT_EQ(main.ui.lb_MapSize->text(), QStringLiteral("16x16"));

    // A file grab afterwards never offers "S&ave Screengrab".
    app.loadGrab(mapView(0, 0, 32, 32));
    EXPECT_FALSE(main.ui.sb_SaveScreenGrab->isEnabled());
}

TEST_F(LoadWindowTest, TheClipboardWithoutAPictureLoadsNothingAndSaysSo)
{
    test::StartedApp app;
    QGuiApplication::clipboard()->setText(QStringLiteral("not a picture"));
    QTest::keyClick(&app.main(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(app.main().ui.lb_filename->text().isEmpty());
    EXPECT_FALSE(app.main().ui.sb_DecodeStart->isEnabled());
    EXPECT_EQ(app.main().statusBar()->currentMessage(),
              QStringLiteral("The clipboard holds no picture: copy a screengrab, then press "
                             "Ctrl+V."));
}

// Each command says what it did, and no message of an earlier one outlives it: Ctrl+C names
// what it copied; a declined overwrite, a failed save or a missing file leave no stale text.
TEST_F(LoadWindowTest, MessagesSayWhatHappenedAndNoneOutlivesItsCommand)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    app.loadAndDecode(mapView(0, 0, 32, 32), QStringLiteral("good.png"));
    const auto status = [&main] { return main.statusBar()->currentMessage(); };

    QTest::keyClick(&main, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(status(), QStringLiteral("Copied the converted map (2048 x 2048 pixels) to the "
                                       "clipboard."));

    // Save Map over an existing file, the overwrite declined: nothing written, nothing stale.
    const QString existing = app.path(QStringLiteral("taken.bmp"));
    test::writeFile(existing, QByteArrayLiteral("old"));
    app.prompts().files.push_back(existing);
    app.prompts().answers.push_back(false);
    // While the question is open, no gauge stands as if the save were under way.
    std::optional<bool> gaugeShown;
    app.prompts().whileAsking = [&] { gaugeShown = main.ui.ProgressBar1->isVisible(); };
    main.ui.sb_SaveMap->click();
    EXPECT_EQ(gaugeShown, false);
    EXPECT_EQ(test::readAll(existing), QByteArrayLiteral("old"));
    EXPECT_FALSE(status().contains(QStringLiteral("Copied"))) << status().toStdString();

    // A save into a folder that is not there fails with a box, and no old text stays.
    QTest::keyClick(&main, Qt::Key_C, Qt::ControlModifier);
    app.prompts().files.push_back(app.path(QStringLiteral("gone/map.bmp")));
    main.ui.sb_SaveMap->click();
    ASSERT_EQ(app.prompts().errors.size(), 1);
    EXPECT_FALSE(status().contains(QStringLiteral("Copied"))) << status().toStdString();

    // A missing file is not found, not "not a picture".
    QTest::keyClick(&main, Qt::Key_C, Qt::ControlModifier);
    app.prompts().files.push_back(app.path(QStringLiteral("nowhere.png")));
    main.ui.sb_LoadScreenGrab->click();
    ASSERT_EQ(app.prompts().errors.size(), 2);
    EXPECT_EQ(app.prompts().errors[1],
              QStringLiteral("\"%1\" was not found.")
                  .arg(QDir::toNativeSeparators(app.path(QStringLiteral("nowhere.png")))));
    EXPECT_FALSE(status().contains(QStringLiteral("Copied"))) << status().toStdString();
}

// A file that cannot be loaded is reported by name, and the grab already shown stays as it was,
// decoded map included.
TEST_F(LoadWindowTest, ARefusedOrBrokenFileChangesNothing)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    app.loadAndDecode(mapView(0, 0, 32, 32), QStringLiteral("good.png"));
    const GridGeometry grid = main.session().grid;

    const QString text = app.path(QStringLiteral("notes.txt"));
    QFile(text).open(QIODevice::WriteOnly);
    const QString broken = app.path(QStringLiteral("broken.png"));
    {
        QFile file(broken);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromHex("89504E470D0A1A0A0000000D49484452") + QByteArray(40, 'x'));
    }
    for (const QString& path : {text, broken}) {
        app.prompts().errors.clear();
        app.prompts().files.push_back(path);
        main.ui.sb_LoadScreenGrab->click();
        ASSERT_EQ(app.prompts().errors.size(), 1);
        EXPECT_TRUE(app.prompts().errors.front().contains(QFileInfo(path).fileName()))
            << app.prompts().errors.front().toStdString();
        EXPECT_EQ(main.ui.lb_filename->text(), QStringLiteral("good.png"));
        EXPECT_TRUE(main.ui.sb_SaveMap->isEnabled());
        EXPECT_EQ(main.session().grid, grid);
    }
}

TEST_F(LoadWindowTest, AJpegGrabLoadsLikeTheOthers)
{
    test::StartedApp app;
    app.loadGrab(mapView(0, 1, 32, 32), QStringLiteral("level.jpeg"));
    EXPECT_TRUE(app.prompts().errors.isEmpty());
    EXPECT_EQ(app.main().ui.lb_filename->text(), QStringLiteral("level.jpeg"));
    EXPECT_TRUE(app.main().ui.sb_DecodeStart->isEnabled());
}

// After a window grab whose map lies inside the window, so that every label has something to
// lose: the new grab's name, and no grid of the last one.
TEST_F(LoadWindowTest, AWindowSizedGrabWithoutAGameWindowSaysSoAndShowsNoOldGrid)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    test::WindowPlacement placement;
    placement.layout = test::WindowLayout::B;
    placement.game = 1;
    app.loadGrab(
        test::composeWindow(GrabMap::random(1, 24, 24, 3), GrabArt::shipped(1, 4), placement).image,
        QStringLiteral("window.png"));
    ASSERT_NE(main.ui.lb_maparea->text(), QStringLiteral("0,0"));

    QImage desktop(800, 600, QImage::Format_RGB32);
    desktop.fill(QColor(40, 90, 140));
    app.loadGrab(desktop, QStringLiteral("desktop.png"));
    EXPECT_FALSE(main.ui.sb_DecodeStart->isEnabled());
    EXPECT_TRUE(main.statusBar()->currentMessage().contains(QStringLiteral("No game window")));
    EXPECT_EQ(main.ui.img_ScreenGrab->picture().size(), QSize(800, 600));
    EXPECT_EQ(main.ui.lb_filename->text(), QStringLiteral("desktop.png"));
    EXPECT_TRUE(main.ui.lb_maparea->text().isEmpty()) << main.ui.lb_maparea->text().toStdString();
    EXPECT_TRUE(main.ui.lb_MapSize->text().isEmpty());
    EXPECT_TRUE(main.ui.lb_Origin->text().isEmpty());
}

// A grab of no size the analysis knows offers its guessed grid only once some grab has been
// recognised; before that, decoding is off and the status line must not offer it.
TEST_F(LoadWindowTest, AnUnrecognisedGrabOffersDecodingOnlyAfterARecognisedOne)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    QImage odd(300, 200, QImage::Format_RGB32);
    odd.fill(Qt::darkGreen);
    app.loadGrab(odd, QStringLiteral("odd.png"));
    EXPECT_FALSE(main.ui.sb_DecodeStart->isEnabled());
    EXPECT_TRUE(main.statusBar()->currentMessage().contains(QStringLiteral("nothing to decode")))
        << main.statusBar()->currentMessage().toStdString();

    app.loadGrab(mapView(0, 0, 32, 32));
    app.loadGrab(odd, QStringLiteral("odd.png"));
    EXPECT_TRUE(main.ui.sb_DecodeStart->isEnabled());
    EXPECT_TRUE(main.statusBar()->currentMessage().contains(QStringLiteral("before decoding")));
}

TEST_F(LoadWindowTest, AWindowGrabFindsTheMapInsideTheWindow)
{
    test::StartedApp app;
    test::WindowPlacement placement;
    placement.layout = test::WindowLayout::B;
    placement.game = 1;
    const test::ComposedGrab grab =
        test::composeWindow(GrabMap::random(1, 24, 24, 3), GrabArt::shipped(1, 4), placement);
    app.loadGrab(grab.image);
    EXPECT_EQ(app.main().session().grid, grab.grid);
    EXPECT_EQ(app.main().ui.cb_game->currentIndex(), 1);
    EXPECT_EQ(app.main().ui.cb_map_colour->currentIndex(), 4);
}

} // namespace
} // namespace vt
