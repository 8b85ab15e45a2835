#include "Canvas.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace blind {

namespace {
int clamp255(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }
} // namespace

Colour mix(Colour a, Colour b, int t)
{
    auto ch = [t](int x, int y) { return x + ((y - x) * t) / 256; };
    return rgb(ch(red(a), red(b)), ch(green(a), green(b)), ch(blue(a), blue(b)), alpha(a));
}

Colour shade(Colour c, int k)
{
    return rgb(clamp255(red(c) * k / 256), clamp255(green(c) * k / 256),
               clamp255(blue(c) * k / 256), alpha(c));
}

int distance2(Colour a, Colour b)
{
    const int dr = red(a) - red(b), dg = green(a) - green(b), db = blue(a) - blue(b);
    return dr * dr + dg * dg + db * db;
}

Colour randomColour(Rng& rng)
{
    return rgb(rng.range(0, 255), rng.range(0, 255), rng.range(0, 255));
}

Colour colourAvoiding(Rng& rng, int minMax, const std::vector<Colour>& avoid, int minDist)
{
    // Where the colours to avoid leave no room, the distance asked for shrinks bit by bit.
    for (int attempt = 0;; ++attempt) {
        const int dist = std::max(0, minDist - attempt / 500 * 10);
        const Colour c = randomColour(rng);
        if (std::max({red(c), green(c), blue(c)}) < minMax)
            continue;
        bool ok = true;
        for (Colour a : avoid)
            ok = ok && distance2(a, c) >= dist * dist;
        if (ok)
            return c;
    }
}

Canvas::Canvas(int w, int h, Colour fill)
    : w_(w), h_(h), px_(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), fill)
{
}

void Canvas::blend(int x, int y, Colour c)
{
    if (!contains(x, y))
        return;
    Colour& p = px_[static_cast<std::size_t>(y) * w_ + x];
    const int a = alpha(c);
    if (a == 255 || alpha(p) == 0) {
        p = c;
        return;
    }
    p = mix(p, c | 0xff000000u, a + (a >> 7)); // 255 -> 256
}

void Canvas::fillRect(int x, int y, int w, int h, Colour c)
{
    const int x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int x1 = std::min(x + w, w_), y1 = std::min(y + h, h_);
    for (int yy = y0; yy < y1; ++yy)
        std::fill(px_.begin() + static_cast<std::ptrdiff_t>(yy) * w_ + x0,
                  px_.begin() + static_cast<std::ptrdiff_t>(yy) * w_ + x1, c);
}

void Canvas::blendRect(int x, int y, int w, int h, Colour c)
{
    for (int yy = std::max(y, 0); yy < std::min(y + h, h_); ++yy)
        for (int xx = std::max(x, 0); xx < std::min(x + w, w_); ++xx)
            blend(xx, yy, c);
}

void Canvas::frameRect(int x, int y, int w, int h, Colour c, int t)
{
    fillRect(x, y, w, t, c);
    fillRect(x, y + h - t, w, t, c);
    fillRect(x, y, t, h, c);
    fillRect(x + w - t, y, t, h, c);
}

