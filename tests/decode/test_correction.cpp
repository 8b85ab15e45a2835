// Inspecting and correcting a decoded map with real pointer and key events on the widgets: the
// corrections, their undo and redo, and the question before unsaved corrections are lost.
#include "app/Controls.h"
#include "app/MainForm.h"
#include "decode/MapDecoder.h"

#include "GrabComposer.h"
#include "TestSupport.h"
#include "UiSupport.h"

#include "charsets/ColourSelector.h"
#include "export/BulkConvForm.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace vt {
namespace {

using test::GrabArt;
using test::GrabMap;

class CorrectionTest : public ::testing::Test
{
protected:
    void SetUp() override { test::SettingsSandbox::clear(); }

    // Off the palette, so that a cell taken from the working picture instead of the
    // full-colour copy shows.
    static QImage grab(int columns = 32)
    {
        return test::offPalette(
            test::composeMapView(GrabMap::random(0, columns, columns, 17), GrabArt::shipped(0, 0)));
    }

    static QImage square(const TMainForm& main, int x, int y)
    {
        return main.ui.img_Map->picture().copy(64 * x, 64 * y, 64, 64);
    }

    static QRect cellRect(const TMainForm& main, int x, int y)
    {
        return QRect(int(main.session().grid.originx) + 16 * x,
                     int(main.session().grid.originy) + 15 * y, 16, 15);
    }

    // Chooses a tile (-1: the grab's own pixels) and Ctrl-clicks cell (x, y) of the converted
    // map shown at full size.
    static void correct(TMainForm& main, int x, int y, int character)
    {
        QWidget* tile = character < 0 ? static_cast<QWidget*>(main.ui.charstorage)
                                      : main.ui.fullsize_char[std::size_t(character)];
        QTest::mouseClick(tile, Qt::LeftButton);
        main.ConvertedTabExecute();
        ASSERT_EQ(main.ui.img_Map->width(), main.ui.img_Map->picture().width());
        QTest::mouseClick(main.ui.img_Map, Qt::LeftButton, Qt::ControlModifier,
                          QPoint(64 * x + 20, 64 * y + 30));
    }

    static QString status(const TMainForm& main) { return main.statusBar()->currentMessage(); }
};

TEST_F(CorrectionTest, BeforeDecodingNothingIsFramedChosenOrReplaced)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    app.loadGrab(grab());
    QTest::mouseMove(main.ui.img_ScreenGrab, QPoint(40, 40));
    EXPECT_FALSE(main.ui.charcursor->isVisible());
    EXPECT_TRUE(main.ui.charstorage->picture().isNull());

    main.ExtractCharsFromResource(0, true);
    const QPoint frame = main.ui.charselect->pos();
    QTest::mouseClick(main.ui.fullsize_char[3], Qt::LeftButton);
    EXPECT_EQ(main.ui.charselect->pos(), frame);
    EXPECT_EQ(main.selectedchar, -1);
}

TEST_F(CorrectionTest, ThePointerFramesTheCellUnderItAndShowsItEnlargedInFullColour)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    app.loadAndDecode(grab());
    main.ScreenGrabTabExecute();

    QTest::mouseMove(main.ui.img_ScreenGrab, QPoint(3 * 16 + 5, 2 * 15 + 7));
    EXPECT_TRUE(main.ui.charcursor->isVisible());
    EXPECT_EQ(main.ui.charcursor->geometry(), QRect(48, 30, 16, 15));
    EXPECT_EQ(main.charX, 3);
    EXPECT_EQ(main.charY, 2);
    EXPECT_EQ(main.ui.charstorage->picture(),
              enlargedCell(main.session().fullcolourimage, cellRect(main, 3, 2), 32));
    EXPECT_NE(main.ui.charstorage->picture(),
              enlargedCell(main.session().working, cellRect(main, 3, 2), 32));

    // Leaving the grab empties the preview and hides the box.
    main.img_ScreenGrabMouseLeave();
    EXPECT_FALSE(main.ui.charcursor->isVisible());
    EXPECT_TRUE(main.ui.charstorage->picture().isNull());
}

