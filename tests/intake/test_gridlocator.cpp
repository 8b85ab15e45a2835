// Grid location: size classification, the window search with its marker and hero checks, the
// map searches of both window layouts, the colour survey and the reload rules.
#include "intake/GridLocator.h"

#include "GrabComposer.h"
#include "charsets/GameTables.h"
#include "decode/CellCompare.h"
#include "pictures/BmpByteImage.h"
#include "pictures/Halftone.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace vt {
namespace {

using test::ComposedGrab;
using test::GrabArt;
using test::GrabMap;
using test::WindowLayout;
using test::WindowPlacement;

constexpr int kHeroSize = 34;

// Reduces the grab as a load does and runs the analysis.
LocateResult locate(const QImage& grab, const QImage& hero, GridGeometry start = {},
                    int selectedGame = 0, bool newLoad = true, Thresholds thresholds = {})
{
    const QImage working = reduceToHalftone(grab);
    const QByteArray heroBytes = bmpByteImage(reduceToHalftone(hero));
    LocateInput input;
    input.working = &working;
    input.start = start;
    input.selectedGame = selectedGame;
    input.newLoad = newLoad;
    input.thresholds = thresholds;
    input.hero = &heroBytes;
    return locateGrid(input);
}

const GrabArt& art0()
{
    static const GrabArt art = GrabArt::shipped(0, 0);
    return art;
}

// A window grab with nothing but what the window search needs, on grey: the marker run (first
// pixel and row as the search's table puts them) and the hero beside it.
struct BareWindow
{
    char layout = 'A';
    int game = 0;
    QPoint view{40, 60}; // map-view corner
    int runLength = 0;   // 0: the layout's own
    bool hero = true;
};

QPoint markerOf(char layout, int game)
{
    if (layout == 'A')
        return game == 0 ? QPoint(548, 173) : QPoint(548, 146);
    return QPoint(513, 2);
}

QPoint heroOf(char layout, int game)
{
    if (layout == 'A')
        return game == 0 ? QPoint(651, 276) : QPoint(583, 283);
    return game == 0 ? QPoint(532, 298) : QPoint(532, 363);
}

QImage bareWindow(const BareWindow& w, const QImage& hero)
{
    QImage grab(1024, 768, QImage::Format_RGB32);
    grab.fill(QColor(153, 153, 153));
    QPainter p(&grab);
    const int length = w.runLength ? w.runLength : (w.layout == 'A' ? 204 : 124);
    const QColor colour = w.layout == 'A' ? QColor(Qt::black) : QColor(204, 51, 0);
    p.fillRect(QRect(w.view + markerOf(w.layout, w.game), QSize(length, 1)), colour);
    if (w.hero)
        p.drawImage(w.view + heroOf(w.layout, w.game), hero);
    return grab;
}

// --- Size classification ---------------------------------------------------------------------

TEST(GridLocatorSize, ClassifiesBySize)
{
    struct Case
    {
        int w, h;
        bool recognised;
        bool window;
        int columns, rows;
        int selectGame;
    };
    const Case cases[] = {
        {512, 480, true, false, 32, 32, -1},   {256, 240, true, false, 16, 16, 1},
        {384, 240, true, false, 24, 16, 1},    {128, 120, true, false, 8, 8, 1},
        {200, 150, false, false, 32, 32, -1}, // 200 is no multiple of 16
        {160, 150, false, false, 32, 32, -1}, // 10 x 10 cells
        {1024, 768, true, true, 32, 32, -1},   {513, 481, true, true, 32, 32, -1},
        {1025, 768, false, false, 32, 32, -1}, {1024, 769, false, false, 32, 32, -1},
        {512, 600, false, false, 32, 32, -1},  {800, 480, false, false, 32, 32, -1},
    };
    // A reload's grid with a map-view corner: an unrecognised grab must not keep it.
    GridGeometry start{7, 9, 24, 24, 30, 40};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << " x " << c.h);
        QImage grab(c.w, c.h, QImage::Format_RGB32);
        grab.fill(Qt::black);
        const LocateResult r = locate(grab, art0().hero, start, 0, true);
        EXPECT_EQ(r.recognised, c.recognised);
        // A blank window-sized grab has no window in it: the load ends early.
        EXPECT_EQ(r.windowNotFound, c.window);
        if (c.window)
            continue;
        EXPECT_EQ(r.grid, (GridGeometry{0, 0, c.columns, c.rows, 0, 0}));
        EXPECT_EQ(r.valid, c.recognised);
        EXPECT_EQ(r.selectGame, c.selectGame);
        if (!c.recognised) {
            EXPECT_FALSE(r.captionsSet);
            EXPECT_EQ(r.chosenScheme, -1);
            EXPECT_FALSE(r.detectedGame);
        }
    }
}

