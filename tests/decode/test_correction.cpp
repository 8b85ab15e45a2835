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
        return main.img_Map->picture().copy(64 * x, 64 * y, 64, 64);
    }

    static QRect cellRect(const TMainForm& main, int x, int y)
    {
        return QRect(int(main.grid.originx) + 16 * x, int(main.grid.originy) + 15 * y, 16, 15);
    }
};

TEST_F(CorrectionTest, BeforeDecodingNothingIsFramedChosenOrReplaced)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    app.loadGrab(grab());
    QTest::mouseMove(main.img_ScreenGrab, QPoint(40, 40));
    EXPECT_FALSE(main.charcursor->isVisible());
    EXPECT_TRUE(main.charstorage->picture().isNull());

    main.ExtractCharsFromResource(0, true);
    const QPoint frame = main.charselect->pos();
    QTest::mouseClick(main.fullsize_char[3], Qt::LeftButton);
    EXPECT_EQ(main.charselect->pos(), frame);
    EXPECT_EQ(main.selectedchar, -1);
}

TEST_F(CorrectionTest, ThePointerFramesTheCellUnderItAndShowsItEnlargedInFullColour)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    app.loadAndDecode(grab());
    main.ScreenGrabTabExecute();

    QTest::mouseMove(main.img_ScreenGrab, QPoint(3 * 16 + 5, 2 * 15 + 7));
    EXPECT_TRUE(main.charcursor->isVisible());
    EXPECT_EQ(main.charcursor->geometry(), QRect(48, 30, 16, 15));
    EXPECT_EQ(main.charX, 3);
    EXPECT_EQ(main.charY, 2);
    EXPECT_EQ(main.charstorage->picture(),
              enlargedCell(main.fullcolourimage, cellRect(main, 3, 2), 32));

    // Leaving the grab empties the preview and hides the box.
    main.img_ScreenGrabMouseLeave();
    EXPECT_FALSE(main.charcursor->isVisible());
    EXPECT_TRUE(main.charstorage->picture().isNull());
}

TEST_F(CorrectionTest, APointerOnePixelOutsideTheGridHidesTheBox)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    QImage framed(512 + 32, 480 + 30, QImage::Format_RGB32);
    framed.fill(Qt::black);
    app.loadAndDecode(grab());
    // Move the decoded grid's origin as if the map started at (16, 15): cells begin there.
    main.grid.originx = 16;
    main.grid.originy = 15;
    main.ScreenGrabTabExecute();
    QTest::mouseMove(main.img_ScreenGrab, QPoint(20, 15));
    EXPECT_TRUE(main.charcursor->isVisible());
    QTest::mouseMove(main.img_ScreenGrab, QPoint(20, 14));
    EXPECT_FALSE(main.charcursor->isVisible());
    EXPECT_TRUE(main.charstorage->picture().isNull());
    QTest::mouseMove(main.img_ScreenGrab, QPoint(15, 40));
    EXPECT_FALSE(main.charcursor->isVisible());
}

TEST_F(CorrectionTest, AtZoomTwoAndScrolledTheBoxFramesTheCellUnderThePointer)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    app.loadAndDecode(grab());
    main.ScreenGrabTabExecute();
    main.ZoomInExecute();
    ASSERT_EQ(main.img_ScreenGrab->size(), QSize(1024, 960));
    main.sb_ScreenGrab->horizontalScrollBar()->setValue(100);
    main.sb_ScreenGrab->verticalScrollBar()->setValue(90);
    ASSERT_GT(main.sb_ScreenGrab->horizontalScrollBar()->value(), 0);

    // Picture pixel (90, 80) is cell (5, 5); at zoom 2 it shows at (180, 160) of the picture
    // control.
    QTest::mouseMove(main.img_ScreenGrab, QPoint(181, 161));
    EXPECT_EQ(main.charX, 5);
    EXPECT_EQ(main.charY, 5);
    EXPECT_EQ(main.charcursor->geometry(), QRect(160, 150, 32, 30));
    EXPECT_TRUE(main.charcursor->isVisible());

    // Zooming hides the box and empties the preview.
    main.ZoomOutExecute();
    EXPECT_FALSE(main.charcursor->isVisible());
    EXPECT_TRUE(main.charstorage->picture().isNull());
}