TEST_F(CorrectionTest, APointerOnePixelOutsideTheGridHidesTheBox)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    QImage framed(512 + 32, 480 + 30, QImage::Format_RGB32);
    framed.fill(Qt::black);
    app.loadAndDecode(grab());
    // Move the decoded grid's origin as if the map started at (16, 15): cells begin there.
    main.session().grid.originx = 16;
    main.session().grid.originy = 15;
    main.ScreenGrabTabExecute();
    QTest::mouseMove(main.ui.img_ScreenGrab, QPoint(20, 15));
    EXPECT_TRUE(main.ui.charcursor->isVisible());
    QTest::mouseMove(main.ui.img_ScreenGrab, QPoint(20, 14));
    EXPECT_FALSE(main.ui.charcursor->isVisible());
    EXPECT_TRUE(main.ui.charstorage->picture().isNull());
    QTest::mouseMove(main.ui.img_ScreenGrab, QPoint(15, 40));
    EXPECT_FALSE(main.ui.charcursor->isVisible());
}

TEST_F(CorrectionTest, AtZoomTwoAndScrolledTheBoxFramesTheCellUnderThePointer)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    app.loadAndDecode(grab());
    main.ScreenGrabTabExecute();
    main.ZoomInExecute();
    ASSERT_EQ(main.ui.img_ScreenGrab->size(), QSize(1024, 960));
    main.ui.sb_ScreenGrab->horizontalScrollBar()->setValue(100);
    main.ui.sb_ScreenGrab->verticalScrollBar()->setValue(90);
    ASSERT_GT(main.ui.sb_ScreenGrab->horizontalScrollBar()->value(), 0);

    // Picture pixel (90, 80) is cell (5, 5); at zoom 2 it shows at (180, 160) of the picture
    // control.
    QTest::mouseMove(main.ui.img_ScreenGrab, QPoint(181, 161));
    EXPECT_EQ(main.charX, 5);
    EXPECT_EQ(main.charY, 5);
    EXPECT_EQ(main.ui.charcursor->geometry(), QRect(160, 150, 32, 30));
    EXPECT_TRUE(main.ui.charcursor->isVisible());

    // Zooming hides the box and empties the preview.
    main.ZoomOutExecute();
    EXPECT_FALSE(main.ui.charcursor->isVisible());
    EXPECT_TRUE(main.ui.charstorage->picture().isNull());
}

TEST_F(CorrectionTest, ACharacterOrTheGrabsPixelsReplaceACellButNotTheAccuracy)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    app.loadAndDecode(grab());
    const QString accuracy = main.ui.lb_accuracy->text();
    const quint32 errors = main.session().decoded.errors;

    // Choose character 5 and press the right button on the framed cell (2, 3).
    QTest::mouseClick(main.ui.fullsize_char[5], Qt::LeftButton);
    EXPECT_EQ(main.selectedchar, 5);
    EXPECT_EQ(main.ui.charselect->pos(), main.ui.fullsize_char[5]->pos());
    main.ScreenGrabTabExecute();
    QTest::mouseMove(main.ui.img_ScreenGrab, QPoint(2 * 16 + 8, 3 * 15 + 7));
    ASSERT_TRUE(main.ui.charcursor->isVisible());
    QTest::mousePress(main.ui.charcursor, Qt::RightButton, Qt::NoModifier, QPoint(8, 7));
    EXPECT_EQ(main.session().decoded.map[2][3], 5);
    EXPECT_EQ(square(main, 2, 3),
              main.ui.fullsize_char[5]->picture().convertToFormat(QImage::Format_RGB32));
    EXPECT_FALSE(main.ui.charcursor->isVisible());

    // Choose the grab's own pixels and Ctrl-click the converted map zoomed out to 1/2:
    // (100, 40) there is picture pixel (200, 80), cell (3, 1).
    QTest::mouseClick(main.ui.charstorage, Qt::LeftButton);
    EXPECT_EQ(main.selectedchar, -1);
    EXPECT_EQ(main.ui.charselect->pos(), main.ui.charstorage->pos());
    main.ConvertedTabExecute();
    main.ZoomOutExecute();
    ASSERT_EQ(main.ui.img_Map->width(), 1024);
    QTest::mouseClick(main.ui.img_Map, Qt::LeftButton, Qt::ControlModifier, QPoint(100, 40));
    EXPECT_EQ(main.session().decoded.map[3][1], -1);
    EXPECT_EQ(square(main, 3, 1),
              enlargedCell(main.session().fullcolourimage, cellRect(main, 3, 1), 64));
    EXPECT_NE(square(main, 3, 1), enlargedCell(main.session().working, cellRect(main, 3, 1), 64));

    // A right-button Ctrl-click on the map does nothing.
    main.session().decoded.map[4][1] = 2;
    QTest::mouseClick(main.ui.img_Map, Qt::RightButton, Qt::ControlModifier,
                      QPoint(4 * 32 + 5, 40));
    EXPECT_EQ(main.session().decoded.map[4][1], 2);

    EXPECT_EQ(main.ui.lb_accuracy->text(), accuracy);
    EXPECT_EQ(main.session().decoded.errors, errors);
}