// --- Window search -------------------------------------------------------------------------

TEST(GridLocatorWindow, MarkerRunMustHaveExactLength)
{
    struct Case
    {
        char layout;
        int runLength;
        bool found;
    };
    const Case cases[] = {{'A', 204, true}, {'A', 205, false}, {'A', 203, false},
                          {'B', 124, true}, {'B', 125, false}, {'B', 123, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.layout << " run of " << c.runLength);
        BareWindow w;
        w.layout = c.layout;
        w.runLength = c.runLength;
        const LocateResult r = locate(bareWindow(w, art0().hero), art0().hero);
        EXPECT_EQ(r.windowNotFound, !c.found);
        if (!c.found)
            continue;
        EXPECT_EQ(r.layout, c.layout);
        EXPECT_EQ(r.grid.mapareax, 40u);
        EXPECT_EQ(r.grid.mapareay, 60u);
        EXPECT_EQ(r.detectedGame, 0);
    }
}

TEST(GridLocatorWindow, FindsBothGamesInBothLayouts)
{
    for (char layout : {'A', 'B'})
        for (int game : {0, 1}) {
            SCOPED_TRACE(testing::Message() << layout << " game " << game);
            BareWindow w;
            w.layout = layout;
            w.game = game;
            w.view = QPoint(1, 2); // the run starts right at the scan's start column
            const LocateResult r = locate(bareWindow(w, art0().hero), art0().hero);
            ASSERT_FALSE(r.windowNotFound);
            EXPECT_EQ(r.layout, layout);
            EXPECT_EQ(r.detectedGame, game);
            EXPECT_EQ(r.selectGame, game);
            EXPECT_EQ(r.grid, (GridGeometry{1, 2, 32, 32, 1, 2}));
        }
}

// The scan reads its first row from one right of the start point and every later row from the
// start point itself, so a run starting at the start column on the first row is counted short.
TEST(GridLocatorWindow, ScanStartsRightOfStartPointOnFirstRowOnly)
{
    struct Case
    {
        char layout;
        int game;
        QPoint view;
        bool found;
    };
    const Case cases[] = {
        {'A', 1, {1, 0}, false}, {'A', 1, {2, 0}, true}, {'A', 1, {1, 1}, true},
        {'B', 0, {1, 0}, false}, {'B', 0, {2, 0}, true}, {'B', 0, {1, 1}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.layout << " view at " << c.view.x() << "," << c.view.y());
        BareWindow w;
        w.layout = c.layout;
        w.game = c.game;
        w.view = c.view;
        const LocateResult r = locate(bareWindow(w, art0().hero), art0().hero);
        EXPECT_EQ(r.windowNotFound, !c.found);
        if (c.found) {
            EXPECT_EQ(r.grid.mapareax, quint32(c.view.x()));
        }
    }
}

// The hero at the first place scoring between prob_match and vorlan_match is not enough: the
// second place is tried and its score decides.
TEST(GridLocatorWindow, HeroBelowVorlanMatchTriesSecondPlace)
{
    const QImage& hero = art0().hero;
    const QByteArray heroBytes = bmpByteImage(reduceToHalftone(hero));
    // Whiten rows of the hero from the top until it scores below vorlan_match.
    QImage partial;
    int score = 106;
    for (int rows = 1; rows <= kHeroSize && score >= 96; ++rows) {
        partial = hero.copy();
        QPainter(&partial).fillRect(0, 0, kHeroSize, rows, Qt::white);
        int bigch = 0;
        score = CompareBitmaps({heroBytes}, bmpByteImage(reduceToHalftone(partial)), bigch,
                               kHeroSize, kHeroSize);
    }
    ASSERT_LT(score, 96);
    ASSERT_GE(score, 88);

    const QPoint view(40, 60);
    const auto grab = [&](const QImage* first, const QImage* second) {
        BareWindow w;
        w.view = view;
        w.hero = false;
        QImage g = bareWindow(w, hero);
        QPainter p(&g);
        if (first)
            p.drawImage(view + heroOf('A', 0), *first);
        if (second)
            // The second game's place relative to this marker (RX + 34, RY + 136).
            p.drawImage(view + QPoint(549 + 34, 174 + 136), *second);
        return g;
    };

    // Partial first, hero second: the second game's window, its origin from the same marker.
    LocateResult r = locate(grab(&partial, &hero), hero);
    ASSERT_FALSE(r.windowNotFound);
    EXPECT_EQ(r.detectedGame, 1);
    EXPECT_EQ(r.grid.mapareax, quint32(view.x()));
    EXPECT_EQ(r.grid.mapareay, quint32(view.y() + 174 - 147));

    // Partial first, nothing second: the second score decides, and fails.
    r = locate(grab(&partial, nullptr), hero);
    EXPECT_TRUE(r.windowNotFound);

    // The same partial hero passes when vorlan_match is lowered to its score.
    Thresholds lenient;
    lenient.vorlan_match = quint8(score);
    r = locate(grab(&partial, nullptr), hero, {}, 0, true, lenient);
    ASSERT_FALSE(r.windowNotFound);
    EXPECT_EQ(r.detectedGame, 0);
    EXPECT_EQ(r.grid.mapareay, quint32(view.y()));
}

