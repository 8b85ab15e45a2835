// The objects of the games and the catalogue that puts every character in its place.
#include "Characters.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>

namespace vt::art {

namespace {

using Points = std::vector<std::pair<double, double>>;

// Light from the top left and in front. Returns the diffuse light (0 to 1) and the highlight
// of a surface with the unit normal (nu, nv, nz).
struct Lighting
{
    double diffuse;
    double highlight;
};

Lighting light(double nu, double nv, double nz)
{
    const double lu = -0.45, lv = -0.55, lz = 0.70;
    const double ln = std::sqrt(lu * lu + lv * lv + lz * lz);
    const double d = std::max(0.0, (nu * lu + nv * lv + nz * lz) / ln);
    // Half vector between the light and the eye (0, 0, 1).
    const double hu = lu / ln, hv = lv / ln, hz = lz / ln + 1.0;
    const double hn = std::sqrt(hu * hu + hv * hv + hz * hz);
    double s = std::max(0.0, (nu * hu + nv * hv + nz * hz) / hn);
    for (int i = 0; i < 5; ++i)
        s *= s; // s to the 32nd power, without pow()
    return {d, s};
}

// The colour of a lit surface between its dark, base and light colours; map-size cells use
// three flat steps so the snapped colours stay clean. Full size shades in kShadeSteps steps,
// stippled where they meet, under a crisp highlight of kGlossSteps steps, so a lit object keeps
// to a dozen or so colours.
constexpr int kShadeSteps = 10;
constexpr int kGlossSteps = 2;

Ink lit(const Tile& t, int x, int y, Rgb dark, Rgb base, Rgb bright, const Lighting& l)
{
    if (t.small()) {
        if (l.highlight > 0.55)
            return ink(mix(bright, kWhite, 0.6));
        if (l.diffuse < 0.45)
            return ink(dark);
        if (l.diffuse < 0.85)
            return ink(base);
        return ink(bright);
    }
    const double d = posterise(l.diffuse, kShadeSteps, x, y);
    const Rgb c = d < 0.6 ? mix(dark, base, d / 0.6) : mix(base, bright, (d - 0.6) / 0.4);
    return ink(mix(c, kWhite, posterise(l.highlight, kGlossSteps) * 0.8));
}

// Normal of an ellipsoid at (u, v); false outside.
bool domeNormal(double u, double v, double cu, double cv, double ru, double rv, double& nu,
                double& nv, double& nz)
{
    nu = (u - cu) / ru;
    nv = (v - cv) / rv;
    const double r2 = nu * nu + nv * nv;
    if (r2 > 1.0)
        return false;
    nz = std::sqrt(1.0 - r2);
    return true;
}

// Map-size cells of several objects are drawn by hand: at 16 x 15 a shape computed from the
// full-size description loses its face. One character per pixel, '.' leaves the pixel.
const std::map<char, Rgb>& spriteColours()
{
    static const std::map<char, Rgb> colours{
        {'K', {0, 0, 0}},       {'W', {255, 255, 255}}, {'w', {204, 204, 204}},
        {'g', {153, 153, 153}}, {'Y', {255, 204, 0}},   {'y', {255, 255, 153}},
        {'O', {204, 153, 0}},   {'o', {153, 102, 0}},   {'n', {102, 51, 0}},
        {'S', {255, 204, 153}}, {'H', {153, 102, 51}},  {'B', {51, 102, 204}},
        {'P', {51, 51, 102}},   {'l', {204, 204, 204}}, {'m', {153, 153, 153}},
        {'k', {102, 102, 102}}, {'D', {51, 51, 51}},    {'b', {255, 255, 204}},
        {'s', {153, 153, 102}}, {'r', {170, 20, 20}},
    };
    return colours;
}

void drawSprite(Tile& t, const std::vector<const char*>& rows)
{
    for (int y = 0; y < t.height() && y < static_cast<int>(rows.size()); ++y)
        for (int x = 0; x < t.width(); ++x) {
            const char c = rows[static_cast<std::size_t>(y)][x];
            if (c != '.')
                t.at(x, y) = ink(spriteColours().at(c));
        }
}

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

const std::vector<const char*> kHeroSprite{
    "......HHHH......", ".....HHHHHH.....", ".....HSSSSH.....", ".....SKSSKS.....",
    ".....SSSSSS.....", "......SSSS......", "...BBBBBBBBBB...", "..BBBBBBBBBBBB..",
    "..BB.BBBBBB.BB..", "..BB.nnYYnn.BB..", "..SS.BBBBBB.SS..", ".....PP..PP.....",
    ".....PP..PP.....", "....nnn..nnn....", "....nnn..nnn....",
};

const std::vector<const char*> kSkullSprite{
    "................", ".....bbbbbb.....", "....bbbbbbbb....", "...bbbbbbbbbb...",
    "...bKKbbbbKKb...", "...bKKKbbKKKb...", "...bKKbbbbKKs...", "...sbbbKKbbbs...",
    "....sbbKKbbs....", ".....bbbbbb.....", ".....KbKbKb.....", ".....bKbKbK.....",
    "......ssss......", "................", "................",
};

const std::vector<const char*> kRedSkullSprite{
    "rrrrrrrrrrrrrrrr", "rrrrrbbbbbbrrrrr", "rrrrbbbbbbbbrrrr", "rrrbbbbbbbbbbrrr",
    "rrrbYYbbbbYYbrrr", "rrrbYYKbbKYYbrrr", "rrrbKKbbbbKKsrrr", "rrrsbbbKKbbbsrrr",
    "rrrrsbbKKbbsrrrr", "rrrrrbbbbbbrrrrr", "rrrrrKbKbKbrrrrr", "rrrrrbKbKbKrrrrr",
    "rrrrrrssssrrrrrr", "rrrrrrrrrrrrrrrr", "rrrrrrrrrrrrrrrr",
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

// ---- skull, gold bars, cloud, squares, octagon ----

void drawSkull(Tile& t, bool redGround)
{
    if (t.small()) {
        drawSprite(t, redGround ? kRedSkullSprite : kSkullSprite);
        return;
    }
    if (redGround) {
        t.paint([&](int x, int y, double u, double v) -> std::optional<Ink> {
            const double glow = ((u - 32) * (u - 32) + (v - 32) * (v - 32)) / 2048.0;
            return ink(
                mixSteps({200, 30, 20}, {90, 0, 0}, glow + 0.08 * (hashUnit(x, y, 97) - 0.5), 6));
        });
    }
    const Rgb boneDark{150, 140, 115}, bone{232, 225, 200}, boneLight{255, 252, 240};
    const auto inSkull = [](double u, double v) {
        return inEllipse(u, v, 32, 27, 22, 20) || inRoundRect(u, v, 20, 36, 44, 57, 6);
    };
    t.paint([&](int x, int y, double u, double v) -> std::optional<Ink> {
        if (!inSkull(u, v))
            return std::nullopt;
        // Eye sockets, nose and the gaps between the teeth.
        if (inEllipse(u, v, 23.5, 30, 6.5, 7) || inEllipse(u, v, 40.5, 30, 6.5, 7))
            return ink(redGround ? Rgb{255, 60, 0} : kBlack);
        if (inPolygon(u, v, {{32, 36}, {28, 44}, {36, 44}}))
            return ink(kBlack);
        if (v >= 47 && v < 50 && u >= 22 && u < 42)
            return ink(kBlack);
        if (v >= 47 && v < 56) {
            const double phase = u - std::floor(u / 5.0) * 5.0;
            if (phase < 1.1 && u > 22 && u < 42)
                return ink(60, 50, 35);
        }
        double nu, nv, nz;
        if (domeNormal(u, v, 32, 30, 24, 28, nu, nv, nz))
            return lit(t, x, y, boneDark, bone, boneLight, light(nu, nv, nz));
        return ink(boneDark);
    });
}

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

void drawCloud(Tile& t)
{
    struct Puff
    {
        double u, v, r;
    };
    static const Puff puffs[] = {{20, 38, 13}, {33, 27, 16}, {46, 35, 14},
                                 {33, 45, 12}, {52, 45, 8},  {12, 46, 7}};
    const auto depth = [&](double u, double v) {
        double best = -1.0;
        for (const Puff& p : puffs) {
            const double du = u - p.u, dv = v - p.v;
            best = std::max(best, 1.0 - std::sqrt(du * du + dv * dv) / p.r);
        }
        return best; // > 0 inside the cloud
    };
    t.paint([&](int x, int y, double u, double v) -> std::optional<Ink> {
        const double d = depth(u, v);
        if (t.small()) {
            if (d > 0.55)
                return ink(230, 245, 255);
            if (d > 0.2)
                return ink(130, 180, 255);
            if (d > 0)
                return ink(50, 100, 220);
            if (d > -0.25)
                return ink(15, 30, 120);
            return std::nullopt;
        }
        if (d <= -0.4)
            return std::nullopt;
        if (d <= 0) {
            // The glow fades into the black.
            const double glow = 1.0 + d / 0.4;
            return ink(mix(kBlack, {40, 70, 200}, posterise(glow * glow, 6, x, y)));
        }
        const double shimmer =
            0.06 * (valueNoise(u, v, 6.0, 101) - 0.5) + 0.03 * (hashUnit(x, y, 103) - 0.5);
        const double level = posterise(d * 1.6 + shimmer, 8, x, y);
        if (level < 0.5)
            return ink(mix({60, 110, 235}, {150, 195, 255}, level / 0.5));
        return ink(mix({150, 195, 255}, {245, 250, 255}, (level - 0.5) / 0.5));
    });
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

// ---- the hero ----

void drawHero(Tile& t)
{
    if (t.small()) {
        drawSprite(t, kHeroSprite);
        return;
    }
    const Rgb skin{250, 200, 150}, hair{130, 75, 20}, tunic{45, 105, 205}, tunicDark{20, 55, 130},
        belt{110, 60, 10}, trousers{60, 55, 95}, boots{100, 55, 20};
    t.paint([&](double u, double v) -> std::optional<Ink> {
        // Head and hair.
        if (inEllipse(u, v, 32, 14, 9.5, 10.5)) {
            if (v < 10.5 || (v < 14 && std::fabs(u - 32) > 7))
                return ink(hair);
            if (v >= 13.5 && v < 17.5 && (std::fabs(u - 28) < 1.8 || std::fabs(u - 36) < 1.8))
                return ink(30, 30, 70);
            return ink(skin);
        }
        if (u >= 29 && u < 35 && v >= 24 && v < 27)
            return ink(skin);
        // Arms and hands.
        for (double side : {-1.0, 1.0}) {
            const double cu = 32 + side * 16.5;
            if (inEllipse(u, v, cu, 47.5, 4.2, 4.2))
                return ink(skin);
            if (inRoundRect(u, v, cu - 4, 26, cu + 4, 45, 3))
                return ink(side < 0 ? tunic : tunicDark);
        }
        // Body, belt, legs and boots.
        if (inRoundRect(u, v, 20.5, 25, 43.5, 47, 4)) {
            if (v >= 39 && v < 42.5)
                return ink(std::fabs(u - 32) < 2.5 ? Rgb{255, 210, 40} : belt);
            if (u > 38)
                return ink(tunicDark);
            return ink(tunic);
        }
        for (double left : {23.0, 33.0}) {
            if (u >= left && u < left + 8 && v >= 46 && v < 55)
                return ink(trousers);
            if (inRoundRect(u, v, left - (left < 30 ? 2 : 0), 54, left + 8 + (left < 30 ? 0 : 2),
                            62, 2))
                return ink(boots);
        }
        return std::nullopt;
    });
}

} // namespace

const std::vector<Art>& catalogue(int game)
{
    static const std::vector<Art> game1{
        Art::Blank,
        Art::Diamond,
        Art::EggWhite,
        Art::Brick,
        Art::BrickTopLeft,
        Art::BrickTopRight,
        Art::BrickBottomLeft,
        Art::BrickBottomRight,
        Art::BrickEdgeLeft,
        Art::BrickEdgeRight,
        Art::BrickEdgeTop,
        Art::BrickEdgeBottom,
        Art::Safe,
        Art::Pillars,
        Art::Earth,
        Art::EarthStrata,
        Art::SpeckledGround,
        Art::GoldBars,
        Art::SmoothEdgeTop,
        Art::SmoothEdgeBottom,
        Art::FourBrickBlocks,
        Art::SmoothEdgeLeft,
        Art::SmoothEdgeRight,
        Art::Key,
        Art::Smooth,
        Art::SmoothTopLeft,
        Art::SmoothTopRight,
        Art::SmoothBottomLeft,
        Art::SmoothBottomRight,
        Art::TwoBrickBlocks,
        Art::Hero,
        Art::Boulder,
        Art::SmallBlocks,
    };
    static const std::vector<Art> game2{
        Art::Blank,
        Art::Diamond,
        Art::Boulder,
        Art::EggWhite,
        Art::Safe,
        Art::Key,
        Art::Cloud,
        Art::Cage,
        Art::FourSquareBlocks,
        Art::Brick,
        Art::BrickTopLeft,
        Art::BrickTopRight,
        Art::BrickEdgeLeft,
        Art::BrickEdgeRight,
        Art::BrickEdgeTop,
        Art::BrickEdgeBottom,
        Art::BrickBottomLeft,
        Art::BrickBottomRight,
        Art::EarthCrossTracks,
        Art::EarthCurvedTracks,
        Art::EarthCurvedTracks2,
        Art::Dotted,
        Art::DottedTopLeft,
        Art::DottedTopRight,
        Art::Squares,
        Art::Hero,
        Art::OctagonTile,
        Art::Skull,
        Art::DottedBottomLeft,
        Art::DottedBottomRight,
        Art::OrangeDisc,
        Art::SkullRed,
        Art::GoldTopBrick,
        Art::EggYellow,
        Art::KeyDisc,
    };
    // By game, in the order of the game table.
    static const std::vector<Art>* const games[] = {&game1, &game2};
    static const std::vector<Art> none;
    if (game < 0 || game >= static_cast<int>(std::size(games)))
        return none;
    return *games[game];
}

void drawCharacter(Art art, Tile& t)
{
    switch (art) {
    case Art::Blank:
        return;
    case Art::Diamond:
        return drawGem(t, Gem{});
    case Art::EggWhite:
        return drawEgg(t, false);
    case Art::EggYellow:
        return drawEgg(t, true);
    case Art::Boulder:
        return drawBoulder(t);
    case Art::Safe:
        return drawSafe(t);
    case Art::Key:
        return drawKeyShape(t, 1.0);
    case Art::KeyDisc:
        return drawKeyDisc(t);
    case Art::Skull:
        return drawSkull(t, false);
    case Art::SkullRed:
        return drawSkull(t, true);
    case Art::GoldBars:
        return drawGoldBars(t);
    case Art::Hero:
        return drawHero(t);
    case Art::Cage:
        return drawCage(t);
    case Art::Cloud:
        return drawCloud(t);
    case Art::Squares:
        return drawSquares(t);
    case Art::OctagonTile:
        return drawOctagonTile(t);
    case Art::OrangeDisc:
        return drawOrangeDisc(t);
    case Art::Brick:
        return drawWall(t, Texture::Brick, Corner::None, Side::None);
    case Art::BrickTopLeft:
        return drawWall(t, Texture::Brick, Corner::TopLeft, Side::None);
    case Art::BrickTopRight:
        return drawWall(t, Texture::Brick, Corner::TopRight, Side::None);
    case Art::BrickBottomLeft:
        return drawWall(t, Texture::Brick, Corner::BottomLeft, Side::None);
    case Art::BrickBottomRight:
        return drawWall(t, Texture::Brick, Corner::BottomRight, Side::None);
    case Art::BrickEdgeLeft:
        return drawWall(t, Texture::Brick, Corner::None, Side::Left);
    case Art::BrickEdgeRight:
        return drawWall(t, Texture::Brick, Corner::None, Side::Right);
    case Art::BrickEdgeTop:
        return drawWall(t, Texture::Brick, Corner::None, Side::Top);
    case Art::BrickEdgeBottom:
        return drawWall(t, Texture::Brick, Corner::None, Side::Bottom);
    case Art::Smooth:
        return drawWall(t, Texture::Smooth, Corner::None, Side::None);
    case Art::SmoothTopLeft:
        return drawWall(t, Texture::Smooth, Corner::TopLeft, Side::None);
    case Art::SmoothTopRight:
        return drawWall(t, Texture::Smooth, Corner::TopRight, Side::None);
    case Art::SmoothBottomLeft:
        return drawWall(t, Texture::Smooth, Corner::BottomLeft, Side::None);
    case Art::SmoothBottomRight:
        return drawWall(t, Texture::Smooth, Corner::BottomRight, Side::None);
    case Art::SmoothEdgeLeft:
        return drawWall(t, Texture::Smooth, Corner::None, Side::Left);
    case Art::SmoothEdgeRight:
        return drawWall(t, Texture::Smooth, Corner::None, Side::Right);
    case Art::SmoothEdgeTop:
        return drawWall(t, Texture::Smooth, Corner::None, Side::Top);
    case Art::SmoothEdgeBottom:
        return drawWall(t, Texture::Smooth, Corner::None, Side::Bottom);
    case Art::Dotted:
        return drawWall(t, Texture::Dotted, Corner::None, Side::None);
    case Art::DottedTopLeft:
        return drawWall(t, Texture::Dotted, Corner::TopLeft, Side::None);
    case Art::DottedTopRight:
        return drawWall(t, Texture::Dotted, Corner::TopRight, Side::None);
    case Art::DottedBottomLeft:
        return drawWall(t, Texture::Dotted, Corner::BottomLeft, Side::None);
    case Art::DottedBottomRight:
        return drawWall(t, Texture::Dotted, Corner::BottomRight, Side::None);
    case Art::Earth:
        return drawEarth(t, false);
    case Art::EarthStrata:
        return drawEarth(t, true);
    case Art::EarthCrossTracks:
        return drawTrackedEarth(t, 0);
    case Art::EarthCurvedTracks:
        return drawTrackedEarth(t, 1);
    case Art::EarthCurvedTracks2:
        return drawTrackedEarth(t, 2);
    case Art::SpeckledGround:
        return drawSpeckledGround(t);
    case Art::Pillars:
        return drawPillars(t);
    case Art::FourBrickBlocks:
        return drawBrickBlocks(t, 2, 2);
    case Art::TwoBrickBlocks:
        return drawBrickBlocks(t, 2, 1);
    case Art::SmallBlocks:
        return drawSmallBlocks(t);
    case Art::FourSquareBlocks:
        return drawSquareBlocks(t);
    case Art::GoldTopBrick:
        return drawGoldTopBrick(t);
    }
}

} // namespace vt::art