void Canvas::line(int x0, int y0, int x1, int y1, Colour c)
{
    const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        blend(x0, y0, c);
        if (x0 == x1 && y0 == y1)
            break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void Canvas::fillEllipse(int x, int y, int w, int h, Colour c)
{
    // Pixel centres in doubled coordinates: inside when ((2px+1-2cx)/w)^2 + (...)^2 <= 1.
    const std::int64_t cx2 = 2 * static_cast<std::int64_t>(x) + w;
    const std::int64_t cy2 = 2 * static_cast<std::int64_t>(y) + h;
    const std::int64_t ww = static_cast<std::int64_t>(w) * w, hh = static_cast<std::int64_t>(h) * h;
    for (int yy = y; yy < y + h; ++yy)
        for (int xx = x; xx < x + w; ++xx) {
            const std::int64_t dx = 2 * xx + 1 - cx2, dy = 2 * yy + 1 - cy2;
            if (dx * dx * hh + dy * dy * ww <= ww * hh)
                blend(xx, yy, c);
        }
}

void Canvas::fillRoundRect(int x, int y, int w, int h, int r, Colour c)
{
    r = std::min({r, w / 2, h / 2});
    if (r <= 0) {
        fillRect(x, y, w, h, c);
        return;
    }
    fillRect(x + r, y, w - 2 * r, h, c);
    fillRect(x, y + r, r, h - 2 * r, c);
    fillRect(x + w - r, y + r, r, h - 2 * r, c);
    const std::int64_t rr = static_cast<std::int64_t>(2 * r) * (2 * r);
    for (int dy = 0; dy < r; ++dy)
        for (int dx = 0; dx < r; ++dx) {
            const std::int64_t ex = 2 * (r - dx) - 1, ey = 2 * (r - dy) - 1;
            if (ex * ex + ey * ey > rr)
                continue;
            blend(x + dx, y + dy, c);
            blend(x + w - 1 - dx, y + dy, c);
            blend(x + dx, y + h - 1 - dy, c);
            blend(x + w - 1 - dx, y + h - 1 - dy, c);
        }
}

void Canvas::gradientRect(int x, int y, int w, int h, Colour c0, Colour c1, bool vertical)
{
    const int n = std::max(1, (vertical ? h : w) - 1);
    for (int i = 0; i < (vertical ? h : w); ++i) {
        const Colour c = mix(c0, c1, i * 256 / n);
        if (vertical)
            fillRect(x, y + i, w, 1, c);
        else
            fillRect(x + i, y, 1, h, c);
    }
}

void Canvas::noiseRect(int x, int y, int w, int h, int amp, Rng& rng)
{
    for (int yy = std::max(y, 0); yy < std::min(y + h, h_); ++yy)
        for (int xx = std::max(x, 0); xx < std::min(x + w, w_); ++xx) {
            Colour& p = px_[static_cast<std::size_t>(yy) * w_ + xx];
            const int d = rng.range(-amp, amp);
            p = rgb(clamp255(red(p) + d), clamp255(green(p) + d), clamp255(blue(p) + d),
                    alpha(p));
        }
}

void Canvas::fillPolygon(const std::vector<int>& xs, const std::vector<int>& ys, Colour c)
{
    const std::size_t n = xs.size();
    const int top = *std::min_element(ys.begin(), ys.end());
    const int bottom = *std::max_element(ys.begin(), ys.end());
    std::vector<std::int64_t> cross; // crossings in 1/256 pixel
    for (int y = top; y < bottom; ++y) {
        cross.clear();
        const std::int64_t yc2 = 2 * static_cast<std::int64_t>(y) + 1;
        for (std::size_t i = 0; i < n; ++i) {
            const std::int64_t x0 = xs[i], y0 = ys[i];
            const std::int64_t x1 = xs[(i + 1) % n], y1 = ys[(i + 1) % n];
            if ((2 * y0 <= yc2) == (2 * y1 <= yc2))
                continue;
            const std::int64_t num = (2 * x0 * (y1 - y0) + (yc2 - 2 * y0) * (x1 - x0)) * 256;
            const std::int64_t den = 2 * (y1 - y0);
            std::int64_t q = num / den;
            if ((num % den != 0) && ((num < 0) != (den < 0)))
                --q;
            cross.push_back(q);
        }
        std::sort(cross.begin(), cross.end());
        for (std::size_t i = 0; i + 1 < cross.size(); i += 2)
            for (int x = static_cast<int>(cross[i] / 256) - 1; x <= cross[i + 1] / 256 + 1; ++x) {
                const std::int64_t centre = x * 256 + 128;
                if (centre >= cross[i] && centre < cross[i + 1])
                    blend(x, y, c);
            }
    }
}

int Canvas::text(Rng& rng, int x, int y, int width, int scale, Colour c)
{
    const int gw = rng.range(3, 5), gh = rng.range(5, 7);
    int cx = x;
    int wordLeft = rng.range(2, 9);
    while (cx + gw * scale <= x + width) {
        if (wordLeft-- == 0) {
            cx += (gw - 1) * scale;
            wordLeft = rng.range(2, 9);
            continue;
        }
        // Each glyph: a random pattern with at least a stroke per row, like a letter's.
        for (int gy = 0; gy < gh; ++gy) {
            const int bits = rng.range(1, (1 << gw) - 1);
            for (int gx = 0; gx < gw; ++gx)
                if ((bits >> gx) & 1)
                    for (int sy = 0; sy < scale; ++sy)
                        for (int sx = 0; sx < scale; ++sx)
                            blend(cx + gx * scale + sx, y + gy * scale + sy, c);
        }
        cx += (gw + 1) * scale;
    }
    return cx - x;
}

void Canvas::blit(const Canvas& src, int x, int y)
{
    for (int yy = 0; yy < src.height(); ++yy) {
        const int ty = y + yy;
        if (ty < 0 || ty >= h_)
            continue;
        for (int xx = 0; xx < src.width(); ++xx)
            set(x + xx, ty, src.at(xx, yy));
    }
}

void Canvas::composite(const Canvas& layer, int x, int y)
{
    for (int yy = 0; yy < layer.height(); ++yy)
        for (int xx = 0; xx < layer.width(); ++xx) {
            const Colour c = layer.at(xx, yy);
            if (alpha(c) != 0)
                blend(x + xx, y + yy, c);
        }
}

void Canvas::blitImage(const QImage& img, int x, int y)
{
    const QImage rgbImg = img.convertToFormat(QImage::Format_RGB32);
    for (int yy = 0; yy < rgbImg.height(); ++yy) {
        const auto* line = reinterpret_cast<const QRgb*>(rgbImg.constScanLine(yy));
        for (int xx = 0; xx < rgbImg.width(); ++xx)
            set(x + xx, y + yy, opaque(line[xx]));
    }
}

Canvas Canvas::crop(int x, int y, int w, int h, Colour outside) const
{
    Canvas out(w, h, outside);
    for (int yy = 0; yy < h; ++yy)
        for (int xx = 0; xx < w; ++xx)
            if (contains(x + xx, y + yy))
                out.px_[static_cast<std::size_t>(yy) * w + xx] = at(x + xx, y + yy);
    return out;
}

QImage Canvas::toImage() const
{
    QImage img(w_, h_, QImage::Format_RGB32);
    for (int y = 0; y < h_; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w_; ++x)
            line[x] = opaque(at(x, y));
    }
    return img;
}

Canvas Canvas::fromImage(const QImage& img)
{
    Canvas out(img.width(), img.height(), rgb(0, 0, 0));
    out.blitImage(img, 0, 0);
    return out;
}

} // namespace blind