// The second game's layout-A panel may be plain black where the first game shows its hero:
// that must not pass for the first game's hero, so the second place is tried and found.
TEST(GridLocatorWindow, BlackPanelAtFirstPlaceIsNotTheHero)
{
    BareWindow w;
    w.game = 1;
    QImage grab = bareWindow(w, art0().hero);
    // The first game's place relative to this marker (RX + 102, RY + 102), in a black box.
    QPainter(&grab).fillRect(QRect(w.view + QPoint(549 + 102 - 8, 147 + 102 - 8), QSize(50, 50)),
                             Qt::black);
    const LocateResult r = locate(grab, art0().hero);
    ASSERT_FALSE(r.windowNotFound);
    EXPECT_EQ(r.detectedGame, 1);
    EXPECT_EQ(r.grid.mapareax, quint32(w.view.x()));
    EXPECT_EQ(r.grid.mapareay, quint32(w.view.y()));
}

// A marker without the hero is not the window: the next layout is still tried.
TEST(GridLocatorWindow, MarkerWithoutHeroFailsOnlyItsLayout)
{
    BareWindow b;
    b.layout = 'B';
    b.view = QPoint(20, 10);
    QImage grab = bareWindow(b, art0().hero);
    QPainter(&grab).fillRect(QRect(600, 300, 204, 1), Qt::black); // layout A's run, no hero
    const LocateResult r = locate(grab, art0().hero);
    ASSERT_FALSE(r.windowNotFound);
    EXPECT_EQ(r.layout, 'B');
    EXPECT_EQ(r.grid.mapareax, 20u);
    EXPECT_EQ(r.grid.mapareay, 10u);
}

// The first game's layout-A window lies 174 rows above its marker's row as read: a marker
// nearer the top would put the window's corner above the picture (an unsigned wrap to
// 4294967276 for 20 rows). That pass fails, and the other layout is still tried.
TEST(GridLocatorWindow, WindowReachingAboveThePictureFailsItsPass)
{
    for (const bool otherWindow : {false, true}) {
        SCOPED_TRACE(otherWindow ? "with a layout-B window" : "alone");
        BareWindow a;
        a.view = QPoint(40, -20);
        QImage grab = bareWindow(a, art0().hero);
        if (otherWindow) {
            BareWindow b;
            b.layout = 'B';
            b.view = QPoint(20, 10);
            QPainter p(&grab);
            p.fillRect(QRect(b.view + markerOf('B', 0), QSize(124, 1)), QColor(204, 51, 0));
            p.drawImage(b.view + heroOf('B', 0), art0().hero);
        }
        const LocateResult r = locate(grab, art0().hero);
        EXPECT_EQ(r.windowNotFound, !otherWindow);
        EXPECT_LT(r.grid.originy, 768u);
        if (otherWindow) {
            EXPECT_EQ(r.layout, 'B');
            EXPECT_EQ(r.grid.mapareax, 20u);
            EXPECT_EQ(r.grid.mapareay, 10u);
        }
    }
}

// --- Map inside a window ---------------------------------------------------------------------