TEST_F(CorrectionTest, DraggingTheMapScrollsItWithinItsRange)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    app.loadAndDecode(grab());
    QScrollBar* horizontal = main.ui.sb_Map->horizontalScrollBar();
    ASSERT_EQ(horizontal->value(), 0);
    ASSERT_LT(main.Image_LX, -200);

    QTest::mousePress(main.ui.img_Map, Qt::LeftButton, Qt::NoModifier, QPoint(500, 50));
    QTest::mouseMove(main.ui.img_Map, QPoint(300, 50));
    EXPECT_EQ(horizontal->value(), 200);
    EXPECT_EQ(main.ui.img_Map->cursor().shape(), main.HandFlat.shape());
    QTest::mouseRelease(main.ui.img_Map, Qt::LeftButton, Qt::NoModifier, QPoint(300 + 200, 50));

    // A map narrower than the view does not scroll.
    test::StartedApp small;
    small.loadAndDecode(grab(8));
    ASSERT_GE(small.main().Image_LX, 0);
    QTest::mousePress(small.main().ui.img_Map, Qt::LeftButton, Qt::NoModifier, QPoint(500, 50));
    QTest::mouseMove(small.main().ui.img_Map, QPoint(300, 50));
    EXPECT_EQ(small.main().ui.sb_Map->horizontalScrollBar()->value(), 0);
}

