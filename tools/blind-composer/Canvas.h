// A picture the composer draws on: 32-bit pixels 0xAARRGGBB, integer drawing only, so that the
// same calls give the same pixels everywhere. Opaque canvases keep alpha 255; a layer (sprites,
// cursor, tooltip) starts transparent and is composited onto a scene afterwards, which is how
// the composer knows which map cells something was drawn over.
#pragma once

#include "Rng.h"

#include <QImage>

#include <cstdint>
#include <vector>

namespace blind {

using Colour = std::uint32_t;

constexpr Colour rgb(int r, int g, int b, int a = 255)
{
    return (static_cast<Colour>(a) << 24) | (static_cast<Colour>(r) << 16) |
           (static_cast<Colour>(g) << 8) | static_cast<Colour>(b);
}
constexpr int red(Colour c) { return static_cast<int>((c >> 16) & 0xff); }
constexpr int green(Colour c) { return static_cast<int>((c >> 8) & 0xff); }
constexpr int blue(Colour c) { return static_cast<int>(c & 0xff); }
constexpr int alpha(Colour c) { return static_cast<int>(c >> 24); }
constexpr Colour opaque(Colour c) { return c | 0xff000000u; }

// a + (b - a) * t / 256 per channel, t in 0..256; alpha from a.
Colour mix(Colour a, Colour b, int t);
// Scales the colour channels by k / 256.
Colour shade(Colour c, int k);
// Squared distance of the colour channels.
int distance2(Colour a, Colour b);
Colour randomColour(Rng& rng);
// A colour no darker than `minMax` in its strongest channel and at least `minDist` (Euclidean)
// away from each of `avoid` (the distance shrinks where the colours leave no room).
Colour colourAvoiding(Rng& rng, int minMax, const std::vector<Colour>& avoid, int minDist);

class Canvas
{
public:
    Canvas() = default;
    Canvas(int w, int h, Colour fill);

    int width() const { return w_; }
    int height() const { return h_; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < w_ && y < h_; }
    Colour at(int x, int y) const { return px_[static_cast<std::size_t>(y) * w_ + x]; }
    void set(int x, int y, Colour c)
    {
        if (contains(x, y))
            px_[static_cast<std::size_t>(y) * w_ + x] = c;
    }
    // Alpha-blends c over the pixel (c's alpha; the pixel keeps its own alpha unless c is
    // drawn on a transparent pixel).
    void blend(int x, int y, Colour c);

    void fillRect(int x, int y, int w, int h, Colour c);
    void blendRect(int x, int y, int w, int h, Colour c); // c's alpha
    void frameRect(int x, int y, int w, int h, Colour c, int thickness = 1);
    void hline(int x, int y, int len, Colour c) { fillRect(x, y, len, 1, c); }
    void vline(int x, int y, int len, Colour c) { fillRect(x, y, 1, len, c); }
    void line(int x0, int y0, int x1, int y1, Colour c);
    void fillEllipse(int x, int y, int w, int h, Colour c); // within the box x, y, w, h
    void fillRoundRect(int x, int y, int w, int h, int r, Colour c);
    // Fills with a gradient from c0 to c1, top to bottom or left to right.
    void gradientRect(int x, int y, int w, int h, Colour c0, Colour c1, bool vertical);
    // Adds noise of +-amp to every channel.
    void noiseRect(int x, int y, int w, int h, int amp, Rng& rng);
    // Fills a polygon (even-odd, pixel centres); points in pixels.
    void fillPolygon(const std::vector<int>& xs, const std::vector<int>& ys, Colour c);
    // A line of pseudo text: glyphs of random dots on a 3..5 x 5..7 grid, scaled, with word
    // gaps, up to `width` pixels; returns the width used.
    int text(Rng& rng, int x, int y, int width, int scale, Colour c);

    void blit(const Canvas& src, int x, int y);      // opaque copy
    void composite(const Canvas& layer, int x, int y); // alpha blend
    void blitImage(const QImage& img, int x, int y); // any format, alpha ignored
    // The part (x, y, w, h); pixels outside this canvas become `outside`.
    Canvas crop(int x, int y, int w, int h, Colour outside) const;

    QImage toImage() const; // RGB32
    static Canvas fromImage(const QImage& img);

    const std::vector<Colour>& pixels() const { return px_; }

private:
    int w_ = 0, h_ = 0;
    std::vector<Colour> px_;
};

} // namespace blind
