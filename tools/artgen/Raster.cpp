#include "Raster.h"

#include <algorithm>
#include <cmath>

namespace vt::art {

namespace {

int channel(double value)
{
    return std::clamp(static_cast<int>(std::nearbyint(value)), 0, 255);
}

double smooth(double t)
{
    return t * t * (3.0 - 2.0 * t);
}

} // namespace

Rgb mix(Rgb a, Rgb b, double t)
{
    return {channel(a.r + (b.r - a.r) * t), channel(a.g + (b.g - a.g) * t),
            channel(a.b + (b.b - a.b) * t)};
}

double posterise(double t, int steps)
{
    return std::nearbyint(std::clamp(t, 0.0, 1.0) * steps) / steps;
}

Rgb mixSteps(Rgb a, Rgb b, double t, int steps)
{
    return mix(a, b, posterise(t, steps));
}

double posterise(double t, int steps, int x, int y)
{
    static constexpr int kBayer[4][4] = {
        {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    const double offset = (kBayer[y & 3][x & 3] + 0.5) / 16.0 - 0.5;
    return posterise(t + offset / steps, steps);
}

Tile::Tile(int width, int height, const Ink& background)
    : m_width(width), m_height(height),
      m_pixels(static_cast<std::size_t>(width * height), background)
{}

int Tile::column(double u) const
{
    return static_cast<int>(std::floor(u * m_width / 64.0 + 0.5));
}

int Tile::row(double v) const
{
    return static_cast<int>(std::floor(v * m_height / 64.0 + 0.5));
}

void Tile::fill(const Ink& value)
{
    std::fill(m_pixels.begin(), m_pixels.end(), value);
}

void Tile::rect(int x0, int y0, int x1, int y1, const Ink& value)
{
    for (int y = std::max(y0, 0); y < std::min(y1, m_height); ++y)
        for (int x = std::max(x0, 0); x < std::min(x1, m_width); ++x)
            at(x, y) = value;
}

void Tile::area(double u0, double v0, double u1, double v1, const Ink& value)
{
    rect(column(u0), row(v0), column(u1), row(v1), value);
}

void Tile::paint(const Shader& shader)
{
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            if (const std::optional<Ink> value = shader(u(x), v(y)))
                at(x, y) = *value;
}

void Tile::paint(const PixelShader& shader)
{
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            if (const std::optional<Ink> value = shader(x, y, u(x), v(y)))
                at(x, y) = *value;
}

void Tile::place(const Tile& other, int x, int y)
{
    for (int oy = 0; oy < other.height(); ++oy)
        for (int ox = 0; ox < other.width(); ++ox)
            if (other.at(ox, oy).kind != Ink::Clear)
                set(x + ox, y + oy, other.at(ox, oy));
}

bool inEllipse(double u, double v, double cu, double cv, double ru, double rv)
{
    const double du = (u - cu) / ru;
    const double dv = (v - cv) / rv;
    return du * du + dv * dv <= 1.0;
}

bool inRoundRect(double u, double v, double u0, double v0, double u1, double v1, double radius)
{
    if (u < u0 || u > u1 || v < v0 || v > v1)
        return false;
    const double cu = std::clamp(u, u0 + radius, u1 - radius);
    const double cv = std::clamp(v, v0 + radius, v1 - radius);
    const double du = u - cu;
    const double dv = v - cv;
    return du * du + dv * dv <= radius * radius;
}

bool inPolygon(double u, double v, const std::vector<std::pair<double, double>>& points)
{
    bool in = false;
    const std::size_t n = points.size();
    for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
        const auto [ui, vi] = points[i];
        const auto [uj, vj] = points[j];
        if ((vi > v) != (vj > v) && u < (uj - ui) * (v - vi) / (vj - vi) + ui)
            in = !in;
    }
    return in;
}

double segmentDistance(double u, double v, double u0, double v0, double u1, double v1)
{
    const double du = u1 - u0;
    const double dv = v1 - v0;
    const double length2 = du * du + dv * dv;
    double t = length2 > 0 ? ((u - u0) * du + (v - v0) * dv) / length2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    const double pu = u0 + t * du - u;
    const double pv = v0 + t * dv - v;
    return std::sqrt(pu * pu + pv * pv);
}

std::uint32_t hash3(int x, int y, std::uint32_t seed)
{
    std::uint32_t h = seed * 0x9E3779B1u;
    h ^= static_cast<std::uint32_t>(x) * 0x85EBCA77u;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<std::uint32_t>(y) * 0xC2B2AE3Du;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

double hashUnit(int x, int y, std::uint32_t seed)
{
    return (hash3(x, y, seed) >> 8) / 16777216.0;
}

double valueNoise(double u, double v, double cell, std::uint32_t seed)
{
    const double gu = u / cell;
    const double gv = v / cell;
    const int iu = static_cast<int>(std::floor(gu));
    const int iv = static_cast<int>(std::floor(gv));
    const double fu = smooth(gu - iu);
    const double fv = smooth(gv - iv);
    const double a = hashUnit(iu, iv, seed);
    const double b = hashUnit(iu + 1, iv, seed);
    const double c = hashUnit(iu, iv + 1, seed);
    const double d = hashUnit(iu + 1, iv + 1, seed);
    const double top = a + (b - a) * fu;
    const double bottom = c + (d - c) * fu;
    return top + (bottom - top) * fv;
}

std::uint64_t Random::next()
{
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Random::unit()
{
    return (next() >> 11) * (1.0 / 9007199254740992.0);
}

double Random::range(double lo, double hi)
{
    return lo + (hi - lo) * unit();
}

int Random::below(int n)
{
    return static_cast<int>(next() % static_cast<std::uint64_t>(n));
}

} // namespace vt::art