// Layout A samples the view every cell from its corners against the colour above the view; the
// first sample that differs gives the margins. Single dark pixels on grey show where it looks.
TEST(GridLocatorLayoutA, MarginsFromFirstDifferingSample)
{
    struct Case
    {
        std::vector<QPoint> pixels; // from the view corner
        quint32 dx, dy;             // expected origin from the view corner
        int columns, rows;
    };
    const Case cases[] = {
        {{{0, 0}}, 0, 0, 32, 32},
        {{{64, 60}}, 64, 60, 24, 24}, // sample dx 64, dy 61: the row above is read
        {{{128, 120}}, 128, 120, 16, 16},
        {{{0, 60}}, 0, 60, 32, 24},
        {{{64, 61}}, 0, 0, 32, 32}, // between sample rows: no hit, the entry size stands
        {{{80, 60}}, 0, 0, 32, 32}, // 22 columns from every corner: the window fallback
        {{{80, 60}, {64, 418}}, 64, 60, 24, 24}, // the bottom-left corner finds the map
        {{{80, 60}, {448, 60}}, 64, 60, 24, 24}, // the top-right corner finds the map
    };
    const QPoint view(40, 60);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "first pixel " << c.pixels[0].x() << "," << c.pixels[0].y());
        BareWindow w;
        w.view = view;
        QImage grab = bareWindow(w, art0().hero);
        for (const QPoint& p : c.pixels)
            grab.setPixel(view + p, qRgb(0, 0, 102));
        const LocateResult r = locate(grab, art0().hero);
        ASSERT_EQ(r.layout, 'A');
        EXPECT_EQ(r.grid.originx - r.grid.mapareax, c.dx);
        EXPECT_EQ(r.grid.originy - r.grid.mapareay, c.dy);
        EXPECT_EQ(r.grid.grab_width, c.columns);
        EXPECT_EQ(r.grid.grab_height, c.rows);
    }
}

// A layout-B window whose map view is black but for one orange line, given from the view's corner.
QImage layoutBWithLine(const QRect& line)
{
    BareWindow w;
    w.layout = 'B';
    QImage grab = bareWindow(w, art0().hero);
    QPainter p(&grab);
    p.fillRect(QRect(w.view - QPoint(0, 1), QSize(512, 481)), Qt::black);
    p.fillRect(line.translated(w.view), QColor(255, 128, 0));
    return grab;
}

// Layout B finds the map's top by the first orange line down the view: offsets 56 to 70 mean 24
// rows, the map 60 rows below the view's top.
TEST(GridLocatorLayoutB, TopOffsetGivesRows)
{
    for (int top = 54; top <= 72; ++top) {
        SCOPED_TRACE(testing::Message() << "line at " << top);
        const QImage grab = layoutBWithLine(QRect(0, top, 512, 1));
        const LocateResult r = locate(grab, art0().hero);
        ASSERT_EQ(r.layout, 'B');
        const bool rows24 = top >= 56 && top <= 70;
        EXPECT_EQ(r.grid.grab_height, rows24 ? 24 : 32);
        EXPECT_EQ(r.grid.originy, r.grid.mapareay + (rows24 ? 60 : 0));
        EXPECT_EQ(r.grid.grab_width, 32);
        EXPECT_EQ(r.grid.originx, r.grid.mapareax);
    }
}

// The left edge is the first orange column along the rows, counted from the row above the one
// the scan stopped on: 360 orange pixels from there, in the map's first cell column.
TEST(GridLocatorLayoutB, LeftEdgeGivesColumns)
{
    struct Case
    {
        int x, top; // the line's column and first row, from the view corner; 360 rows long
        int columns;
    };
    const Case cases[] = {
        {64, -1, 24}, {79, -1, 24}, {128, -1, 16},
        {192, -1, 8}, {64, 0, 32}, // one short of 360 from the row above the first read row
        {63, -1, 32},              // 26 columns
        {80, -1, 32},              // 22 columns
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "line at " << c.x << " from row " << c.top);
        const QImage grab = layoutBWithLine(QRect(c.x, c.top, 1, 360));
        const LocateResult r = locate(grab, art0().hero);
        ASSERT_EQ(r.layout, 'B');
        EXPECT_EQ(r.grid.grab_width, c.columns);
        EXPECT_EQ(r.grid.originx, r.grid.mapareax + quint32((32 - c.columns) * 8));
        EXPECT_EQ(r.grid.grab_height, 32);
    }
}

