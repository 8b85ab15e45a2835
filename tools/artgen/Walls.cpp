// Walls, ground and blocks: everything the colour scheme tints. Tones are picked so that the
// map-size cells land on the scheme's ramp (about 0.15 dark neutral, 0.35 to 0.8 the scheme's
// own shades, 0.95 light neutral; see Schemes.cpp).
#include "Characters.h"

#include <algorithm>
#include <cmath>

namespace vt::art {

namespace {

constexpr double kMortar = 0.15;
constexpr double kDark = 0.36;
constexpr double kMid = 0.5;
constexpr double kBase = 0.62;
constexpr double kLight = 0.8;
constexpr double kHighlight = 0.95;

// Pixel rows of the four brick courses (at units 0, 16, 32, 48, 64).
int courseOf(const Tile& t, int y)
{
    int course = 0;
    while (course < 3 && y >= t.row(16.0 * (course + 1)))
        ++course;
    return course;
}

Ink brickInk(const Tile& t, int x, int y)
{
    const int course = courseOf(t, y);
    const int top = t.row(16.0 * course);
    const int bottom = t.row(16.0 * (course + 1));
    const double offset = course % 2 == 1 ? 16.0 : 0.0;
    int k = -1;
    while (t.column(offset + 32.0 * (k + 1)) <= x)
        ++k;
    const int left = t.column(offset + 32.0 * k);
    const int right = t.column(offset + 32.0 * (k + 1));
    const int mortar = t.small() ? 1 : 2;
    if (y >= bottom - mortar || x >= right - mortar) {
        if (t.small())
            return tone(kMortar);
        return tone(0.16 + 0.06 * hashUnit(x, y, 11));
    }
    const int fromTop = y - top;
    const int fromBottom = bottom - mortar - 1 - y;
    const int fromLeft = x - left;
    const int fromRight = right - mortar - 1 - x;
    if (t.small()) {
        // A glint at the top-left of each brick, the rest of its top edge in the scheme's
        // light shade, so the wall stays mostly in the scheme's own colours.
        if (fromTop == 0)
            return tone(fromLeft < 3 ? kHighlight : kLight);
        if (fromRight == 0)
            return tone(kMid);
        return tone(kBase);
    }
    if (fromTop < 2)
        return tone(0.8);
    if (fromLeft < 2)
        return tone(0.72);
    if (fromBottom < 2)
        return tone(0.42);
    if (fromRight < 2)
        return tone(0.46);
    const double brick = hashUnit(k + 7, course, 23) - 0.5;
    const double grain = hashUnit(x, y, 29) - 0.5;
    return tone(0.58 + 0.05 * brick + 0.04 * grain);
}

Ink smoothInk(const Tile& t, int x, int y)
{
    if (t.small())
        return tone(kBase);
    // A gentle sheen across the tile and a fine grain, so it reads as a surface.
    const double sheen = (t.u(x) + t.v(y)) / 128.0;
    const double grain = hashUnit(x, y, 31) - 0.5;
    return tone(0.64 - 0.06 * sheen + 0.04 * grain);
}

Ink dottedInk(const Tile& t, int x, int y)
{
    if (t.small()) {
        // A 4 x 4 grid of studs; each stud a 2 x 2 block lit from the top left.
        const int cellX = x / 4;
        const int cellY = courseOf(t, y);
        const int dx = x - cellX * 4;
        const int dy = y - t.row(16.0 * cellY);
        if (dx == 1 && dy == 1)
            return tone(kHighlight);
        if ((dx == 2 && dy == 1) || (dx == 1 && dy == 2))
            return tone(kLight);
        if (dx == 2 && dy == 2)
            return tone(kMortar);
        return tone(kMid);
    }
    const double cu = std::floor(t.u(x) / 16.0) * 16.0 + 8.0;
    const double cv = std::floor(t.v(y) / 16.0) * 16.0 + 8.0;
    const double du = t.u(x) - cu;
    const double dv = t.v(y) - cv;
    const double r2 = du * du + dv * dv;
    const double grain = hashUnit(x, y, 37) - 0.5;
    if (r2 <= 25.0) {
        // The stud as a small lit dome.
        const double lit = -(du + dv) / 10.0;
        return tone(0.66 + 0.24 * lit + 0.02 * grain);
    }
    if (r2 <= 36.0 && du + dv > 0)
        return tone(0.2); // the stud's shadow
    return tone(0.5 + 0.03 * grain);
}

// The yellow border of an edged side or a rounded corner, by how far (in pixels) the pixel
// lies inside the wall's edge; nothing past the border.
std::optional<Ink> borderInk(const Tile& t, double depth)
{
    if (t.small()) {
        if (depth < 1.0)
            return ink(255, 255, 102);
        if (depth < 2.0)
            return ink(255, 204, 0);
        if (depth < 3.0)
            return ink(kBlack);
        return std::nullopt;
    }
    if (depth < 2.0)
        return ink(170, 118, 0);
    if (depth < 4.0)
        return ink(255, 243, 150);
    if (depth < 9.5)
        return ink(mixSteps({255, 222, 30}, {226, 170, 0}, (depth - 4.0) / 5.5, 3));
    if (depth < 12.0)
        return ink(36, 22, 0);
    return std::nullopt;
}

double sideDepth(const Tile& t, Side side, int x, int y)
{
    switch (side) {
    case Side::Left:
        return x + 0.5;
    case Side::Right:
        return t.width() - x - 0.5;
    case Side::Top:
        return y + 0.5;
    case Side::Bottom:
        return t.height() - y - 0.5;
    case Side::None:
        break;
    }
    return 1e9;
}

// A rounded corner is a quarter disc of the whole tile, centred on the opposite corner, so the
// curve meets the neighbouring straight edges without a kink.
void cutCorner(Tile& t, Corner corner)
{
    if (corner == Corner::None)
        return;
    const double cu = (corner == Corner::TopLeft || corner == Corner::BottomLeft) ? 64.0 : 0.0;
    const double cv = (corner == Corner::TopLeft || corner == Corner::TopRight) ? 64.0 : 0.0;
    t.paint([&](int, int, double u, double v) -> std::optional<Ink> {
        const double du = u - cu;
        const double dv = v - cv;
        const double r = std::sqrt(du * du + dv * dv);
        if (r > 64.0)
            return ink(kBlack);
        // Depth in pixels, measured along the radius.
        const double nu = du / r * t.pixelU();
        const double nv = dv / r * t.pixelV();
        return borderInk(t, (64.0 - r) / std::sqrt(nu * nu + nv * nv));
    });
}

// Where a map-size pixel lies in its block of a grid of `columns` x `rows` blocks: distances
// to the block's left, right, top and bottom pixel edges.
struct BlockPlace
{
    int left, right, top, bottom; // the block's pixel edges (right and bottom exclusive)
    int dl, dr, dt, db;
};

BlockPlace blockPlace(const Tile& t, int x, int y, int columns, int rows)
{
    const int bx = x * columns / t.width();
    int by = 0;
    while (by + 1 < rows && y >= t.row(64.0 * (by + 1) / rows))
        ++by;
    BlockPlace p{};
    p.left = bx * t.width() / columns;
    p.right = (bx + 1) * t.width() / columns;
    p.top = t.row(64.0 * by / rows);
    p.bottom = t.row(64.0 * (by + 1) / rows);
    p.dl = x - p.left;
    p.dr = p.right - 1 - x;
    p.dt = y - p.top;
    p.db = p.bottom - 1 - y;
    return p;
}

// A block's corners clipped round: the corner pixel and its two neighbours.
bool clippedCorner(const BlockPlace& p)
{
    return std::min(p.dl, p.dr) + std::min(p.dt, p.db) < 2;
}

// A small slab's outer ring: clipped corners black, mortar along the bottom and right, a
// highlight along the top and left; nothing inside it.
std::optional<Ink> slabRim(const BlockPlace& p)
{
    if (clippedCorner(p))
        return ink(kBlack);
    if (p.dr == 0 || p.db == 0)
        return tone(kMortar);
    if (p.dl == 0 || p.dt == 0)
        return tone(kHighlight);
    return std::nullopt;
}

} // namespace

void bevelFill(Tile& tile, const InsideFn& inside, int reach, const BevelShader& shader)
{
    const auto in = [&](int x, int y) { return inside(tile.u(x), tile.v(y)); };
    for (int y = 0; y < tile.height(); ++y)
        for (int x = 0; x < tile.width(); ++x) {
            if (!in(x, y))
                continue;
            int lit = reach;
            int shaded = reach;
            for (int k = 1; k <= reach; ++k)
                if (!in(x - k, y) || !in(x, y - k) || !in(x - k, y - k)) {
                    lit = k - 1;
                    break;
                }
            for (int k = 1; k <= reach; ++k)
                if (!in(x + k, y) || !in(x, y + k) || !in(x + k, y + k)) {
                    shaded = k - 1;
                    break;
                }
            tile.at(x, y) = shader(x, y, lit, shaded);
        }
}

void drawWall(Tile& t, Texture texture, Corner corner, Side side)
{
    t.paint([&](int x, int y, double, double) -> std::optional<Ink> {
        if (auto border = borderInk(t, sideDepth(t, side, x, y)))
            return border;
        switch (texture) {
        case Texture::Brick:
            return brickInk(t, x, y);
        case Texture::Smooth:
            return smoothInk(t, x, y);
        case Texture::Dotted:
            return dottedInk(t, x, y);
        }
        return std::nullopt;
    });
    cutCorner(t, corner);
}

void drawEarth(Tile& t, bool strata)
{
    if (!strata) {
        // Clods: patches of two shades with grit, pebbles and pits.
        t.paint([&](int x, int y, double u, double v) -> std::optional<Ink> {
            const double clod = valueNoise(u, v, t.small() ? 20.0 : 14.0, 41);
            const double grit = hashUnit(x, y, 43);
            if (t.small()) {
                if (grit < 0.08)
                    return tone(kLight);
                if (grit > 0.95)
                    return tone(kMortar);
                return tone(clod < 0.42 ? kMid : kBase);
            }
            return tone(0.36 + 0.22 * clod + 0.07 * (grit - 0.5));
        });
        Random random(4101);
        for (int i = 0; i < 9; ++i) {
            const double pu = random.range(4, 60), pv = random.range(4, 60);
            const double ru = random.range(3.0, 5.0), rv = ru * random.range(0.6, 0.9);
            const bool pebble = i % 3 != 2;
            if (t.small()) {
                const int x = std::clamp(static_cast<int>(pu / t.pixelU()), 0, t.width() - 1);
                const int y = std::clamp(static_cast<int>(pv / t.pixelV()), 0, t.height() - 1);
                t.set(x, y, pebble ? tone(kHighlight) : ink(kBlack));
                if (pebble)
                    t.set(x + 1, y, tone(kLight));
                continue;
            }
            t.paint([&](double u, double v) -> std::optional<Ink> {
                if (!inEllipse(u, v, pu, pv, ru, rv))
                    return std::nullopt;
                if (!pebble)
                    return tone(0.08);
                const double lit = -((u - pu) / ru + (v - pv) / rv);
                return tone(0.72 + 0.14 * lit);
            });
        }
        return;
    }
    // Strata: wavy layers running across the tile.
    t.paint([&](int x, int y, double u, double v) -> std::optional<Ink> {
        const double phase = u / 16.0 - std::floor(u / 16.0);
        const double wave = (phase < 0.5 ? phase : 1.0 - phase) * 8.0; // 0 to 4 units
        const double layer = (v + wave) / 16.0;
        const double within = layer - std::floor(layer);
        if (t.small()) {
            const int rowInLayer = static_cast<int>(within * 16.0 / t.pixelV());
            if (rowInLayer == 0)
                return tone(kMortar);
            if (rowInLayer == 1)
                return tone(kLight);
            return tone(static_cast<int>(std::floor(layer)) % 2 == 0 ? kMid : kBase);
        }
        const double grain = hashUnit(x, y, 47) - 0.5;
        if (within < 0.12)
            return tone(0.14 + 0.05 * grain);
        if (within < 0.25)
            return tone(0.7 + 0.05 * grain);
        const double band = static_cast<int>(std::floor(layer)) % 2 == 0 ? 0.45 : 0.55;
        return tone(band - 0.12 * (within - 0.25) + 0.06 * grain);
    });
}

void drawTrackedEarth(Tile& t, int arrangement)
{
    drawEarth(t, false);
    const double half = 6.0; // half the width of a track, in units
    auto distance = [&](double u, double v) {
        auto arc = [&](double cu, double cv) {
            const double du = u - cu, dv = v - cv;
            return std::fabs(std::sqrt(du * du + dv * dv) - 32.0);
        };
        switch (arrangement) {
        case 0:
            return std::min(std::fabs(u - 32.0), std::fabs(v - 32.0));
        case 1:
            return std::min(arc(0, 0), arc(64, 64));
        default:
            return std::min(arc(64, 0), arc(0, 64));
        }
    };
    t.paint([&](double u, double v) -> std::optional<Ink> {
        const double d = distance(u, v);
        if (d < half)
            return ink(kBlack);
        if (t.small() && d < half + 3.0)
            return tone(kHighlight); // the worn rim of the track
        if (!t.small() && d < half + 2.5)
            return tone(0.85 - 0.1 * (d - half)); // the worn rim of the track
        return std::nullopt;
    });
}

void drawSpeckledGround(Tile& t)
{
    t.paint([&](int x, int y, double, double) -> std::optional<Ink> {
        const double h = t.small() ? hashUnit(x, y, 53) : hashUnit(x / 2, y / 2, 59);
        if (t.small()) {
            if (h < 0.22)
                return ink(102, 204, 102);
            if (h < 0.42)
                return ink(51, 153, 51);
            return ink(0, 51, 0);
        }
        if (h < 0.08)
            return ink(170, 240, 110);
        if (h < 0.22)
            return ink(70, 200, 60);
        if (h < 0.34)
            return ink(30, 120, 30);
        return ink(mixSteps({6, 40, 10}, {20, 70, 20}, hashUnit(x / 3, y / 3, 61), 2));
    });
}

void drawPillars(Tile& t)
{
    // Two round columns of brick, full height, so pillars stack into tall columns.
    const auto column = [&](double u, double& across) {
        for (double left : {4.0, 36.0}) {
            if (u >= left && u < left + 24.0) {
                across = (u - left) / 24.0;
                return true;
            }
        }
        return false;
    };
    t.paint([&](int x, int y, double u, double) -> std::optional<Ink> {
        double across = 0;
        if (!column(u, across))
            return ink(kBlack);
        const int course = courseOf(t, y);
        const int bottom = t.row(16.0 * (course + 1));
        const int mortar = t.small() ? 1 : 2;
        if (y >= bottom - mortar)
            return tone(t.small() ? kMortar : 0.18);
        if (t.small()) {
            if (across < 0.17 || across > 0.83)
                return tone(kDark);
            if (across < 0.5)
                return tone(across < 0.34 ? kLight : kBase);
            return tone(kMid);
        }
        // A round face lit from the left, with a joint in each course, staggered.
        const double n = across * 2.0 - 1.0;
        const double nz = std::sqrt(std::max(0.0, 1.0 - n * n));
        const double diffuse = std::max(0.0, -0.45 * n + 0.89 * nz);
        const double joint = course % 2 == 0 ? 0.3 : 0.7;
        if (std::fabs(across - joint) < 0.04)
            return tone(0.2);
        const double grain = hashUnit(x, y, 67) - 0.5;
        const int top = t.row(16.0 * course);
        if (y - top < 2)
            return tone(0.3 + 0.62 * diffuse);
        return tone(0.2 + 0.55 * diffuse + 0.03 * grain);
    });
}

void drawBrickBlocks(Tile& t, int rows, int columns)
{
    if (t.small()) {
        // Cell by cell: each block a raised slab with rounded corners, two courses of brick
        // split by a mortar line across its middle, and a joint in each course, staggered.
        t.paint([&](int x, int y, double, double) -> std::optional<Ink> {
            const BlockPlace p = blockPlace(t, x, y, columns, rows);
            if (const std::optional<Ink> rim = slabRim(p))
                return rim;
            const int middle = (p.top + p.bottom) / 2;
            if (y == middle)
                return ink(kBlack);
            const int w = p.right - p.left;
            if (x == p.left + (y < middle ? w * 3 / 10 : w * 7 / 10))
                return ink(kBlack);
            if (y == middle + 1)
                return tone(kHighlight);
            return tone(kBase);
        });
        return;
    }
    const double w = 64.0 / columns, h = 64.0 / rows;
    const double radius = 9.0;
    const double gap = 1.5;
    const InsideFn inside = [&](double u, double v) {
        if (u < 0 || v < 0 || u >= 64 || v >= 64)
            return false;
        const double bu = std::floor(u / w) * w, bv = std::floor(v / h) * h;
        return inRoundRect(u, v, bu + gap, bv + gap, bu + w - gap, bv + h - gap, radius);
    };
    bevelFill(t, inside, 3, [&](int x, int y, int lit, int shaded) {
        const double u = t.u(x), v = t.v(y);
        const double bu = std::floor(u / w) * w, bv = std::floor(v / h) * h;
        // Each block is two courses of brick: a mortar line across its middle and a joint
        // in each course, staggered.
        const double midV = bv + h / 2.0;
        const double jointU = bu + w * (v >= midV ? 0.7 : 0.3);
        if (shaded == 0)
            return tone(0.3);
        if (lit == 0)
            return tone(0.88);
        if (std::fabs(v - midV) < 1.2 || std::fabs(u - jointU) < 1.2)
            return tone(kMortar);
        if (shaded == 1)
            return tone(0.4);
        if (lit <= 2)
            return tone(0.76);
        return tone(0.58 + 0.04 * (hashUnit(x, y, 71) - 0.5));
    });
}

void drawSmallBlocks(Tile& t)
{
    // A wall of 4 x 4 small square blocks, each raised and lit from the top left.
    t.paint([&](int x, int y, double, double) -> std::optional<Ink> {
        const int bx = static_cast<int>(t.u(x) / 16.0);
        const int by = courseOf(t, y);
        const int left = t.column(16.0 * bx), right = t.column(16.0 * (bx + 1));
        const int top = t.row(16.0 * by), bottom = t.row(16.0 * (by + 1));
        const int dl = x - left, dr = right - 1 - x, dt = y - top, db = bottom - 1 - y;
        const int edge = t.small() ? 1 : 3;
        if (db < edge || dr < edge)
            return tone(t.small() ? kMortar : 0.28 + 0.04 * std::min(db, dr));
        if (dt < edge || dl < edge)
            return tone(t.small() ? kLight : 0.86);
        if (t.small())
            return tone(kBase);
        return tone(0.6 + 0.04 * (hashUnit(x, y, 73) - 0.5));
    });
}

void drawSquareBlocks(Tile& t)
{
    if (t.small()) {
        t.paint([&](int x, int y, double, double) -> std::optional<Ink> {
            const BlockPlace p = blockPlace(t, x, y, 2, 2);
            if (const std::optional<Ink> rim = slabRim(p))
                return rim;
            if (p.dr == 1 || p.db == 1)
                return tone(kDark);
            if (p.dl == 1 || p.dt == 1)
                return tone(kLight);
            return tone(kBase);
        });
        return;
    }
    const InsideFn inside = [&](double u, double v) {
        if (u < 0 || v < 0 || u >= 64 || v >= 64)
            return false;
        const double bu = std::floor(u / 32.0) * 32.0, bv = std::floor(v / 32.0) * 32.0;
        return inRoundRect(u, v, bu + 1.0, bv + 1.0, bu + 31.0, bv + 31.0, 8.0);
    };
    bevelFill(t, inside, 5, [&](int x, int y, int lit, int shaded) {
        if (shaded < 5)
            return tone(0.3 + 0.06 * shaded);
        if (lit < 5)
            return tone(0.9 - 0.03 * lit);
        // A shallow dish in the middle of each block.
        const double u = t.u(x) - (std::floor(t.u(x) / 32.0) * 32.0 + 16.0);
        const double v = t.v(y) - (std::floor(t.v(y) / 32.0) * 32.0 + 16.0);
        if (u * u + v * v < 36.0)
            return tone(0.62 + (u + v) / 40.0);
        return tone(0.6);
    });
}

void drawGoldTopBrick(Tile& t)
{
    drawWall(t, Texture::Brick, Corner::None, Side::None);
    // The top two courses are a gold coping of three bars, bright on top, dark beneath.
    const int bottom = t.row(32.0);
    t.paint([&](int x, int y, double u, double) -> std::optional<Ink> {
        if (y >= bottom)
            return std::nullopt;
        if (t.small()) {
            if (y == bottom - 1)
                return ink(102, 51, 0);
            if (x == 5 || x == 10 || x == 15)
                return ink(153, 102, 0);
            if (y == 0)
                return ink(255, 255, 153);
            if (y == bottom - 2)
                return ink(204, 153, 0);
            return ink(255, 204, 0);
        }
        const double joint = u / 21.33 - std::floor(u / 21.33);
        if (y >= bottom - 3)
            return ink(90, 55, 0);
        if (joint > 0.93)
            return ink(kGoldDark);
        if (joint > 0.88 || y < 4)
            return ink(kGoldBright);
        // From the keys' gold at the top to halfway into its shadow at the bottom, in the
        // steps the lit objects use.
        const double shade = static_cast<double>(y) / bottom;
        const double depth = shade + joint * 0.15 + 0.08 * (hashUnit(x, y, 79) - 0.5);
        return ink(mixSteps(kGoldDark, kGold, 1.0 - 0.5 * depth, 6));
    });
}

} // namespace vt::art
