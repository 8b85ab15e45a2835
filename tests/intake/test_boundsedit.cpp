// The bounds box's editing rules without a window: the part under the pointer, the box on
// screen and what a drag step does to the grid.
#include "intake/BoundsEdit.h"

#include <gtest/gtest.h>

#include <string>

namespace vt {
namespace {

struct Grid
{
    int x, y, columns, rows;
};

// A grid with a map-area corner of its own, so that a drag that loses it shows.
GridGeometry geometry(Grid g)
{
    GridGeometry r;
    r.originx = quint32(g.x);
    r.originy = quint32(g.y);
    r.grab_width = g.columns;
    r.grab_height = g.rows;
    r.mapareax = 32;
    r.mapareay = 30;
    return r;
}

std::string describe(const GridGeometry& g)
{
    return std::to_string(g.originx) + "," + std::to_string(g.originy) + " " +
           std::to_string(g.grab_width) + "x" + std::to_string(g.grab_height) + " area " +
           std::to_string(g.mapareax) + "," + std::to_string(g.mapareay);
}

const QSize kPicture(512, 480);

TEST(BoundsEdit, ThePartUnderThePointer)
{
    const struct
    {
        QSize box;
        QPoint at;
        BoxPart part;
    } cases[] = {
        // The zones are the 6 pixels inside each edge: x < 6, x > width - 6 and alike for y.
        {{100, 80}, {50, 40}, BoxPart::Move},
        {{100, 80}, {6, 6}, BoxPart::Move},
        {{100, 80}, {94, 74}, BoxPart::Move},
        {{100, 80}, {5, 40}, BoxPart::Left},
        {{100, 80}, {95, 40}, BoxPart::Right},
        {{100, 80}, {50, 5}, BoxPart::Top},
        {{100, 80}, {50, 75}, BoxPart::Bottom},
        {{100, 80}, {0, 0}, BoxPart::TopLeft},
        {{100, 80}, {99, 79}, BoxPart::BottomRight},
        {{100, 80}, {5, 75}, BoxPart::BottomLeft},
        {{100, 80}, {95, 5}, BoxPart::TopRight},
        // Past the box, as while the pointer is held outside it.
        {{100, 80}, {-20, 40}, BoxPart::Left},
        {{100, 80}, {120, 90}, BoxPart::BottomRight},
        // A box too small for separate zones: the right and the bottom win.
        {{10, 80}, {5, 40}, BoxPart::Right},
        {{100, 10}, {50, 5}, BoxPart::Bottom},
        {{10, 80}, {5, 2}, BoxPart::TopRight},
        {{10, 80}, {5, 78}, BoxPart::BottomLeft},
        {{10, 10}, {5, 5}, BoxPart::TopRight},
    };
    for (const auto& c : cases)
        EXPECT_EQ(boxPartAt(c.box, c.at), c.part)
            << c.box.width() << "x" << c.box.height() << " at " << c.at.x() << "," << c.at.y();
}

TEST(BoundsEdit, TheBoxIsTheGridTimesTheZoomRoundedHalfToEven)
{
    EXPECT_EQ(boxOnScreen(geometry({64, 60, 24, 24}), 1.0), QRect(64, 60, 384, 360));
    EXPECT_EQ(boxOnScreen(geometry({64, 60, 24, 24}), 2.0), QRect(128, 120, 768, 720));
    // 1.5, 2.5, 8 and 22.5.
    EXPECT_EQ(boxOnScreen(geometry({3, 5, 1, 3}), 0.5), QRect(2, 2, 8, 22));
}

struct DragCase
{
    const char* name;
    BoxPart part;
    Grid start;
    QPoint from, to; // in the box, at zoom 1
    Grid expected;   // a resize expects this only where the game has small maps
};

// In a 512 x 480 grab. Each case runs at zoom 1 and 2 alike.
using enum BoxPart;
const DragCase kDrags[] = {
    // The move follows the pointer, for every game, within the grab.
    {"move", Move, {64, 60, 24, 24}, {100, 100}, {90, 130}, {54, 90, 24, 24}},
    {"move to 0,0", Move, {64, 60, 24, 24}, {100, 100}, {36, 40}, {0, 0, 24, 24}},
    {"move to the far corner", Move, {64, 60, 24, 24}, {100, 100}, {164, 160}, {128, 120, 24, 24}},
    {"move left of 0", Move, {64, 60, 24, 24}, {100, 100}, {0, 110}, {64, 70, 24, 24}},
    {"move past the right", Move, {64, 60, 24, 24}, {100, 100}, {165, 150}, {64, 110, 24, 24}},
    {"move past the bottom", Move, {64, 60, 24, 24}, {100, 100}, {90, 161}, {54, 60, 24, 24}},

    // Each edge moves in steps of 64 x 60 pixels, its opposite edge alike.
    {"left to 64", Left, {0, 0, 32, 32}, {2, 200}, {64, 200}, {64, 0, 24, 32}},
    {"left to 63: no step", Left, {0, 0, 32, 32}, {2, 200}, {63, 200}, {0, 0, 32, 32}},
    {"left to 200", Left, {0, 0, 32, 32}, {2, 200}, {200, 200}, {192, 0, 8, 32}},
    {"left to 256: 0 columns", Left, {0, 0, 32, 32}, {2, 200}, {256, 200}, {0, 0, 32, 32}},
    {"8 columns stay", Left, {192, 0, 8, 32}, {2, 200}, {64, 200}, {192, 0, 8, 32}},
    {"right to 448", Right, {0, 0, 32, 32}, {510, 200}, {448, 200}, {64, 0, 24, 32}},
    {"right to 320", Right, {0, 0, 32, 32}, {510, 200}, {320, 200}, {192, 0, 8, 32}},
    {"right to 576: 40 columns", Right, {0, 0, 32, 32}, {510, 200}, {576, 200}, {0, 0, 32, 32}},
    {"top to 60", Top, {0, 0, 32, 32}, {200, 2}, {200, 60}, {0, 60, 32, 24}},
    {"top to 240: 0 rows", Top, {0, 0, 32, 32}, {200, 2}, {200, 240}, {0, 0, 32, 32}},
    {"bottom to 420", Bottom, {0, 0, 32, 32}, {200, 478}, {200, 420}, {0, 60, 32, 24}},
    {"bottom to 540: 40 rows", Bottom, {0, 0, 32, 32}, {200, 478}, {200, 540}, {0, 0, 32, 32}},

    // Outwards, past the box; the step is truncated towards zero (-100 is one step, not two).
    {"left out to -100", Left, {192, 180, 8, 8}, {2, 60}, {-100, 60}, {128, 180, 16, 8}},
    {"left out to -63: no step", Left, {192, 180, 8, 8}, {2, 60}, {-63, 60}, {192, 180, 8, 8}},
    {"top out to -61", Top, {192, 180, 8, 8}, {60, 2}, {60, -61}, {192, 120, 8, 16}},
    {"bottom out to 180", Bottom, {192, 180, 8, 8}, {60, 118}, {60, 180}, {192, 120, 8, 16}},

    // Corners move both of their edges; each axis is taken or refused by itself.
    {"top-left", TopLeft, {0, 0, 32, 32}, {2, 2}, {64, 60}, {64, 60, 24, 24}},
    {"bottom-right", BottomRight, {0, 0, 32, 32}, {510, 478}, {320, 420}, {192, 60, 8, 24}},
    {"bottom-left", BottomLeft, {0, 0, 32, 32}, {2, 478}, {200, 300}, {192, 180, 8, 8}},
    {"top-right", TopRight, {0, 0, 32, 32}, {510, 2}, {448, 120}, {64, 120, 24, 16}},
    {"top-left with 0 rows", TopLeft, {0, 0, 32, 32}, {2, 2}, {64, 250}, {64, 0, 24, 32}},

    // Against the grab's edges the width and height need only end inside it, so a grow past
    // the left or top takes the size alone; past the right or bottom nothing is taken.
    {"grow past the left", Right, {32, 60, 24, 24}, {382, 100}, {448, 100}, {32, 60, 32, 24}},
    {"grow past the top", Top, {0, 30, 32, 24}, {200, 2}, {200, -60}, {0, 30, 32, 32}},
    {"grow past the right", Left, {160, 60, 24, 24}, {2, 100}, {-64, 100}, {160, 60, 24, 24}},
    {"grow past the bottom", Top, {0, 200, 32, 16}, {200, 2}, {200, -60}, {0, 200, 32, 16}},
};

TEST(BoundsEdit, DragStepsAtZoomOneAndTwo)
{
    for (const DragCase& c : kDrags) {
        for (int zoom : {1, 2}) {
            for (bool smallMaps : {true, false}) {
                SCOPED_TRACE(std::string(c.name) + " at zoom " + std::to_string(zoom) +
                             (smallMaps ? ", small maps" : ", 32 x 32 only"));
                // Without small maps the edges and corners change nothing.
                const bool changes = c.part == BoxPart::Move || smallMaps;
                const GridGeometry got = dragBox(c.part, geometry(c.start), c.from * zoom,
                                                 c.to * zoom, kPicture, zoom, smallMaps);
                const GridGeometry want = geometry(changes ? c.expected : c.start);
                EXPECT_EQ(got, want) << "got " << describe(got) << ", want " << describe(want);
            }
        }
    }
}

TEST(BoundsEdit, AMoveRoundsToTheNearestPicturePixelHalfToEven)
{
    const struct
    {
        double zoom;
        Grid start;
        QPoint travel; // in screen pixels
        int x, y;
    } cases[] = {
        {2, {64, 61, 8, 8}, {1, 1}, 64, 62},   // 64.5 and 61.5
        {2, {64, 61, 8, 8}, {3, -1}, 66, 60},  // 65.5 and 60.5
        {2, {64, 61, 8, 8}, {-1, -3}, 64, 60}, // 63.5 and 59.5
        {4, {64, 61, 8, 8}, {2, 6}, 64, 62},   // 64.5 and 62.5
        {4, {64, 61, 8, 8}, {3, 5}, 65, 62},   // 64.75 and 62.25
    };
    for (const auto& c : cases) {
        const QPoint from(40, 40);
        const GridGeometry got = dragBox(BoxPart::Move, geometry(c.start), from, from + c.travel,
                                         kPicture, c.zoom, false);
        EXPECT_EQ(int(got.originx), c.x) << "zoom " << c.zoom << " travel " << c.travel.x();
        EXPECT_EQ(int(got.originy), c.y) << "zoom " << c.zoom << " travel " << c.travel.y();
    }
}

TEST(BoundsEdit, AResizeTakesThePicturePixelUnderThePointerRoundedDown)
{
    // At zoom 2 the pointer's screen pixel is halved and rounded down before the step.
    const struct
    {
        Grid start;
        BoxPart part;
        QPoint at; // in screen pixels at zoom 2
        Grid expected;
    } cases[] = {
        {{0, 0, 32, 32}, BoxPart::Left, {127, 200}, {0, 0, 32, 32}},      // 63.5: no step
        {{0, 0, 32, 32}, BoxPart::Left, {128, 200}, {64, 0, 24, 32}},     // 64
        {{192, 180, 8, 8}, BoxPart::Left, {-127, 60}, {128, 180, 16, 8}}, // -63.5 gives -64
        {{192, 180, 8, 8}, BoxPart::Left, {-126, 60}, {192, 180, 8, 8}},  // -63: no step
        {{192, 180, 8, 8}, BoxPart::Top, {60, -119}, {192, 120, 8, 16}},  // -59.5 gives -60
        {{0, 0, 32, 32}, BoxPart::Bottom, {200, 839}, {0, 120, 32, 16}},  // 419.5: 16 rows
        {{0, 0, 32, 32}, BoxPart::Bottom, {200, 840}, {0, 60, 32, 24}},   // 420
    };
    for (const auto& c : cases) {
        const GridGeometry got =
            dragBox(c.part, geometry(c.start), QPoint(2, 2), c.at, kPicture, 2.0, true);
        EXPECT_EQ(got, geometry(c.expected))
            << "at " << c.at.x() << "," << c.at.y() << ": got " << describe(got);
    }
}

} // namespace
} // namespace vt
