// The objects of the two games: diamond, eggs, boulder, discs, safe, keys, cage, gold bars, the
// coloured squares and the octagon tile.
#include "Characters.h"
#include "Shading.h"

#include <algorithm>
#include <cmath>

namespace vt::art {

namespace {

using Points = std::vector<std::pair<double, double>>;

const std::vector<const char*> kEggSprite{
    "................", "......WWWW......", ".....WWWWWW.....", "....WWWWWWWw....",
    "....WWWWWWWw....", "...WWWWWWWWWw...", "...WWWWWWWWWw...", "...WWWWWWWWWw...",
    "...WWWWWWWWww...", "...wWWWWWWWwg...", "....wWWWWWwwg...", "....gwwwwwwg....",
    "......gggg......", "................", "................",
};

const std::vector<const char*> kSpeckledEggSprite{
    "................", "......yyYY......", ".....yyYYnY.....", "....yyYYYYYO....",
    "....yYnYYYYO....", "...YYYYYYnYYO...", "...YYYYYYYYYO...", "...YnYYYYYYYO...",
    "...YYYYnYYYOO...", "...OYYYYYYnOo...", "....OYYYYYOOo...", "....oOOOOOOo....",
    "......oooo......", "................", "................",
};

const std::vector<const char*> kBoulderSprite{
    "................", ".....kmmmmmk....", "...kmllmmmmmk...", "..kmllmmmmDmmk..",
    "..mllmmmmmDmmk..", ".kmlmmmmmDmmmmk.", ".kmmmmmmmDmmmmk.", ".kmmmmmmmmDmmmk.",
    ".kmmmmmmmmmmmmD.", ".kmmDmmmmmmmmkD.", "..kmmDDmmmmmkD..", "..DkmmmmmmmkkD..",
    "....DDkkkkDD....", "................", "................",
};

const std::vector<const char*> kGoldBarsSprite{
    "................", "................", ".....yyyyyy.....", "....yyyyyyyy....",
    "....YYYYYYYO....", "....YYYYYYYO....", "....OOOOOOOO....", ".yyyyyy..yyyyyy.",
    "yyyyyyyyyyyyyyyy", "YYYYYYYOYYYYYYYO", "YYYYYYYOYYYYYYYO", "YYYYYYYOYYYYYYYO",
    "OOOOOOOOOOOOOOOO", "................", "................",
};

// ---- diamond ----

// The gem as a shape in units, centred on (cu, cv), `scale` times the full size.
struct Gem
{
    double cu = 32, cv = 32, scale = 1;

