// Shading and hand-drawn map-size cells, shared by the objects and the creatures.
#include "Shading.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace vt::art {

namespace {

// Full size shades in kShadeSteps steps, stippled where they meet, under a crisp highlight of
// kGlossSteps steps, so a lit object keeps to a dozen or so colours.
constexpr int kShadeSteps = 10;
constexpr int kGlossSteps = 2;

// The colours of the hand-drawn cells.
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

} // namespace

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

void drawSprite(Tile& t, const std::vector<const char*>& rows)
{
    for (int y = 0; y < t.height() && y < static_cast<int>(rows.size()); ++y)
        for (int x = 0; x < t.width(); ++x) {
            const char c = rows[static_cast<std::size_t>(y)][x];
            if (c != '.')
                t.at(x, y) = ink(spriteColours().at(c));
        }
}

} // namespace vt::art
