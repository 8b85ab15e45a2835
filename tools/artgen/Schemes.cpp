#include "Schemes.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace vt::art {

namespace {

constexpr std::array<Rgb, kSchemeCount> kSwatches{
    {{0, 0, 255}, {0, 255, 255}, {0, 255, 0}, {255, 0, 255}, {255, 153, 0}, {255, 0, 0}}};

constexpr std::array<Rgb, 4> kNeutrals{
    {{0, 0, 0}, {204, 204, 0}, {255, 255, 255}, {119, 119, 119}}};

// Map-size ramp of each scheme, dark to light: a dark neutral, four shades the survey counts
// for the scheme, and a light neutral. Blue is dark to the luminance-weighted eye, so its
// shades lean on the lighter end.
constexpr std::array<std::array<Rgb, 6>, kSchemeCount> kMapRamps{{
    {{{0, 0, 102}, {0, 0, 153}, {0, 51, 204}, {0, 0, 255}, {102, 51, 255}, {153, 153, 255}}},
    {{{0, 102, 102},
      {0, 204, 153},
      {0, 204, 204},
      {0, 255, 255},
      {102, 255, 255},
      {204, 255, 255}}},
    {{{0, 102, 0}, {0, 204, 0}, {51, 204, 51}, {0, 255, 0}, {102, 255, 102}, {204, 255, 204}}},
    {{{102, 0, 102}, {153, 0, 153}, {204, 0, 204}, {255, 0, 255}, {255, 51, 255}, {255, 204, 255}}},
    {{{102, 51, 0}, {255, 102, 0}, {204, 153, 0}, {255, 153, 0}, {255, 153, 102}, {255, 204, 153}}},
    {{{102, 0, 0}, {153, 0, 0}, {204, 0, 0}, {255, 0, 0}, {255, 51, 51}, {255, 204, 204}}},
}};

int level(int i)
{
    return i * 51;
}

// The cube colours a scheme may use, in cube order (so ties in the snapping are stable).
const std::vector<Rgb>& allowedColours(int scheme)
{
    static const std::array<std::vector<Rgb>, kSchemeCount> lists = [] {
        std::array<std::vector<Rgb>, kSchemeCount> result;
        for (int s = 0; s < kSchemeCount; ++s)
            for (int r = 0; r < 6; ++r)
                for (int g = 0; g < 6; ++g)
                    for (int b = 0; b < 6; ++b) {
                        const Rgb c{level(r), level(g), level(b)};
                        if (allowedInScheme(c, s))
                            result[static_cast<std::size_t>(s)].push_back(c);
                    }
        return result;
    }();
    return lists[static_cast<std::size_t>(scheme)];
}

int distance2(Rgb a, Rgb b)
{
    const int dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
    return dr * dr + dg * dg + db * db;
}

} // namespace

Rgb swatch(int scheme)
{
    return kSwatches[static_cast<std::size_t>(scheme)];
}

Rgb fullColour(const Ink& value, int scheme)
{
    if (value.kind == Ink::Fixed)
        return value.colour;
    if (value.kind == Ink::Clear)
        return kBlack;
    // Every tinted character shares one ramp of kFullToneSteps + 1 shades per scheme: grain and
    // gentle gradients dither between neighbouring shades instead of adding colours.
    const Rgb s = swatch(scheme);
    const double t = posterise(value.tone, kFullToneSteps);
    if (t <= 0.6)
        return mix(kBlack, s, t / 0.6);
    return mix(s, kWhite, (t - 0.6) / 0.4 * 0.85);
}

Rgb mapColour(const Ink& value, int scheme)
{
    if (value.kind == Ink::Clear)
        return kBlack;
    if (value.kind == Ink::Tone) {
        const double t = value.tone;
        if (t < 0.05)
            return kBlack;
        const auto& ramp = kMapRamps[static_cast<std::size_t>(scheme)];
        static constexpr double kSteps[] = {0.25, 0.42, 0.55, 0.70, 0.86};
        int i = 0;
        while (i < 5 && t >= kSteps[i])
            ++i;
        return ramp[static_cast<std::size_t>(i)];
    }
    const std::vector<Rgb>& allowed = allowedColours(scheme);
    Rgb best = allowed.front();
    for (const Rgb& c : allowed)
        if (distance2(c, value.colour) < distance2(best, value.colour))
            best = c;
    return best;
}

Rgb cubeColour(Rgb colour)
{
    auto snap = [](int v) { return static_cast<int>(std::nearbyint(v / 51.0)) * 51; };
    return {snap(colour.r), snap(colour.g), snap(colour.b)};
}

int diff(Rgb a, Rgb b)
{
    const double dr = 0.299 * (b.r - a.r);
    const double dg = 0.587 * (b.g - a.g);
    const double db = 0.114 * (b.b - a.b);
    return 256 - static_cast<int>(std::nearbyint(std::sqrt(dr * dr + dg * dg + db * db)));
}

Rgb reference(int index)
{
    if (index < kSchemeCount)
        return kSwatches[static_cast<std::size_t>(index)];
    return kNeutrals[static_cast<std::size_t>(index - kSchemeCount)];
}

int nearestReference(Rgb colour)
{
    int best = 0;
    int bestDistance = 256 - diff(colour, reference(0));
    for (int i = 1; i < kReferenceCount; ++i) {
        const int d = 256 - diff(colour, reference(i));
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

bool allowedInScheme(Rgb colour, int scheme)
{
    const int nearest = nearestReference(colour);
    return nearest == scheme || nearest >= kSchemeCount;
}

int toRgb565(Rgb colour)
{
    return ((colour.r >> 3) << 11) | ((colour.g >> 2) << 5) | (colour.b >> 3);
}

Rgb fromRgb565(int value)
{
    const int r = (value >> 11) & 31, g = (value >> 5) & 63, b = value & 31;
    return {(r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2)};
}

} // namespace vt::art