TEST_F(CorrectionTest, ACharacterOrTheGrabsPixelsReplaceACellButNotTheAccuracy)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    app.loadAndDecode(grab());
    const QString accuracy = main.lb_accuracy->text();
    const quint32 errors = main.decoded.errors;

    // Choose character 5 and press the right button on the framed cell (2, 3).
    QTest::mouseClick(main.fullsize_char[5], Qt::LeftButton);
    EXPECT_EQ(main.selectedchar, 5);
    EXPECT_EQ(main.charselect->pos(), main.fullsize_char[5]->pos());
    main.ScreenGrabTabExecute();
    QTest::mouseMove(main.img_ScreenGrab, QPoint(2 * 16 + 8, 3 * 15 + 7));
    ASSERT_TRUE(main.charcursor->isVisible());
    QTest::mousePress(main.charcursor, Qt::RightButton, Qt::NoModifier, QPoint(8, 7));
    EXPECT_EQ(main.decoded.map[2][3], 5);
    EXPECT_EQ(square(main, 2, 3),
              main.fullsize_char[5]->picture().convertToFormat(QImage::Format_RGB32));
    EXPECT_FALSE(main.charcursor->isVisible());

    // Choose the grab's own pixels and Ctrl-click the converted map zoomed out to 1/2:
    // (100, 40) there is picture pixel (200, 80), cell (3, 1).
    QTest::mouseClick(main.charstorage, Qt::LeftButton);
    EXPECT_EQ(main.selectedchar, -1);
    EXPECT_EQ(main.charselect->pos(), main.charstorage->pos());
    main.ConvertedTabExecute();
    main.ZoomOutExecute();
    ASSERT_EQ(main.img_Map->width(), 1024);
    QTest::mouseClick(main.img_Map, Qt::LeftButton, Qt::ControlModifier, QPoint(100, 40));
    EXPECT_EQ(main.decoded.map[3][1], -1);
    EXPECT_EQ(square(main, 3, 1), enlargedCell(main.fullcolourimage, cellRect(main, 3, 1), 64));

    // A right-button Ctrl-click on the map does nothing.
    main.decoded.map[4][1] = 2;
    QTest::mouseClick(main.img_Map, Qt::RightButton, Qt::ControlModifier, QPoint(4 * 32 + 5, 40));
    EXPECT_EQ(main.decoded.map[4][1], 2);

    EXPECT_EQ(main.lb_accuracy->text(), accuracy);
    EXPECT_EQ(main.decoded.errors, errors);
}

TEST_F(CorrectionTest, DraggingTheMapScrollsItWithinItsRange)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    app.loadAndDecode(grab());
    QScrollBar* horizontal = main.sb_Map->horizontalScrollBar();
    ASSERT_EQ(horizontal->value(), 0);
    ASSERT_LT(main.Image_LX, -200);

    QTest::mousePress(main.img_Map, Qt::LeftButton, Qt::NoModifier, QPoint(500, 50));
    QTest::mouseMove(main.img_Map, QPoint(300, 50));
    EXPECT_EQ(horizontal->value(), 200);
    EXPECT_EQ(main.img_Map->cursor().shape(), main.HandFlat.shape());
    QTest::mouseRelease(main.img_Map, Qt::LeftButton, Qt::NoModifier, QPoint(300 + 200, 50));

    // A map narrower than the view does not scroll.
    test::StartedApp small;
    small.loadAndDecode(grab(8));
    ASSERT_GE(small.main().Image_LX, 0);
    QTest::mousePress(small.main().img_Map, Qt::LeftButton, Qt::NoModifier, QPoint(500, 50));
    QTest::mouseMove(small.main().img_Map, QPoint(300, 50));
    EXPECT_EQ(small.main().sb_Map->horizontalScrollBar()->value(), 0);
}

} // namespace
} // namespace vt
