// The blind composer's own checks. Its grabs only measure something if their truth is right,
// so these hold the truth against the pixels, and the window against the game's geometry.
#include "Composer.h"
#include "Level.h"
#include "Resample.h"
#include "Scenery.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QRegularExpression>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ostream>

// Kinds print as their names in test names and failures.
inline void PrintTo(const QString& s, std::ostream* os) { *os << s.toStdString(); }

namespace {

using blind::Canvas;
using blind::Colour;
using blind::Grab;
using blind::Truth;

constexpr std::int64_t kMillion = 1000000;

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

const Canvas& characterOf(const Truth& t, int index)
{
    return blind::artFor(t.game - 1, t.scheme).characters[static_cast<std::size_t>(index)];
}

Canvas decoded(const Grab& g)
{
    const QImage img = QImage::fromData(g.bytes);
    EXPECT_FALSE(img.isNull());
    return Canvas::fromImage(img);
}

// A cell's box in the final picture (millionths), as the truth gives it.
struct Box
{
    std::int64_t left, top, right, bottom;
};
Box boxOf(const Truth& t, int c, int r, std::int64_t shiftX = 0)
{
    const std::int64_t left = t.originx + shiftX + std::int64_t{t.scalex} * 1000 * 16 * c;
    const std::int64_t top = t.originy + std::int64_t{t.scaley} * 1000 * 15 * r;
    return {left, top, left + std::int64_t{t.scalex} * 1000 * 16, top + std::int64_t{t.scaley} * 1000 * 15};
}

int countVisible(const Truth& t) { return static_cast<int>(std::count(t.visible.begin(), t.visible.end(), 1)); }

// ---------------------------------------------------------------------------------------------

class EveryKind : public testing::TestWithParam<QString>
{
};

TEST_P(EveryKind, SameSeedGivesTheSameBytesAndAnotherSeedOthers)
{
    const Grab a = blind::compose(GetParam(), 11);
    const Grab b = blind::compose(GetParam(), 11);
    const Grab c = blind::compose(GetParam(), 12);
    EXPECT_EQ(a.bytes, b.bytes);
    EXPECT_EQ(blind::truthJson(a.truth), blind::truthJson(b.truth));
    EXPECT_NE(a.bytes, c.bytes);
    EXPECT_EQ(a.truth.cells.size(), static_cast<std::size_t>(a.truth.columns * a.truth.rows));
    EXPECT_EQ(a.truth.visible.size(), a.truth.cells.size());
    EXPECT_EQ(a.extension == QLatin1String("jpg"), GetParam().contains(QLatin1String("jpeg")) ||
                                                   GetParam() == QLatin1String("video") ||
                                                   (GetParam() == QLatin1String("display") && a.truth.detail.find("jpeg=") != std::string::npos));
    // The map sizes the games have.
    if (a.truth.game == 1) {
        EXPECT_EQ(a.truth.columns, 32);
        EXPECT_EQ(a.truth.rows, 32);
    }
    EXPECT_EQ(a.truth.columns % 8, 0);
    EXPECT_EQ(a.truth.rows % 8, 0);
}

std::string testName(const testing::TestParamInfo<QString>& info)
{
    return QString(info.param).replace(QLatin1Char('-'), QLatin1Char('_')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(BlindKinds, EveryKind, testing::ValuesIn(blind::kinds().begin(), blind::kinds().end()), testName);

// A level: walls all round, the hero once, and on a full-size map every other character too.
TEST(BlindLevel, HasItsWallsEveryCharacterAndTheHeroOnce)
{
    for (int game = 0; game < 2; ++game)
        for (int size : {8, 32})
            for (std::uint64_t seed = 1; seed <= 10; ++seed) {
                blind::Rng rng(seed);
                const blind::Level l = blind::makeLevel(rng, game, size, 40 - size);
                SCOPED_TRACE("game " + std::to_string(game) + " size " + std::to_string(size) + " seed " + std::to_string(seed));
                const int hero = blind::heroCharacter(game);
                EXPECT_EQ(std::count(l.cells.begin(), l.cells.end(), hero), 1);
                const int count = static_cast<int>(blind::artFor(game, 0).characters.size());
                if (size == 32) {
                    for (int i = 0; i < count; ++i)
                        EXPECT_GT(std::count(l.cells.begin(), l.cells.end(), i), 0) << "character " << i;
                }
                // The ring is wall: no blank, no earth, no hero on it.
                const int earthFirst = game == 0 ? 14 : 18;
                for (int c = 0; c < l.columns; ++c)
                    for (int r : {0, l.rows - 1}) {
                        EXPECT_NE(l.at(c, r), 0);
                        EXPECT_FALSE(l.at(c, r) >= earthFirst && l.at(c, r) < earthFirst + 3);
                    }
            }
}

// ---------------------------------------------------------------------------------------------
// Lossless, unscaled kinds: every visible cell shows its character pixel for pixel, a cell that
// shows none differs from every character, and the PNG holds exactly the picture.

class LosslessKind : public testing::TestWithParam<QString>
{
};

TEST_P(LosslessKind, VisibleCellsShowTheirCharacterExactly)
{
    for (std::uint64_t seed = 1; seed <= 4; ++seed) {
        SCOPED_TRACE(GetParam().toStdString() + " seed " + std::to_string(seed));
        const Grab g = blind::compose(GetParam(), seed);
        const Truth& t = g.truth;
        ASSERT_EQ(t.scalex, 1000);
        ASSERT_EQ(t.originx % kMillion, 0);
        ASSERT_EQ(t.originy % kMillion, 0);
        const Canvas png = decoded(g);
        ASSERT_EQ(png.pixels(), g.picture.pixels());
        int checked = 0;
        for (int r = 0; r < t.rows; ++r)
            for (int c = 0; c < t.columns; ++c) {
                const std::size_t k = static_cast<std::size_t>(r * t.columns + c);
                const int x0 = static_cast<int>(t.originx / kMillion) + 16 * c;
                const int y0 = static_cast<int>(t.originy / kMillion) + 15 * r;
                const bool inside = x0 >= 0 && y0 >= 0 && x0 + 16 <= png.width() && y0 + 15 <= png.height();
                if (!inside) {
                    EXPECT_EQ(t.visible[k], 0) << "cell " << c << "," << r << " is not wholly in the picture";
                    continue;
                }
                if (!t.visible[k])
                    continue;
                ++checked;
                auto same = [&](const Canvas& ch) {
                    int n = 0;
                    for (int y = 0; y < 15; ++y)
                        for (int x = 0; x < 16; ++x)
                            n += png.at(x0 + x, y0 + y) == ch.at(x, y);
                    return n;
                };
                if (t.cells[k] >= 0) {
                    ASSERT_EQ(same(characterOf(t, t.cells[k])), 240) << "cell " << c << "," << r;
                } else {
                    for (std::size_t i = 0; i < blind::artFor(t.game - 1, t.scheme).characters.size(); ++i)
                        EXPECT_LT(same(characterOf(t, static_cast<int>(i))), 200) << "creature in " << c << "," << r;
                }
            }
        EXPECT_GT(checked, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(BlindKinds, LosslessKind,
                         testing::Values(QStringLiteral("view"), QStringLiteral("crop"), QStringLiteral("window"),
                                         QStringLiteral("desktop"), QStringLiteral("covered"), QStringLiteral("cutoff")),
                         testName);

TEST(BlindComposer, CoveredHidesFiveToTwentyFivePercentOfTheCells)
{
    for (std::uint64_t seed = 1; seed <= 8; ++seed) {
        const Truth t = blind::compose(QStringLiteral("covered"), seed).truth;
        const int n = t.columns * t.rows;
        // A layout-B frame line also hides the first column of a narrow map.
        const int frame = t.detail.find("layout=B") != std::string::npos && t.columns < 32 ? t.rows : 0;
        const int hidden = n - countVisible(t);
        EXPECT_GE(hidden * 100, 5 * n) << "seed " << seed;
        EXPECT_LE(hidden, n / 4 + frame) << "seed " << seed;
    }
}

TEST(BlindComposer, CutoffLeavesCellsOutsideAndTheWindowMarksInside)
{
    for (std::uint64_t seed = 1; seed <= 6; ++seed) {
        const Grab g = blind::compose(QStringLiteral("cutoff"), seed);
        const Truth& t = g.truth;
        EXPECT_TRUE(t.originx < 0 || t.originy < 0 ||
                    t.originy + std::int64_t{15} * t.rows * kMillion > g.picture.height() * kMillion)
            << "seed " << seed;
        EXPECT_LT(countVisible(t), t.columns * t.rows);
    }
}

TEST(BlindComposer, ScanlinesRepeatEachPixelThreeTimesAndDarkenEveryThirdRow)
{
    for (std::uint64_t seed = 1; seed <= 2; ++seed) {
        const Grab g = blind::compose(QStringLiteral("scanlines"), seed);
        const Truth& t = g.truth;
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("rows (\\d) mod 3 at (\\d+)/256"))
                                              .match(QString::fromStdString(t.detail));
        ASSERT_TRUE(m.hasMatch());
        const int dark = m.captured(1).toInt(), k = m.captured(2).toInt();
        const Canvas pic = decoded(g);
        for (int r = 0; r < t.rows; ++r)
            for (int c = 0; c < t.columns; ++c) {
                const std::size_t idx = static_cast<std::size_t>(r * t.columns + c);
                if (!t.visible[idx] || t.cells[idx] < 0)
                    continue;
                const Canvas& ch = characterOf(t, t.cells[idx]);
                const int x0 = static_cast<int>(t.originx / kMillion) + 48 * c;
                const int y0 = static_cast<int>(t.originy / kMillion) + 45 * r;
                for (int y = 0; y < 45; ++y)
                    for (int x = 0; x < 48; ++x) {
                        const Colour want = (y0 + y) % 3 == dark ? blind::shade(ch.at(x / 3, y / 3), k) : ch.at(x / 3, y / 3);
                        ASSERT_EQ(blind::opaque(pic.at(x0 + x, y0 + y)), blind::opaque(want))
                            << "seed " << seed << " cell " << c << "," << r;
                    }
            }
    }
}

// ---------------------------------------------------------------------------------------------
// Lossy and scaled kinds: inside each visible cell the picture is nearer its character than
// any other character, sampled where the truth's origin and scale say. Half a cell to the
// right, the cells unlike their neighbours must mostly disagree, so that the check can fail.

// True when the cell's character differs from those of its four neighbours.
bool unlikeNeighbours(const Truth& t, int c, int r)
{
    const int k = t.cells[static_cast<std::size_t>(r * t.columns + c)];
    const int dc[] = {1, -1, 0, 0}, dr[] = {0, 0, 1, -1};
    for (int i = 0; i < 4; ++i) {
        const int nc = c + dc[i], nr = r + dr[i];
        if (nc >= 0 && nr >= 0 && nc < t.columns && nr < t.rows && t.cells[static_cast<std::size_t>(nr * t.columns + nc)] == k)
            return false;
    }
    return true;
}

double shareAgreeing(const Truth& t, const Canvas& pic, std::int64_t shiftX, bool unlikeOnly = false)
{
    const auto& chars = blind::artFor(t.game - 1, t.scheme).characters;
    int agree = 0, total = 0;
    for (int r = 0; r < t.rows; ++r)
        for (int c = 0; c < t.columns; ++c) {
            const std::size_t idx = static_cast<std::size_t>(r * t.columns + c);
            if (!t.visible[idx] || t.cells[idx] < 0 || (unlikeOnly && !unlikeNeighbours(t, c, r)))
                continue;
            const Box b = boxOf(t, c, r, shiftX);
            const int X0 = static_cast<int>(floorDiv(b.left, kMillion)) + 1, X1 = static_cast<int>(floorDiv(b.right, kMillion));
            const int Y0 = static_cast<int>(floorDiv(b.top, kMillion)) + 1, Y1 = static_cast<int>(floorDiv(b.bottom, kMillion));
            if (X1 <= X0 || Y1 <= Y0 || X0 < 0 || Y0 < 0 || X1 > pic.width() || Y1 > pic.height())
                continue;
            std::vector<std::int64_t> error(chars.size(), 0);
            for (int Y = Y0; Y < Y1; ++Y)
                for (int X = X0; X < X1; ++X) {
                    const int sx = std::clamp(static_cast<int>(floorDiv((2 * std::int64_t{X} + 1) * 500000 - b.left, std::int64_t{t.scalex} * 1000)), 0, 15);
                    const int sy = std::clamp(static_cast<int>(floorDiv((2 * std::int64_t{Y} + 1) * 500000 - b.top, std::int64_t{t.scaley} * 1000)), 0, 14);
                    for (std::size_t i = 0; i < chars.size(); ++i)
                        error[i] += blind::distance2(pic.at(X, Y), chars[i].at(sx, sy));
                }
            const std::int64_t best = *std::min_element(error.begin(), error.end());
            agree += error[static_cast<std::size_t>(t.cells[idx])] == best;
            ++total;
        }
    return total ? static_cast<double>(agree) / total : 0.0;
}

class LossyKind : public testing::TestWithParam<QString>
{
};

TEST_P(LossyKind, VisibleCellsLookLikeTheirCharacterWhereTheTruthPutsThem)
{
    for (std::uint64_t seed = 1; seed <= 4; ++seed) {
        SCOPED_TRACE(GetParam().toStdString() + " seed " + std::to_string(seed));
        const Grab g = blind::compose(GetParam(), seed);
        const Canvas pic = decoded(g);
        EXPECT_GE(shareAgreeing(g.truth, pic, 0), 0.95);
        EXPECT_LT(shareAgreeing(g.truth, pic, std::int64_t{g.truth.scalex} * 8000, true), 0.5);
    }
}

INSTANTIATE_TEST_SUITE_P(BlindKinds, LossyKind,
                         testing::Values(QStringLiteral("jpeg-view"), QStringLiteral("jpeg-window"),
                                         QStringLiteral("jpeg-desktop"), QStringLiteral("scaled"),
                                         QStringLiteral("aspect"), QStringLiteral("video"), QStringLiteral("thumbnail"),
                                         QStringLiteral("display"), QStringLiteral("small-jpeg-window")),
                         testName);

TEST(BlindComposer, JpegFilesAreFourTwoZero)
{
    for (const char* kind : {"jpeg-view", "video", "small-jpeg-window"}) {
        const QByteArray b = blind::compose(QString::fromLatin1(kind), 3).bytes;
        // The frame header: marker, length, precision, height, width, 3 components, then the
        // luma's sampling factors (2 x 2) and the chroma's (1 x 1).
        int sof = -1;
        for (int i = 0; i + 1 < b.size() && sof < 0; ++i)
            if (static_cast<unsigned char>(b[i]) == 0xff && (static_cast<unsigned char>(b[i + 1]) == 0xc0 ||
                                                             static_cast<unsigned char>(b[i + 1]) == 0xc2))
                sof = i;
        ASSERT_GE(sof, 0) << kind;
        EXPECT_EQ(static_cast<unsigned char>(b[sof + 9]), 3) << kind;
        EXPECT_EQ(static_cast<unsigned char>(b[sof + 11]), 0x22) << kind;
        EXPECT_EQ(static_cast<unsigned char>(b[sof + 14]), 0x11) << kind;
        EXPECT_EQ(static_cast<unsigned char>(b[sof + 17]), 0x11) << kind;
    }
}

// ---------------------------------------------------------------------------------------------
// The resamplers: at scale 1 and phase 0 each gives the source back; nearest at 3 repeats
// pixels; the phase shifts by a fraction of a result pixel.

TEST(BlindResample, ScaleOneIsTheIdentityAndNearestRepeats)
{
    Canvas src(23, 17, 0);
    blind::Rng rng(5);
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 23; ++x)
            src.set(x, y, blind::randomColour(rng));
    for (blind::Resampler how : {blind::Resampler::Nearest, blind::Resampler::Bilinear, blind::Resampler::Bicubic,
                                 blind::Resampler::Area}) {
        blind::Scaling sc;
        sc.how = how;
        EXPECT_EQ(blind::resample(src, sc).pixels(), src.pixels()) << blind::resamplerName(how);
    }
    blind::Scaling three;
    three.sx = three.sy = 3000;
    const Canvas big = blind::resample(src, three);
    ASSERT_EQ(big.width(), 69);
    ASSERT_EQ(big.height(), 51);
    for (int y = 0; y < 51; ++y)
        for (int x = 0; x < 69; ++x)
            ASSERT_EQ(big.at(x, y), src.at(x / 3, y / 3));
    // Half a pixel of phase at scale 2: one more column, the first a repeat of the edge.
    blind::Scaling phased;
    phased.sx = phased.sy = 2000;
    phased.fx = 500;
    const Canvas shifted = blind::resample(src, phased);
    EXPECT_EQ(shifted.width(), 47);
    EXPECT_EQ(shifted.at(0, 0), src.at(0, 0));
    EXPECT_EQ(shifted.at(3, 0), src.at(1, 0)); // centre 3.5 -> source 1.5
}

// ---------------------------------------------------------------------------------------------
// The window is where the game puts it: in a window-sized lossless grab, the first exact run of
// the marker colour (scanned as the window search does) lies where the truth's view says, the
// hero sits at the game's place for that layout, and the map's margins (layout A: the
// background one pixel above the view; layout B: the orange frame) give the truth's size and
// origin by the search's arithmetic.

struct Places
{
    int sx, sy, len;
    Colour marker;
    int heroRight[2], heroDown[2], viewLeft, viewUp[2];
};
const Places kLayouts[2] = {
    {549, 147, 204, blind::rgb(0, 0, 0), {102, 34}, {102, 136}, 549, {174, 147}},
    {514, 3, 124, blind::rgb(204, 51, 0), {18, 18}, {295, 360}, 514, {3, 3}},
};

// The first exact run of length L of the marker colour in scan order, or false.
bool findMarker(const Canvas& p, const Places& pl, int& rx, int& ry)
{
    const int W = p.width(), H = p.height();
    int x = pl.sx, y = pl.sy;
    for (;;) {
        ++x;
        if (x >= W - pl.len) {
            ++y;
            x = pl.sx;
        }
        if (y >= H)
            return false;
        if (blind::opaque(p.at(x, y)) != pl.marker)
            continue;
        int n = 1;
        while (x + 1 < W && blind::opaque(p.at(x + 1, y)) == pl.marker) {
            ++x;
            ++n;
        }
        ++x; // the first pixel that differs
        if (n == pl.len) {
            rx = x - pl.len + 1;
            ry = y;
            return true;
        }
        if (y >= H - pl.len)
            return false;
    }
}

TEST(BlindComposer, WindowGrabsHoldTheMarkerTheHeroAndTheMapWhereTheGamePutsThem)
{
    int tried = 0, layoutB = 0;
    for (std::uint64_t seed = 1; seed <= 16; ++seed) {
        const Grab g = blind::compose(QStringLiteral("window"), seed);
        const Truth& t = g.truth;
        const Canvas& p = g.picture;
        if (p.width() > 1024 || p.height() > 768)
            continue;
        SCOPED_TRACE("seed " + std::to_string(seed) + ": " + t.detail);
        const int layout = t.detail.find("layout=B") != std::string::npos ? 1 : 0;
        const Places& pl = kLayouts[layout];
        const int game = t.game - 1;
        int rx = 0, ry = 0;
        ASSERT_TRUE(findMarker(p, pl, rx, ry));
        if (layout == 1) {
            // The search tries layout A first: a layout-B window must hold no run it would take.
            int ax = 0, ay = 0;
            EXPECT_FALSE(findMarker(p, kLayouts[0], ax, ay)) << "a black run at " << ax << "," << ay;
            ++layoutB;
        }
        const int ox = rx - pl.viewLeft, oy = ry - pl.viewUp[game];
        // The hero, exactly, at the game's place; not at the other game's.
        const Canvas& hero = blind::artFor(game, t.scheme).hero;
        auto heroAt = [&](int k) {
            for (int y = 0; y < 34; ++y)
                for (int x = 0; x < 34; ++x)
                    if (p.at(rx + pl.heroRight[k] + x, ry + pl.heroDown[k] + y) != hero.at(x, y))
                        return false;
            return true;
        };
        EXPECT_TRUE(heroAt(game));
        EXPECT_FALSE(heroAt(1 - game));

        int width = 32, height = 32, mx = ox, my = oy;
        if (layout == 0) {
            const Colour ref = p.at(ox, oy - 1);
            for (int corner = 0; corner < 4; ++corner) {
                bool found = false;
                int dx = 0, dy = 1;
                for (; dy <= 240 && !found; dy += 15)
                    for (dx = 0; dx <= 256 && !found; dx += 16) {
                        const int sx = corner < 2 ? ox + dx : ox + 512 - dx;
                        const int sy = corner % 2 == 0 ? oy + dy : oy + 480 - dy;
                        found = p.at(sx, sy) != ref;
                        if (found) {
                            mx = ox + dx;
                            my = oy + dy - 1;
                            width = 32 - 2 * (dx / 16);
                            height = 32 - 2 * (dy / 15);
                        }
                    }
                if (width % 8 == 0 && width > 0 && height % 8 == 0 && height > 0)
                    break;
            }
        } else {
            const Colour black = blind::rgb(0, 0, 0), frame = blind::rgb(255, 128, 0);
            int dx = 0, dy = 0;
            do {
                if (++dy >= 240)
                    dx += 16, dy = 0;
            } while (dx < 256 && blind::opaque(p.at(ox + dx, oy + dy + 1)) == black);
            int n = 0;
            for (int i = 0; i < 384; ++i)
                n += blind::opaque(p.at(ox + dx + i, oy + dy + 1)) == frame;
            const int top = n < 384 ? 360 : dy;
            dx = 0, dy = 0;
            do {
                if (++dx >= 256)
                    dy += 15, dx = 0;
            } while (dy < 240 && blind::opaque(p.at(ox + dx, oy + dy + 1)) == black);
            n = 0;
            for (int i = 0; i < 360; ++i)
                n += blind::opaque(p.at(ox + dx, oy + dy + i)) == frame;
            const int left = n < 360 ? 384 : dx;
            width = 32 - 2 * (left / 16);
            height = 32 - 2 * ((top + 4) / 15);
            if (width <= 0 || width % 8)
                width = 32;
            if (height <= 0 || height % 8)
                height = 32;
            mx = ox + (32 - width) * 16 / 2;
            my = oy + (32 - height) * 15 / 2;
        }
        EXPECT_EQ(width, t.columns);
        EXPECT_EQ(height, t.rows);
        EXPECT_EQ(std::int64_t{mx} * kMillion, t.originx);
        EXPECT_EQ(std::int64_t{my} * kMillion, t.originy);
        ++tried;
    }
    EXPECT_GE(tried, 6);
    EXPECT_GE(layoutB, 2);
}

} // namespace
