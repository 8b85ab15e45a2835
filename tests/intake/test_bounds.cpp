// The bounds box: showing, holding, dragging and restoring the grid before decoding.
#include "app/Controls.h"
#include "app/MainForm.h"

#include "GrabComposer.h"
#include "TestSupport.h"
#include "UiSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace vt {
namespace {

using test::GrabArt;
using test::GrabMap;

struct Grid
{
    int x, y, columns, rows;
};

class BoundsTest : public ::testing::Test
{
protected:
    void SetUp() override { test::SettingsSandbox::clear(); }

    // A 512 x 480 map view of `game`, its grid then set to `start`.
    void open(test::StartedApp& app, int game, Grid start, int zoom = 1)
    {
        TMainForm& main = app.main();
        app.loadGrab(
            test::composeMapView(GrabMap::random(game, 32, 32, 9), GrabArt::shipped(game, 0)));
        main.ui.cb_game->setCurrentIndex(game); // a plain 32 x 32 map view leaves the game alone
        main.session().grid.originx = quint32(start.x);
        main.session().grid.originy = quint32(start.y);
        main.session().grid.grab_width = start.columns;
        main.session().grid.grab_height = start.rows;
        for (int z = 1; z < zoom; z *= 2)
            main.ZoomInExecute();
        main.lb_MapSizeMouseEnter();
        main.lb_MapSizeClick(); // hold it open
    }

    // A drag on the box from `from` to `to`, both in the box's own (screen) pixels.
    static void drag(TMainForm& main, QPoint from, QPoint to)
    {
        main.mapboundboxMouseMove(test::mouseEvent(QEvent::MouseMove, from).get());
        main.mapboundboxMouseDown(test::mouseEvent(QEvent::MouseButtonPress, from, Qt::LeftButton,
                                                   Qt::NoModifier, Qt::LeftButton)
                                      .get());
        main.mapboundboxMouseMove(test::mouseEvent(QEvent::MouseMove, to, Qt::LeftButton).get());
        main.mapboundboxMouseUp(test::mouseEvent(QEvent::MouseButtonRelease, to, Qt::NoButton,
                                                 Qt::NoModifier, Qt::LeftButton)
                                    .get());
    }

