// The window on a laptop: maximised on a screen of 1280 x 720 less a 48-pixel taskbar, at the
// device pixel ratio QT_SCALE_FACTOR sets (CTest runs this program once for each of 1, 1.25,
// 1.5 and 2, the offscreen screen sized so that it is 1280 x 672 in logical pixels). Every
// control is on the screen and whole, the pictures are drawn without smoothing at whole zoom
// steps, and the pointer lands on the right cell.
#include "app/Controls.h"
#include "app/MainForm.h"
#include "charsets/ColourSelector.h"
#include "decode/CheckOverlay.h"
#include "decode/MapDecoder.h"

#include "GrabComposer.h"
#include "TestSupport.h"
#include "UiSupport.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace vt {
namespace {

using test::GrabArt;
using test::GrabMap;

class FitTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        test::SettingsSandbox::clear();
        m_app = std::make_unique<test::StartedApp>();
        // A window-sized grab (larger than the view at every ratio), decoded.
        m_app->loadAndDecode(
            test::composeMapView(GrabMap::random(0, 32, 32, 9), GrabArt::shipped(0, 0)));
        main().showMaximized();
        QTest::qWait(50);
        QApplication::processEvents();
    }

    TMainForm& main() { return m_app->main(); }

    // The device pixels a control shows of itself and its children.
    static QImage shown(QWidget* widget)
    {
        return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    static QSet<QRgb> coloursOf(const QImage& picture)
    {
        const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
        QSet<QRgb> colours;
        for (int y = 0; y < rgb.height(); ++y)
            for (int x = 0; x < rgb.width(); ++x)
                colours.insert(rgb.pixel(x, y));
        return colours;
    }

    std::unique_ptr<test::StartedApp> m_app;
};

// A widget inside a scroll view's page is meant to be clipped by the view.
bool scrolledContent(const QWidget* widget)
{
    for (const QWidget* w = widget->parentWidget(); w; w = w->parentWidget())
        if (const auto* view = qobject_cast<const QAbstractScrollArea*>(w->parentWidget()))
            if (view->viewport() == w)
                return true;
    return false;
}

QString textOf(const QWidget* widget)
{
    QString text;
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        text =
            label->wordWrap() || qobject_cast<const PathLabel*>(widget) ? QString() : label->text();
    else if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        text = button->text();
    return text.remove(QLatin1Char('&'));
}

TEST_F(FitTest, MaximisedEveryControlIsOnTheScreenAndWhole)
{
    TMainForm& main = this->main();
    const QRect screen = main.screen()->availableGeometry();
    ASSERT_EQ(screen.size(), QSize(1280, 672)) << "the screen is not the laptop's";
    // Qt rounds a window's native size up into logical pixels: 1 pixel over is its rounding.
    EXPECT_TRUE(screen.adjusted(0, 0, 1, 1).contains(main.frameGeometry()))
        << main.frameGeometry().x() << "," << main.frameGeometry().y() << " "
        << main.frameGeometry().width() << " x " << main.frameGeometry().height();
    EXPECT_LE(main.minimumSizeHint().height(), screen.height() - 32); // with a title bar

    const QRect window = main.rect();
    int checked = 0;
    for (QWidget* widget : main.findChildren<QWidget*>()) {
        if (!widget->isVisible() || widget->isWindow() || scrolledContent(widget))
            continue;
        SCOPED_TRACE(widget->objectName().toStdString() + " " + widget->metaObject()->className());
        const QRect inWindow(widget->mapTo(&main, QPoint(0, 0)), widget->size());
        EXPECT_TRUE(window.contains(inWindow));
        EXPECT_TRUE(widget->parentWidget()->rect().contains(widget->geometry()));
        if (const QString text = textOf(widget); !text.isEmpty()) {
            int room = widget->contentsRect().width();
            if (const auto* button = qobject_cast<QAbstractButton*>(widget))
                room -= button->icon().isNull() ? 0 : button->iconSize().width() + 4;
            EXPECT_LE(QFontMetrics(widget->font()).horizontalAdvance(text), room)
                << text.toStdString();
        }
        ++checked;
    }
    EXPECT_GT(checked, 30);
    // What a laptop lost before: the status line, the map's scroll bar and the last buttons.
    const std::vector<QWidget*> lastLost = {main.statusBar(), main.ui.sb_Map->horizontalScrollBar(),
                                            main.ui.sb_about, main.ui.cb_map_colour,
                                            main.ui.lb_trust, main.ui.SuggestPanel};
    for (QWidget* bottom : lastLost) {
        SCOPED_TRACE(bottom->objectName().toStdString());
        EXPECT_TRUE(bottom->isVisible());
        EXPECT_TRUE(window.contains(QRect(bottom->mapTo(&main, QPoint(0, 0)), bottom->size())));
    }
    // The side panel's tiles shrink to a scrolling view of at least two rows, its heading and
    // five tiles a row beside the scroll bar.
    QWidget* tiles = main.ui.sb_Characters->viewport();
    EXPECT_GE(tiles->height(), 2 * 32 + 16);
    EXPECT_GE(tiles->width(), 5 * 32);
    EXPECT_LE(QFontMetrics(main.ui.lb_fullsizechar->font())
                  .horizontalAdvance(main.ui.lb_fullsizechar->text()),
              tiles->width());
}