// Whole composed windows: marker, hero, map search and survey together.
TEST(GridLocatorComposed, FindsMapGameAndScheme)
{
    struct Case
    {
        WindowLayout layout;
        int game;
        int columns, rows;
        QSize grab;
        QPoint at;
    };
    const Case cases[] = {
        {WindowLayout::A, 0, 32, 32, {1024, 768}, {8, 8}},
        {WindowLayout::A, 0, 24, 24, {800, 600}, {0, 0}},
        {WindowLayout::A, 0, 16, 16, {1024, 768}, {200, 180}},
        {WindowLayout::A, 0, 32, 24, {900, 700}, {60, 120}},
        {WindowLayout::A, 1, 32, 32, {1024, 768}, {30, 30}},
        {WindowLayout::A, 1, 24, 24, {1024, 768}, {240, 200}},
        {WindowLayout::A, 1, 16, 16, {820, 560}, {20, 10}},
        {WindowLayout::A, 1, 32, 24, {1024, 768}, {100, 50}},
        {WindowLayout::B, 0, 32, 32, {700, 520}, {0, 0}},
        {WindowLayout::B, 0, 24, 24, {1024, 768}, {300, 200}},
        {WindowLayout::B, 0, 16, 16, {1024, 768}, {12, 40}},
        {WindowLayout::B, 0, 32, 24, {960, 720}, {150, 100}},
        {WindowLayout::B, 1, 32, 32, {1024, 768}, {8, 8}},
        {WindowLayout::B, 1, 24, 24, {680, 540}, {10, 20}},
        {WindowLayout::B, 1, 16, 16, {1024, 768}, {350, 230}},
        {WindowLayout::B, 1, 32, 24, {1024, 768}, {90, 150}},
    };
    int n = 0;
    for (const Case& c : cases) {
        const int scheme = n % kColourCount;
        SCOPED_TRACE(testing::Message()
                     << "case " << n << ": layout " << (c.layout == WindowLayout::A ? 'A' : 'B')
                     << " game " << c.game << " " << c.columns << " x " << c.rows << " scheme "
                     << scheme);
        ++n;
        const GrabArt art = GrabArt::shipped(c.game, scheme);
        const GrabMap map = GrabMap::random(c.game, c.columns, c.rows, quint64(n));
        const ComposedGrab grab =
            test::composeWindow(map, art, WindowPlacement{c.layout, c.game, c.grab, c.at, {}});
        const LocateResult r = locate(grab.image, art.hero);
        ASSERT_FALSE(r.windowNotFound);
        EXPECT_EQ(r.layout, c.layout == WindowLayout::A ? 'A' : 'B');
        EXPECT_EQ(r.grid, grab.grid);
        EXPECT_TRUE(r.valid);
        // A map smaller than the view is the second game's, whatever the hero's place said.
        const int game = c.columns < 32 || c.rows < 32 ? 1 : c.game;
        EXPECT_EQ(r.detectedGame, game);
        EXPECT_EQ(r.selectGame, game);
        EXPECT_EQ(r.chosenScheme, scheme);
    }
}

// --- Reload rules ----------------------------------------------------------------------------

TEST(GridLocatorReload, FirstGameRejectsMapsSmallerBothWays)
{
    struct Case
    {
        int columns, rows;
        bool newLoad;
        bool valid;
        int selectGame;
    };
    const Case cases[] = {
        {24, 24, false, false, -1}, // reload, first game selected: rejected
        {32, 24, false, true, -1},  // one side full: stands
        {24, 24, true, true, 1},    // fresh load: the second game is selected instead
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.columns << " x " << c.rows << (c.newLoad ? " load" : " reload"));
        const GrabMap map = GrabMap::random(1, c.columns, c.rows, 5);
        const QImage grab = test::composeMapView(map, GrabArt::shipped(1, 2));
        const LocateResult r = locate(grab, art0().hero, {}, 0, c.newLoad);
        EXPECT_EQ(r.valid, c.valid);
        EXPECT_EQ(r.selectGame, c.selectGame);
        EXPECT_EQ(r.detectedGame, 1);
        const GridGeometry expected =
            c.valid ? GridGeometry{0, 0, c.columns, c.rows, 0, 0} : GridGeometry{};
        EXPECT_EQ(r.grid, expected);
        EXPECT_EQ(r.chosenScheme, 2); // the colour choice is made either way
    }
}

// On a reload a window search that finds no map keeps the sizes the analysis started with.
TEST(GridLocatorReload, UnfoundMapKeepsEntrySize)
{
    BareWindow w;
    w.layout = 'B';
    const QImage grab = bareWindow(w, art0().hero);
    const LocateResult r = locate(grab, art0().hero, GridGeometry{0, 0, 32, 16, 0, 0}, 1, false);
    EXPECT_EQ(r.grid, (GridGeometry{40, 60, 32, 16, 40, 60}));
    EXPECT_EQ(r.selectGame, -1);
}

// --- Colour survey ---------------------------------------------------------------------------