    static Grid gridOf(const TMainForm& main)
    {
        return {int(main.session().grid.originx), int(main.session().grid.originy),
                main.session().grid.grab_width, main.session().grid.grab_height};
    }
};

struct DragCase
{
    const char* name;
    int game;
    Grid start;
    QPoint from, to;
    Grid expected;
};

class BoundsDrag : public BoundsTest, public ::testing::WithParamInterface<DragCase>
{
};

TEST_P(BoundsDrag, EditsTheGridAtZoomOneAndTwoAlike)
{
    const DragCase& c = GetParam();
    for (int zoom : {1, 2}) {
        test::StartedApp app;
        open(app, c.game, c.start, zoom);
        TMainForm& main = app.main();
        drag(main, c.from * zoom, c.to * zoom);
        const Grid got = gridOf(main);
        EXPECT_EQ(got.x, c.expected.x) << c.name << " at zoom " << zoom;
        EXPECT_EQ(got.y, c.expected.y) << c.name << " at zoom " << zoom;
        EXPECT_EQ(got.columns, c.expected.columns) << c.name << " at zoom " << zoom;
        EXPECT_EQ(got.rows, c.expected.rows) << c.name << " at zoom " << zoom;
        EXPECT_EQ(main.ui.mapboundbox->geometry(),
                  QRect(got.x * zoom, got.y * zoom, got.columns * 16 * zoom, got.rows * 15 * zoom))
            << c.name;
        EXPECT_EQ(main.ui.lb_MapSize->text(),
                  QStringLiteral("%1x%2").arg(got.columns).arg(got.rows));
        EXPECT_EQ(main.ui.lb_Origin->text(), QStringLiteral("%1,%2").arg(got.x).arg(got.y));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BoundsDrag,
    ::testing::Values(
        DragCase{"left edge to 64", 1, {0, 0, 32, 32}, {2, 200}, {64, 200}, {64, 0, 24, 32}},
        DragCase{"top edge to 60", 1, {0, 0, 32, 32}, {200, 2}, {200, 60}, {0, 60, 32, 24}},
        DragCase{"left edge to 200", 1, {0, 0, 32, 32}, {2, 200}, {200, 200}, {192, 0, 8, 32}},
        DragCase{
            "8 columns cannot shrink", 1, {192, 0, 8, 32}, {2, 200}, {64, 200}, {192, 0, 8, 32}},
        DragCase{"right edge to 576 makes 40",
                 1,
                 {0, 0, 32, 32},
                 {510, 200},
                 {576, 200},
                 {0, 0, 32, 32}},
        DragCase{"right edge to 448", 1, {0, 0, 32, 32}, {510, 200}, {448, 200}, {64, 0, 24, 32}},
        DragCase{
            "first game cannot resize", 0, {0, 0, 32, 32}, {2, 200}, {64, 200}, {0, 0, 32, 32}},
        DragCase{"a move that would go left of 0",
                 1,
                 {64, 60, 24, 24},
                 {100, 100},
                 {0, 110},
                 {64, 70, 24, 24}},
        DragCase{
            "a move within the grab", 0, {0, 0, 24, 24}, {100, 100}, {103, 105}, {3, 5, 24, 24}}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    });

TEST_F(BoundsTest, HoverChoosesTheEditModeAndPointerShape)
{
    test::StartedApp app;
    open(app, 1, {0, 0, 32, 32});
    TMainForm& main = app.main();
    const struct
    {
        QPoint at;
        int mode;
        Qt::CursorShape shape;
    } cases[] = {
        {{200, 200}, 0, Qt::SizeAllCursor},   {{2, 200}, 1, Qt::SizeHorCursor},
        {{509, 200}, 2, Qt::SizeHorCursor},   {{200, 2}, 3, Qt::SizeVerCursor},
        {{200, 477}, 4, Qt::SizeVerCursor},   {{2, 2}, 5, Qt::SizeFDiagCursor},
        {{509, 477}, 6, Qt::SizeFDiagCursor}, {{2, 477}, 7, Qt::SizeBDiagCursor},
        {{509, 2}, 8, Qt::SizeBDiagCursor},
    };
    for (const auto& c : cases) {
        main.mapboundboxMouseMove(test::mouseEvent(QEvent::MouseMove, c.at).get());
        EXPECT_EQ(main.boundboxedit, c.mode) << c.at.x() << "," << c.at.y();
        EXPECT_EQ(main.ui.mapboundbox->cursor().shape(), c.shape) << c.at.x() << "," << c.at.y();
    }
}

TEST_F(BoundsTest, TheBoxShowsOnHoverHoldsOnClickAndADoubleClickRestores)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    app.loadGrab(test::composeMapView(GrabMap::random(0, 32, 32, 9), GrabArt::shipped(0, 0)));
    EXPECT_EQ(main.ui.lb_MapSize->text(), QStringLiteral("32x32"));

    main.lb_MapSizeMouseEnter();
    EXPECT_TRUE(main.ui.mapboundbox->isVisible());
    EXPECT_EQ(main.ui.mapboundbox->geometry(), QRect(0, 0, 512, 480));
    main.lb_MapSizeMouseLeave();
    EXPECT_FALSE(main.ui.mapboundbox->isVisible());

    main.lb_MapSizeMouseEnter();
    main.lb_MapSizeClick();
    main.lb_MapSizeMouseLeave();
    EXPECT_TRUE(main.ui.mapboundbox->isVisible());

    main.session().grid.grab_width = 24;
    main.lb_MapSizeMouseEnter();
    drag(main, {100, 100}, {120, 100});
    EXPECT_EQ(main.ui.lb_Origin->text(), QStringLiteral("20,0"));
    main.lb_MapSizeDblClick();
    EXPECT_EQ(main.ui.lb_Origin->text(), QStringLiteral("0,0"));
    EXPECT_EQ(main.ui.lb_MapSize->text(), QStringLiteral("32x32"));
    EXPECT_EQ(main.session().grid, main.session().det);

    // A second click releases the hold.
    main.lb_MapSizeClick();
    main.lb_MapSizeMouseLeave();
    EXPECT_FALSE(main.ui.mapboundbox->isVisible());
}

TEST_F(BoundsTest, NothingHappensWhileADecodedMapExists)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    app.loadAndDecode(test::composeMapView(GrabMap::random(0, 32, 32, 9), GrabArt::shipped(0, 0)));
    main.session().grid.originx = 5; // as if edited, to see that the restore does not run
    main.lb_MapSizeMouseEnter();
    EXPECT_FALSE(main.ui.mapboundbox->isVisible());
    main.lb_MapSizeClick();
    EXPECT_FALSE(main.editboundbox);
    main.lb_MapSizeDblClick();
    EXPECT_EQ(main.session().grid.originx, 5u);
}

