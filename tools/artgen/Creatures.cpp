// The creatures of the two games: the hero, the skulls and the cloud.
#include "Characters.h"
#include "Shading.h"

#include <algorithm>
#include <cmath>

namespace vt::art {

namespace {

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

} // namespace

// ---- skulls, cloud ----

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

} // namespace vt::art