    // Whether (u, v) is on the gem; `across` runs from -1 at its left edge to 1 at its right
    // edge at that height, `crown` tells the top part (above the girdle) from the pointed base.
    bool inside(double u, double v, double& across, bool& crown) const
    {
        const double lu = (u - cu) / scale, lv = (v - cv) / scale;
        const double top = -19.0, girdle = -6.0, tip = 24.0;
        if (lv < top || lv > tip)
            return false;
        double half;
        if (lv < girdle) {
            crown = true;
            half = 18.0 + (28.0 - 18.0) * (lv - top) / (girdle - top);
        } else {
            crown = false;
            half = 28.0 * (tip - lv) / (tip - girdle);
        }
        if (std::fabs(lu) > half)
            return false;
        across = half > 0 ? lu / half : 0.0;
        return true;
    }
};

void drawGem(Tile& t, const Gem& gem)
{
    static const Rgb crownColours[] = {
        {120, 220, 255}, {235, 250, 255}, {170, 235, 255}, {60, 190, 245}, {20, 110, 210}};
    static const Rgb pavilionColours[] = {
        {160, 235, 255}, {80, 200, 250}, {20, 140, 230}, {10, 80, 180}};
    t.paint([&](double u, double v) -> std::optional<Ink> {
        double across = 0;
        bool crown = false;
        if (!gem.inside(u, v, across, crown))
            return std::nullopt;
        if (crown) {
            const int facet = std::clamp(static_cast<int>((across + 1.0) * 2.5), 0, 4);
            return ink(crownColours[facet]);
        }
        const int facet = std::clamp(static_cast<int>((across + 1.0) * 2.0), 0, 3);
        return ink(pavilionColours[facet]);
    });
    if (!t.small()) {
        // A dark rim on the lower edges and a sparkle on the crown.
        const auto in = [&](double u, double v) {
            double a;
            bool c;
            return gem.inside(u, v, a, c);
        };
        t.paint([&](double u, double v) -> std::optional<Ink> {
            if (in(u, v) && (!in(u + 2 * gem.scale, v + 2 * gem.scale) ||
                             !in(u + 2 * gem.scale, v) || !in(u, v + 2 * gem.scale)))
                return ink(0, 60, 140);
            return std::nullopt;
        });
        const double su = gem.cu - 12 * gem.scale, sv = gem.cv - 13 * gem.scale;
        t.paint([&](double u, double v) -> std::optional<Ink> {
            const double du = std::fabs(u - su), dv = std::fabs(v - sv);
            if ((du < 0.8 && dv < 6 * gem.scale) || (dv < 0.8 && du < 6 * gem.scale) ||
                (du < 1.8 && dv < 1.8))
                return ink(kWhite);
            return std::nullopt;
        });
    }
}

// The key in units, `scale` times the full size around (32, 32).
void drawKeyShape(Tile& t, double scale)
{
    const Rgb dark = kGoldDark, gold = kGold, bright = kGoldBright;
    const auto local = [&](double u, double v, double& lu, double& lv) {
        lu = (u - 32.0) / scale + 32.0;
        lv = (v - 32.0) / scale + 32.0;
    };
    t.paint([&](int x, int y, double u, double v) -> std::optional<Ink> {
        double lu, lv;
        local(u, v, lu, lv);
        const double du = lu - 17.0, dv = lv - 32.0;
        const double r2 = du * du + dv * dv;
        const bool bow = r2 <= 12.0 * 12.0 && r2 >= 5.0 * 5.0;
        const bool shaft = lu >= 26 && lu <= 59 && lv >= 28.5 && lv <= 35.5;
        const bool bit = (lu >= 43 && lu <= 48 && lv >= 35 && lv <= 45) ||
                         (lu >= 52 && lu <= 58 && lv >= 35 && lv <= 48);
        if (!bow && !shaft && !bit)
            return std::nullopt;
        if (t.small())
            return ink(lv < 31 && !bit ? bright : gold);
        if (bow) {
            const double r = std::sqrt(r2);
            double nu = du / r, nv = dv / r;
            const double across = (r - 8.5) / 3.5; // -1 inner edge to 1 outer edge
            const double nz = std::sqrt(std::max(0.0, 1.0 - across * across));
            return lit(t, x, y, dark, gold, bright, light(nu * across, nv * across, nz));
        }
        if (lv < 30.5)
            return ink(bright);
        if (lv > 33.5 || (bit && lv > 42))
            return ink(dark);
        return ink(gold);
    });
}

} // namespace

void drawDiamond(Tile& t)
{
    drawGem(t, Gem{});
}

// ---- eggs, boulder, discs ----

void drawEgg(Tile& t, bool yellow)
{
    if (t.small()) {
        drawSprite(t, yellow ? kSpeckledEggSprite : kEggSprite);
        return;
    }
    // The yellow egg is shaded in the keys' gold, so the two spend one set of colours.
    const Rgb dark = yellow ? kGoldDark : Rgb{150, 150, 170};
    const Rgb base = yellow ? kGold : Rgb{238, 238, 238};
    const Rgb bright = yellow ? kGoldBright : Rgb{255, 255, 255};
    const auto shape = [](double u, double v, double& nu, double& nv, double& nz) {
        // Narrower at the top than at the bottom.
        const double rx = 17.0 + 4.0 * (v - 36.0) / 24.0;
        return domeNormal(u, v, 32.0, 36.0, rx, 25.0, nu, nv, nz);
    };
    t.paint([&](int x, int y, double u, double v) -> std::optional<Ink> {
        double nu, nv, nz;
        if (!shape(u, v, nu, nv, nz))
            return std::nullopt;
        return lit(t, x, y, dark, base, bright, light(nu, nv, nz));
    });
    if (!yellow)
        return;
    // Speckles.
    Random random(3301);
    for (int i = 0; i < 16; ++i) {
        const double pu = random.range(18, 46), pv = random.range(16, 58);
        const double r = random.range(1.5, 2.6);
        double nu, nv, nz;
        if (!shape(pu, pv, nu, nv, nz) || nz < 0.3)
            continue;
        t.paint([&](double u, double v) -> std::optional<Ink> {
            if (inEllipse(u, v, pu, pv, r, r * 0.8))
                return ink(150, 80, 10);
            return std::nullopt;
        });
    }
}

void drawBoulder(Tile& t)
{
    if (t.small()) {
        drawSprite(t, kBoulderSprite);
        return;
    }
    static const Points outline{{30, 7},  {44, 9},  {54, 16}, {60, 28}, {59, 43}, {52, 55},
                                {38, 61}, {24, 61}, {11, 54}, {5, 41},  {6, 25},  {15, 13}};
    t.paint([&](int x, int y, double u, double v) -> std::optional<Ink> {
        if (!inPolygon(u, v, outline))
            return std::nullopt;
        double nu = (u - 32.0) / 30.0, nv = (v - 35.0) / 30.0;
        const double r2 = std::min(nu * nu + nv * nv, 0.98);
        const double nz = std::sqrt(1.0 - r2);
        Lighting l = light(nu, nv, nz);
        l.highlight = 0; // matte stone: a posterised glint would look wet
        // Lumpy stone: large patches and fine grain.
        l.diffuse += 0.25 * (valueNoise(u, v, 10.0, 83) - 0.5) + 0.12 * (hashUnit(x, y, 89) - 0.5);
        return lit(t, x, y, {70, 62, 55}, {150, 138, 122}, {220, 210, 192}, l);
    });
    // Cracks.
    t.paint([&](double u, double v) -> std::optional<Ink> {
        if (segmentDistance(u, v, 38, 14, 33, 27) < 1.1 ||
            segmentDistance(u, v, 33, 27, 40, 36) < 1.1 ||
            segmentDistance(u, v, 16, 40, 26, 48) < 1.1)
            return ink(40, 34, 30);
        return std::nullopt;
    });
}

void drawOrangeDisc(Tile& t)
{
    t.paint([&](int x, int y, double u, double v) -> std::optional<Ink> {
        double nu, nv, nz;
        if (!domeNormal(u, v, 32, 32, 28, 28, nu, nv, nz))
            return std::nullopt;
        return lit(t, x, y, {160, 60, 0}, {255, 140, 0}, {255, 210, 120}, light(nu, nv, nz));
    });
}

// ---- safe, key, cage ----

void drawSafe(Tile& t)
{
    const Rgb steelDark{45, 50, 62}, steel{112, 122, 138}, steelLight{185, 195, 210};
    // Feet first, then the body over them.
    t.paint([&](double u, double v) -> std::optional<Ink> {
        if (v >= 56 && v < 62 && ((u >= 10 && u < 20) || (u >= 44 && u < 54)))
            return ink(30, 30, 36);
        return std::nullopt;
    });
    bevelFill(
        t, [](double u, double v) { return inRoundRect(u, v, 5, 5, 59, 58, 5); }, t.small() ? 1 : 3,
        [&](int, int, int litSide, int shaded) {
            if (shaded == 0)
                return ink(steelDark);
            if (litSide == 0)
                return ink(steelLight);
            if (!t.small() && shaded < 3)
                return ink(mix(steelDark, steel, 0.5));
            if (!t.small() && litSide < 3)
                return ink(mix(steel, steelLight, 0.5));
            return ink(steel);
        });
    // The door: a recessed panel.
    t.paint([&](double u, double v) -> std::optional<Ink> {
        if (!inRoundRect(u, v, 12, 12, 52, 51, 3))
            return std::nullopt;
        if (!t.small() && (u < 14 || v < 14))
            return ink(steelDark);
        if (!t.small() && (u > 50 || v > 49))
            return ink(steelLight);
        return ink(t.small() ? Rgb{80, 90, 105} : Rgb{95, 105, 122});
    });
    // Dial, handle and hinges.
    t.paint([&](double u, double v) -> std::optional<Ink> {
        const double du = u - 30, dv = v - 31;
        const double r2 = du * du + dv * dv;
        if (r2 < 100) {
            if (r2 < 16)
                return ink(40, 30, 10);
            if (!t.small() && std::fabs(du) < 1.2 && dv < 0)
                return ink(40, 30, 10);
            if (t.small())
                return ink(255, 215, 60);
            return ink(du + dv < 0 ? kGold : mix(kGoldDark, kGold, 0.5));
        }
        if (u >= 44 && u < 48 && v >= 22 && v < 42)
            return ink(220, 225, 235);
        if (!t.small() && u >= 8 && u < 12 && ((v >= 16 && v < 24) || (v >= 40 && v < 48)))
            return ink(30, 30, 36);
        return std::nullopt;
    });
}

void drawKey(Tile& t)
{
    drawKeyShape(t, 1.0);
}

void drawKeyDisc(Tile& t)
{
    t.paint([&](int x, int y, double u, double v) -> std::optional<Ink> {
        double nu, nv, nz;
        if (!domeNormal(u, v, 32, 32, 31, 31, nu, nv, nz))
            return std::nullopt;
        Lighting l = light(nu * 0.6, nv * 0.6, std::sqrt(1.0 - 0.36 * (nu * nu + nv * nv)));
        l.highlight = 0;
        if (t.small())
            return ink(nu * nu + nv * nv > 0.75 ? Rgb{20, 40, 150} : Rgb{45, 95, 215});
        return lit(t, x, y, {15, 35, 130}, {40, 90, 215}, {110, 160, 255}, l);
    });
    drawKeyShape(t, 0.78);
}

void drawCage(Tile& t)
{
    Gem gem;
    gem.cu = 30;
    gem.cv = 30;
    gem.scale = 0.7;
    drawGem(t, gem);
    const Rgb metalDark{70, 75, 85}, metal{160, 165, 175}, metalLight{225, 228, 235};
    // Bars, then the frame at the top and bottom.
    t.paint([&](int x, int, double u, double v) -> std::optional<Ink> {
        const bool frame = (v >= 2 && v < 8) || (v >= 56 && v < 62);
        if (frame) {
            if (t.small())
                return ink(metal);
            return ink(v < 4 || (v >= 56 && v < 58)   ? metalLight
                       : (v >= 6 && v < 8) || v >= 60 ? metalDark
                                                      : metal);
        }
        if (v < 2 || v >= 62)
            return std::nullopt;
        if (t.small())
            return x % 4 == 1 ? std::optional<Ink>(ink(metal)) : std::nullopt;
        const double phase = u - std::floor(u / 16.0) * 16.0;
        if (phase >= 3 && phase < 8)
            return ink(phase < 4.5 ? metalLight : phase < 6.5 ? metal : metalDark);
        return std::nullopt;
    });
    // The padlock hangs on the front.
    t.paint([&](double u, double v) -> std::optional<Ink> {
        const double du = u - 48, dv = v - 40;
        const double r2 = du * du + dv * dv;
        if (v < 40 && r2 <= 49 && r2 >= 12)
            return ink(metalLight);
        if (inRoundRect(u, v, 39, 39, 57, 56, 2)) {
            if (u >= 47 && u < 50 && v >= 44 && v < 51)
                return ink(kBlack);
            if (t.small())
                return ink(255, 200, 40);
            return ink(v < 42 ? kGoldBright : u > 54 ? kGoldDark : kGold);
        }
        return std::nullopt;
    });
}

// ---- gold bars, squares, octagon ----

void drawGoldBars(Tile& t)
{
    if (t.small()) {
        drawSprite(t, kGoldBarsSprite);
        return;
    }
    struct Bar
    {
        double u, v;
    };
    const Rgb outline{90, 55, 0}, dark{175, 120, 0}, gold{245, 195, 30}, top{255, 240, 140};
    for (const Bar& bar : {Bar{4, 36}, Bar{32, 36}, Bar{18, 14}}) {
        const double w = 28, h = 22, lip = 8;
        const Points face{{bar.u + 5, bar.v},
                          {bar.u + w - 5, bar.v},
                          {bar.u + w, bar.v + lip},
                          {bar.u, bar.v + lip}};
        t.paint([&](double u, double v) -> std::optional<Ink> {
            const bool onTop = inPolygon(u, v, face);
            const bool front = u >= bar.u && u < bar.u + w && v >= bar.v + lip && v < bar.v + h;
            if (!onTop && !front)
                return std::nullopt;
            if (u < bar.u + 1.5 || u >= bar.u + w - 1.5 || v >= bar.v + h - 1.5)
                return ink(outline);
            if (onTop)
                return ink(v < bar.v + 1.5 ? outline : top);
            if (v < bar.v + lip + 1.5)
                return ink(255, 250, 200);
            return ink(mixSteps(gold, dark, (v - bar.v - lip) / (h - lip), 4));
        });
    }
}

void drawSquares(Tile& t)
{
    static const Rgb rings[] = {{230, 30, 30}, {255, 140, 0}, {255, 230, 0},  {40, 200, 40},
                                {0, 215, 230}, {40, 80, 240}, {220, 40, 220}, {255, 255, 255}};
    t.paint([&](int x, int y, double, double) -> std::optional<Ink> {
        const int m = std::min({x, y, t.width() - 1 - x, t.height() - 1 - y});
        const int ring = std::min(t.small() ? m : m / 4, 7);
        if (!t.small() && m % 4 == 3 && ring < 7)
            return ink(mix(rings[ring], kBlack, 0.35));
        return ink(rings[ring]);
    });
}

void drawOctagonTile(Tile& t)
{
    const auto octagon = [](double u, double v) {
        const double du = std::fabs(u - 32), dv = std::fabs(v - 32);
        return du <= 30 && dv <= 30 && du + dv <= 44;
    };
    bevelFill(t, octagon, t.small() ? 1 : 3, [&](int x, int y, int litSide, int shaded) {
        const double u = t.u(x), v = t.v(y);
        const double d = std::fabs(u - 32) + std::fabs(v - 32);
        if (d <= 11)
            return ink(255, 225, 40);
        if (d <= 23)
            return ink(t.small() || d > 13 ? Rgb{215, 30, 20} : Rgb{120, 10, 0});
        if (shaded == 0)
            return ink(150, 60, 0);
        if (litSide == 0)
            return ink(255, 200, 110);
        if (!t.small() && shaded < 3)
            return ink(200, 95, 10);
        if (!t.small() && litSide < 3)
            return ink(255, 170, 70);
        return ink(240, 130, 20);
    });
}

} // namespace vt::art