TEST_F(BoundsTest, ZoomingReplacesAVisibleBoxForTheNewScale)
{
    test::StartedApp app;
    open(app, 1, {64, 60, 24, 24});
    TMainForm& main = app.main();
    main.ZoomInExecute();
    EXPECT_EQ(main.ui.mapboundbox->geometry(), QRect(128, 120, 768, 720));
    main.ZoomOutExecute();
    EXPECT_EQ(main.ui.mapboundbox->geometry(), QRect(64, 60, 384, 360));
}

TEST_F(BoundsTest, BeforeAnyGrabHoveringShowsNoBoxAndClicksHoldNothing)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    main.lb_MapSizeMouseEnter();
    EXPECT_FALSE(main.ui.mapboundbox->isVisible());
    main.lb_MapSizeClick();
    EXPECT_FALSE(main.editboundbox);
    main.lb_MapSizeDblClick();
    EXPECT_FALSE(main.ui.mapboundbox->isVisible());
}

// A double-click as the user makes it: Qt delivers press, release, double-click, release,
// whether it builds them itself from two clicks on the window or the events come as such.
enum class DoubleClick
{
    OnTheWindow,
    AsDelivered
};

class BoundsDoubleClick : public BoundsTest, public ::testing::WithParamInterface<DoubleClick>
{
protected:
    static void doubleClick(TMainForm& main, EventLabel* label)
    {
        const QPoint at = label->rect().center();
        if (GetParam() == DoubleClick::OnTheWindow) {
            QTest::mouseDClick(main.windowHandle(), Qt::LeftButton, Qt::NoModifier,
                               label->mapTo(&main, at));
            return;
        }
        const QEvent::Type sequence[] = {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                         QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease};
        for (const QEvent::Type type : sequence) {
            const bool down = type != QEvent::MouseButtonRelease;
            auto event = test::mouseEvent(type, at, down ? Qt::LeftButton : Qt::NoButton,
                                          Qt::NoModifier, Qt::LeftButton);
            QApplication::sendEvent(label, event.get());
        }
    }
};

TEST_P(BoundsDoubleClick, RestoresTheGridAndTogglesTheHoldOnce)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    app.loadGrab(test::composeMapView(GrabMap::random(0, 32, 32, 9), GrabArt::shipped(0, 0)));
    for (EventLabel* label : {main.ui.lb_MapSize, main.ui.lb_Origin}) {
        const bool held = main.editboundbox;
        main.session().grid.grab_width = 24; // narrower than the grab, so that it can move
        main.lb_MapSizeMouseEnter();
        drag(main, {100, 100}, {110, 100});
        ASSERT_EQ(main.ui.lb_Origin->text(), QStringLiteral("10,0"));

        doubleClick(main, label);
        EXPECT_EQ(main.session().grid, main.session().det) << label->objectName().toStdString();
        EXPECT_EQ(main.ui.lb_Origin->text(), QStringLiteral("0,0"));
        EXPECT_EQ(main.ui.mapboundbox->geometry(), QRect(0, 0, 512, 480));
        EXPECT_EQ(main.editboundbox, !held) << label->objectName().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Deliveries, BoundsDoubleClick,
                         ::testing::Values(DoubleClick::OnTheWindow, DoubleClick::AsDelivered),
                         [](const ::testing::TestParamInfo<DoubleClick>& info) {
                             return std::string(info.param == DoubleClick::OnTheWindow
                                                    ? "OnTheWindow"
                                                    : "AsDelivered");
                         });

} // namespace
} // namespace vt