TEST_F(CorrectionTest, CtrlZUndoesCorrectionsAndCtrlYOrCtrlShiftZRedoesThem)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    app.loadAndDecode(grab());
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    const QImage decoded = main.ui.img_Map->picture().copy();
    const auto decodedMap = main.session().decoded.map;
    const quint32 errors = main.session().decoded.errors;
    ASSERT_NE(decodedMap[2][3], 5);
    ASSERT_GE(decodedMap[3][1], 0);

    correct(main, 2, 3, 5);
    correct(main, 3, 1, -1);
    ASSERT_EQ(main.session().decoded.map[3][1], -1);
    EXPECT_TRUE(status(main).contains(QStringLiteral("Ctrl+Z")));
    const QImage corrected = main.ui.img_Map->picture().copy();

    QTest::keyClick(&main, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(main.session().decoded.map[3][1], decodedMap[3][1]);
    EXPECT_EQ(square(main, 3, 1), decoded.copy(64 * 3, 64, 64, 64));
    EXPECT_EQ(square(main, 2, 3), corrected.copy(64 * 2, 64 * 3, 64, 64));
    EXPECT_EQ(status(main),
              QStringLiteral("Undid the correction of column 4, row 2: it is %1 again.")
                  .arg(main.ui.fullsize_char[std::size_t(decodedMap[3][1])]->toolTip()));
    QTest::keyClick(&main, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(main.session().decoded.map, decodedMap);
    EXPECT_EQ(main.ui.img_Map->picture(), decoded);
    QTest::keyClick(&main, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(status(main), QStringLiteral("No correction to undo."));

    QTest::keyClick(&main, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(main.session().decoded.map[2][3], 5);
    EXPECT_TRUE(status(main).startsWith(QStringLiteral("Redid the correction of column 3, row 4")));
    QTest::keyClick(&main, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(status(main),
              QStringLiteral("Redid the correction of column 4, row 2: it is unrecognised (the "
                             "grab's own pixels)."));
    EXPECT_EQ(main.ui.img_Map->picture(), corrected);
    QTest::keyClick(&main, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(status(main), QStringLiteral("No correction to redo."));
    EXPECT_EQ(main.session().decoded.errors, errors);
}

// Every command that throws the decoded map away asks first while there are unsaved
// corrections; No keeps the map and its corrections and does nothing else.
TEST_F(CorrectionTest, EachCommandThatWouldLoseCorrectionsAsksOnceAndNoKeepsThem)
{
    const QImage other =
        test::composeMapView(GrabMap::random(0, 32, 32, 3), GrabArt::shipped(0, 0));
    using Step = std::function<void(test::StartedApp&)>;
    using Check = std::function<bool(test::StartedApp&)>;
    const struct
    {
        const char* name;
        Step run;
        Check ran;
    } commands[] = {
        {"load a file",
         [&](test::StartedApp& app) { app.loadGrab(other, QStringLiteral("o.png")); },
         [](test::StartedApp& app) {
             return app.main().session().img_filename.endsWith(QStringLiteral("o.png"));
         }},
        {"paste a grab",
         [&](test::StartedApp& app) {
             QGuiApplication::clipboard()->setImage(other);
             app.main().ui.LoadFromClipboard->trigger();
         },
         [](test::StartedApp& app) { return app.main().session().img_filename.isEmpty(); }},
        {"change the game",
         [](test::StartedApp& app) { QTest::keyClick(app.main().ui.cb_game, Qt::Key_Down); },
         [](test::StartedApp& app) { return app.main().session().game == 1; }},
        {"change the colour",
         [](test::StartedApp& app) { QTest::keyClick(app.main().ui.cb_map_colour, Qt::Key_Down); },
         [](test::StartedApp& app) { return app.main().session().colour == 1; }},
        {"decode again", [](test::StartedApp& app) { app.main().ui.sb_DecodeStart->click(); },
         [](test::StartedApp& app) { return !app.main().session().canUndo(); }},
        {"bulk run",
         [](test::StartedApp& app) {
             TBulkConvForm* bulk = app.forms().BulkConvForm;
             app.prompts().folders = {app.path(QStringLiteral("in")),
                                      app.path(QStringLiteral("out"))};
             bulk->sb_source->click();
             bulk->sb_dest->click();
             QTimer::singleShot(0, bulk->Execute, &QPushButton::click);
             app.main().ui.sb_bulkconvert->click();
         },
         [](test::StartedApp& app) {
             return !QDir(app.path(QStringLiteral("out"))).isEmpty(QDir::Files);
         }},
        {"close the window", [](test::StartedApp& app) { app.main().close(); },
         [](test::StartedApp& app) { return !app.main().isVisible(); }},
    };
    for (const auto& command : commands) {
        SCOPED_TRACE(command.name);
        test::StartedApp app;
        TMainForm& main = app.main();
        QDir(app.path(QString())).mkdir(QStringLiteral("in"));
        QDir(app.path(QString())).mkdir(QStringLiteral("out"));
        ASSERT_TRUE(other.save(app.path(QStringLiteral("in/level.png"))));
        app.loadAndDecode(grab());
        correct(main, 2, 3, 5);
        ASSERT_EQ(main.session().decoded.map[2][3], 5);

        app.prompts().discards = {false};
        command.run(app);
        EXPECT_EQ(app.prompts().discardQuestions, 1);
        EXPECT_FALSE(command.ran(app));
        EXPECT_TRUE(main.ui.sb_SaveMap->isEnabled());
        EXPECT_EQ(main.session().decoded.map[2][3], 5);
        EXPECT_TRUE(main.session().canUndo());
        // The selectors show the game and colour still in use.
        EXPECT_EQ(main.ui.cb_game->currentIndex(), main.session().game);
        EXPECT_EQ(main.ui.cb_map_colour->currentIndex(), main.session().colour);

        app.prompts().discards = {true};
        command.run(app);
        EXPECT_EQ(app.prompts().discardQuestions, 2);
        EXPECT_TRUE(command.ran(app));
    }
}

TEST_F(CorrectionTest, NoQuestionOnceTheCorrectionsAreSavedOrUndone)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    app.loadAndDecode(grab());
    correct(main, 2, 3, 5);
    app.prompts().files.push_back(app.path(QStringLiteral("map.png")));
    main.ui.sb_SaveMap->click();
    ASSERT_TRUE(QFile::exists(app.path(QStringLiteral("map.png"))));
    main.ui.sb_DecodeStart->click();
    EXPECT_EQ(app.prompts().discardQuestions, 0);
    EXPECT_NE(main.session().decoded.map[2][3], 5);

    correct(main, 2, 3, 5);
    main.ui.Undo->trigger();
    main.ui.sb_DecodeStart->click();
    EXPECT_EQ(app.prompts().discardQuestions, 0);

    // A save refused at the overwrite question writes nothing: the corrections stay unsaved.
    correct(main, 2, 3, 5);
    app.prompts().files.push_back(app.path(QStringLiteral("map.png")));
    app.prompts().answers.push_back(false);
    main.ui.sb_SaveMap->click();
    ASSERT_EQ(app.prompts().questions.size(), 1);
    EXPECT_FALSE(main.close());
    EXPECT_EQ(app.prompts().discardQuestions, 1);
}

} // namespace
} // namespace vt