// At 1:1 and 2:1 the grab, and the map at 1:1, show only colours the picture holds: no
// smoothing, whatever the ratio of device pixels.
TEST_F(FitTest, TheGrabAndTheMapAreDrawnWithoutSmoothingAtWholeZoomSteps)
{
    TMainForm& main = this->main();
    const QSet<QRgb> grabColours = coloursOf(main.session().working);
    main.ScreenGrabTabExecute();
    for (int zoom : {1, 2}) {
        SCOPED_TRACE(zoom);
        if (zoom == 2)
            main.ZoomInExecute();
        ASSERT_EQ(main.ui.img_ScreenGrab->width(), zoom * main.session().working.width());
        const QSet<QRgb> seen = coloursOf(shown(main.ui.img_ScreenGrab));
        EXPECT_TRUE(grabColours.contains(seen)) << (seen - grabColours).size() << " colours";
    }
    main.ConvertedTabExecute();
    ASSERT_EQ(main.ui.img_Map->size(), main.session().mapPicture.size());
    const QImage map = shown(main.ui.img_Map);
    const QSet<QRgb> mapColours = coloursOf(main.session().mapPicture);
    const QSet<QRgb> seen = coloursOf(map);
    EXPECT_TRUE(mapColours.contains(seen)) << (seen - mapColours).size() << " colours";
    EXPECT_EQ(map.size(), main.session().mapPicture.size() * main.devicePixelRatio());
}

// The cell under the pointer, its frame and the cells-to-check frames are one rectangle, and a
// Ctrl-click on the map corrects the cell under it.
TEST_F(FitTest, ThePointerLandsOnTheRightCell)
{
    TMainForm& main = this->main();
    main.ui.cb_ShowCellsToCheck->setChecked(true);
    main.ScreenGrabTabExecute();
    main.ZoomInExecute();
    // The pointer reports where its device pixel lies in logical pixels: at a ratio of 1.25,
    // device pixel 239 is at 191.2. Every device pixel at the corners of a cell as shown (its
    // first and last rows and columns) must name that cell.
    const double ratio = main.devicePixelRatio();
    const auto firstAndLast = [ratio](int from, int to) { // logical [from, to)
        return std::array<double, 2>{std::ceil(from * ratio) / ratio,
                                     (std::ceil(to * ratio) - 1) / ratio};
    };
    for (const QPoint cell : {QPoint(0, 0), QPoint(5, 3), QPoint(13, 17), QPoint(20, 25)}) {
        SCOPED_TRACE(cell.x() * 100 + cell.y());
        const QRect shownCell = main.ui.grabChecks->shownCell(cell.x(), cell.y());
        main.ui.sb_ScreenGrab->ensureVisible(shownCell.center().x(), shownCell.center().y());
        for (const double x : firstAndLast(shownCell.left(), shownCell.right() + 1))
            for (const double y : firstAndLast(shownCell.top(), shownCell.bottom() + 1)) {
                const auto move = test::mouseEvent(QEvent::MouseMove, QPointF(x, y));
                QApplication::sendEvent(main.ui.img_ScreenGrab, move.get());
                EXPECT_EQ(QPoint(main.charX, main.charY), cell) << x << "," << y;
                EXPECT_EQ(main.ui.charcursor->geometry(), shownCell);
            }
    }
    main.ConvertedTabExecute();
    const std::vector<std::vector<qint32>> before = main.session().decoded.map;
    main.selectedchar = (before[7][2] + 1) % 20;
    const QRect shownCell = main.ui.mapChecks->shownCell(7, 2);
    const auto press =
        test::mouseEvent(QEvent::MouseButtonPress,
                         QPointF(firstAndLast(shownCell.left(), shownCell.right() + 1)[1],
                                 firstAndLast(shownCell.top(), shownCell.bottom() + 1)[1]),
                         Qt::LeftButton, Qt::ControlModifier, Qt::LeftButton);
    QApplication::sendEvent(main.ui.img_Map, press.get());
    std::vector<std::vector<qint32>> expected = before;
    expected[7][2] = main.selectedchar;
    EXPECT_EQ(main.session().decoded.map, expected);

    // Before decoding, the bounds box lies on the grid's cells as the grab is shown.
    m_app->prompts().discards.push_back(true);
    m_app->loadGrab(main.session().fullcolourimage, QStringLiteral("again.png"));
    main.ScreenGrabTabExecute();
    main.ZoomInExecute();
    main.editboundbox = true;
    main.lb_MapSizeMouseEnter();
    const GridGeometry& grid = main.session().grid;
    ASSERT_EQ(grid.grab_width, 32);
    EXPECT_EQ(main.ui.mapboundbox->geometry(),
              QRect(2 * int(grid.originx), 2 * int(grid.originy), 2 * 16 * 32, 2 * 15 * 32));
}

} // namespace
} // namespace vt