TEST(GridLocatorSurvey, NeutralColoursLeaveCaptionsAlone)
{
    QImage grab(512, 480, QImage::Format_RGB32);
    const QColor neutrals[] = {Qt::black,
                               QColor(204, 204, 0),
                               Qt::white,
                               QColor(119, 119, 119),
                               QColor(102, 102, 102),
                               QColor(255, 255, 204)};
    for (int y = 0; y < grab.height(); ++y)
        for (int x = 0; x < grab.width(); ++x)
            grab.setPixel(x, y, neutrals[(x / 16 + y / 15) % 6].rgb());
    const LocateResult r = locate(grab, art0().hero);
    EXPECT_FALSE(r.captionsSet);
    EXPECT_EQ(r.chosenScheme, 0);
}

// Shares are of the pixels nearest a swatch, rounded half to even; the survey reads the map's
// rows through the byte image's row rule, the row above the first (here the top-right pixel)
// in place of the last.
TEST(GridLocatorSurvey, CaptionsShareOfSwatchPixels)
{
    QImage grab(512, 480, QImage::Format_RGB32);
    grab.fill(QColor(0, 255, 255)); // cyan
    QPainter p(&grab);
    p.fillRect(0, 0, 512, 59, QColor(0, 0, 255)); // blue: 59 rows and the row read above them
    p.fillRect(0, 200, 512, 15, Qt::white);       // neutral: left out of the total
    p.end();
    const LocateResult r = locate(grab, art0().hero);
    ASSERT_TRUE(r.captionsSet);
    // 60 blue rows and 405 cyan of 465 counted: 12.9% and 87.1%.
    EXPECT_EQ(r.captions[0], QStringLiteral("Blue: 13%"));
    EXPECT_EQ(r.captions[1], QStringLiteral("Cyan: 87%"));
    EXPECT_EQ(r.captions[5], QStringLiteral("Red: 0%"));
    EXPECT_EQ(r.chosenScheme, 1);

    // Exactly 12.5% and 87.5%: halves go to the even neighbour.
    grab.fill(QColor(0, 255, 255));
    QPainter(&grab).fillRect(0, 0, 512, 59, QColor(0, 0, 255));
    const LocateResult half = locate(grab, art0().hero);
    EXPECT_EQ(half.captions[0], QStringLiteral("Blue: 12%"));
    EXPECT_EQ(half.captions[1], QStringLiteral("Cyan: 88%"));

    // 276 blue rows read of 480, the others red: exactly 57.5% and 42.5%, which floating
    // point puts a hair below the half.
    grab.fill(QColor(255, 0, 0));
    QPainter(&grab).fillRect(0, 0, 512, 275, QColor(0, 0, 255));
    const LocateResult inexact = locate(grab, art0().hero);
    EXPECT_EQ(inexact.captions[0], QStringLiteral("Blue: 58%"));
    EXPECT_EQ(inexact.captions[5], QStringLiteral("Red: 42%"));
}

// Dark red lies as near the Red swatch as black: the first reference in order takes it.
TEST(GridLocatorSurvey, TieGoesToFirstReference)
{
    QImage grab(256, 240, QImage::Format_RGB32);
    grab.fill(QColor(128, 0, 0));
    const LocateResult r = locate(grab, art0().hero);
    ASSERT_TRUE(r.captionsSet);
    EXPECT_EQ(r.captions[5], QStringLiteral("Red: 100%"));
    EXPECT_EQ(r.chosenScheme, 5);
}

// Every scheme's characters lead the survey to that scheme, also through speckled cells and a
// JPEG round trip.
TEST(GridLocatorSurvey, MapInEachSchemeSelectsIt)
{
    for (int game : {0, 1})
        for (int scheme = 0; scheme < kColourCount; ++scheme) {
            SCOPED_TRACE(testing::Message() << "game " << game << " scheme " << scheme);
            const GrabArt art = GrabArt::shipped(game, scheme);
            const GrabMap map = GrabMap::random(game, 32, 32, quint64(10 + scheme));
            const LocateResult clean = locate(test::composeMapView(map, art), art.hero);
            EXPECT_TRUE(clean.captionsSet);
            EXPECT_EQ(clean.chosenScheme, scheme);

            test::GrabNoise noise;
            noise.cellPercent = 30;
            const QImage rough = test::jpegRoundTrip(test::composeMapView(map, art, noise), 80);
            EXPECT_EQ(locate(rough, art.hero).chosenScheme, scheme);
        }
}

} // namespace
} // namespace vt
