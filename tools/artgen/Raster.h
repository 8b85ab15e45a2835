// The drawing surface of the art generator. Pictures are computed pixel by pixel from shapes
// given in tile units (0 to 64 across and down, whatever the pixel size), so one description
// draws a character at 64 x 64 and at 16 x 15. Only +, -, *, / and sqrt are used on
// coordinates, which IEEE arithmetic makes exact to the bit on every machine.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace vt::art {

struct Rgb
{
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};

// a + (b - a) * t per component, to the nearest integer, within 0 to 255.
Rgb mix(Rgb a, Rgb b, double t);

// t (clamped to 0 to 1) snapped to the nearest of steps + 1 evenly spaced levels. The full-size
// art shades in such steps rather than smoothly, so an atlas and the puzzle piece together keep
// within the 256 colours a GIF of a converted map holds exactly.
double posterise(double t, int steps);
// mix(a, b, posterise(t, steps)).
Rgb mixSteps(Rgb a, Rgb b, double t, int steps);
// posterise() with pixel (x, y)'s offset in a 4 x 4 ordered dither: the bands of a smooth
// gradient become an even stipple between two neighbouring levels (no level is added, and t = 0
// stays 0).
double posterise(double t, int steps, int x, int y);

// One pixel as drawn: a fixed colour, a tone of the colour scheme's ramp (0 black, 0.6 the
// swatch, 1 white), or nothing (transparent, for the window pictures).
struct Ink
{
    enum Kind
    {
        Fixed,
        Tone,
        Clear
    } kind = Fixed;
    double tone = 0;
    Rgb colour;
};

inline Ink ink(Rgb colour)
{
    return {Ink::Fixed, 0, colour};
}
inline Ink ink(int r, int g, int b)
{
    return {Ink::Fixed, 0, {r, g, b}};
}
inline Ink tone(double t)
{
    return {Ink::Tone, t, {}};
}
inline Ink clearInk()
{
    return {Ink::Clear, 0, {}};
}

class Tile
{
public:
    Tile(int width, int height, const Ink& background = ink(kBlack));

    int width() const { return m_width; }
    int height() const { return m_height; }
    // A map-size cell: fine detail is drawn with single pixels there.
    bool small() const { return m_width <= 16; }

    // Unit coordinates of a pixel's centre, and the width of one pixel in units.
    double u(int x) const { return (x + 0.5) * 64.0 / m_width; }
    double v(int y) const { return (y + 0.5) * 64.0 / m_height; }
    double pixelU() const { return 64.0 / m_width; }
    double pixelV() const { return 64.0 / m_height; }
    // The pixel edge nearest to a unit coordinate.
    int column(double u) const;
    int row(double v) const;

    Ink& at(int x, int y) { return m_pixels[static_cast<std::size_t>(y * m_width + x)]; }
    const Ink& at(int x, int y) const
    {
        return m_pixels[static_cast<std::size_t>(y * m_width + x)];
    }
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }
    void set(int x, int y, const Ink& value)
    {
        if (inside(x, y))
            at(x, y) = value;
    }

    void fill(const Ink& value);
    // Pixels x0 <= x < x1, y0 <= y < y1, clipped.
    void rect(int x0, int y0, int x1, int y1, const Ink& value);
    // The pixels between the edges nearest to the unit coordinates.
    void area(double u0, double v0, double u1, double v1, const Ink& value);

    using Shader = std::function<std::optional<Ink>(double u, double v)>;
    using PixelShader = std::function<std::optional<Ink>(int x, int y, double u, double v)>;
    // Every pixel whose shader gives an ink takes it.
    void paint(const Shader& shader);
    void paint(const PixelShader& shader);

    // The pixels of `other` drawn at (x, y); clear pixels leave what is below.
    void place(const Tile& other, int x, int y);

private:
    int m_width;
    int m_height;
    std::vector<Ink> m_pixels;
};

// Shapes in unit coordinates.
bool inEllipse(double u, double v, double cu, double cv, double ru, double rv);
bool inRoundRect(double u, double v, double u0, double v0, double u1, double v1, double radius);
bool inPolygon(double u, double v, const std::vector<std::pair<double, double>>& points);
double segmentDistance(double u, double v, double u0, double v0, double u1, double v1);

// Deterministic noise: a hash of integer coordinates, and smooth value noise over a grid of
// `cell` units, both in [0, 1).
std::uint32_t hash3(int x, int y, std::uint32_t seed);
double hashUnit(int x, int y, std::uint32_t seed);
double valueNoise(double u, double v, double cell, std::uint32_t seed);

// A small fixed-seed generator of our own (splitmix64), the same on every standard library.
class Random
{
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next();
    double unit(); // [0, 1)
    double range(double lo, double hi);
    int below(int n); // 0 to n - 1

private:
    std::uint64_t m_state;
};

} // namespace vt::art
