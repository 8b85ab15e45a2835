// Inspecting and correcting a decoded map with real pointer events on the widgets.
#include "app/Controls.h"
#include "app/MainForm.h"
#include "decode/MapDecoder.h"

#include "GrabComposer.h"
#include "TestSupport.h"
#include "UiSupport.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace vt {
namespace {

using test::GrabArt;
using test::GrabMap;

class CorrectionTest : public ::testing::Test
{
protected:
    void SetUp() override { test::SettingsSandbox::clear(); }

    static QImage grab(int columns = 32)
    {
        return test::composeMapView(GrabMap::random(0, columns, columns, 17),
                                    GrabArt::shipped(0, 0));
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

} // namespace
} // namespace vt
