#include "Overlays.h"

#include <algorithm>

namespace blind {

const char* overlayName(Overlay o)
{
    switch (o) {
    case Overlay::Sprite: return "sprite";
    case Overlay::Cursor: return "cursor";
    case Overlay::Tooltip: return "tooltip";
    case Overlay::GreyBox: return "grey box";
    case Overlay::SeeThrough: return "see-through rectangle";
    }
    return "?";
}

namespace {

void drawCreature(Canvas& c, Rng& rng, int x, int y, int w, int h)
{
    const Colour body = rgb(rng.range(60, 255), rng.range(60, 255), rng.range(60, 255));
    switch (rng.below(3)) {
    case 0: // a round beast with legs
        for (int i = 0; i < 4; ++i)
            c.line(x + w / 5 + i * w / 5, y + h * 2 / 3, x + w / 8 + i * w / 4, y + h - 1, shade(body, 150));
        c.fillEllipse(x, y, w, h * 3 / 4, body);
        break;
    case 1: // a ghost
        c.fillRoundRect(x, y, w, h, w / 2, body);
        for (int i = 0; i < 3; ++i)
            c.fillEllipse(x + i * w / 3, y + h - h / 4, w / 3, h / 4, shade(body, 170));
        break;
    default: { // a spiky star
        const int cx = x + w / 2, cy = y + h / 2;
        std::vector<int> xs, ys;
        const int dx[] = {0, 3, 10, 4, 6, 0, -6, -4, -10, -3};
        const int dy[] = {-10, -3, -3, 2, 10, 5, 10, 2, -3, -3};
        for (int i = 0; i < 10; ++i) {
            xs.push_back(cx + dx[i] * w / 20);
            ys.push_back(cy + dy[i] * h / 20);
        }
        c.fillPolygon(xs, ys, body);
        break;
    }
    }
    // Eyes.
    const int e = std::max(2, w / 6);
    for (int i = 0; i < 2; ++i) {
        const int ex = x + w / 4 + i * w / 3, ey = y + h / 4;
        c.fillEllipse(ex, ey, e + 1, e + 1, rgb(255, 255, 255));
        c.set(ex + e / 2, ey + e / 2, rgb(0, 0, 0));
    }
}

void drawArrow(Canvas& c, int x, int y, int s)
{
    const int ax[] = {0, 0, 4, 7, 9, 6, 11};
    const int ay[] = {0, 16, 12, 18, 17, 11, 11};
    std::vector<int> xs, ys, xi, yi;
    for (int i = 0; i < 7; ++i) {
        xs.push_back(x + ax[i] * s);
        ys.push_back(y + ay[i] * s);
    }
    // Outline: the shape grown by one pixel in black, then the white body.
    for (int oy = -1; oy <= 1; ++oy)
        for (int ox = -1; ox <= 1; ++ox) {
            std::vector<int> sx = xs, sy = ys;
            for (auto& v : sx)
                v += ox;
            for (auto& v : sy)
                v += oy;
            c.fillPolygon(sx, sy, rgb(0, 0, 0));
        }
    c.fillPolygon(xs, ys, rgb(255, 255, 255));
}

void drawHand(Canvas& c, Rng& rng, int x, int y, int s)
{
    const Colour skin = rng.chance(500) ? rgb(255, 255, 255) : rgb(250, 220, 180);
    c.fillRoundRect(x, y + 8 * s, 14 * s, 12 * s, 3 * s, rgb(0, 0, 0));
    c.fillRoundRect(x + 1, y + 8 * s + 1, 14 * s - 2, 12 * s - 2, 3 * s, skin);
    c.fillRoundRect(x + 4 * s, y, 4 * s, 12 * s, 2 * s, rgb(0, 0, 0));
    c.fillRoundRect(x + 4 * s + 1, y + 1, 4 * s - 2, 12 * s - 1, 2 * s, skin);
}

} // namespace

std::string drawOverlay(Canvas& layer, Rng& rng, Overlay kind, int x, int y, int size)
{
    switch (kind) {
    case Overlay::Sprite: {
        const int w = rng.range(std::max(8, size / 2), std::max(8, size));
        const int h = rng.range(std::max(8, size / 2), std::max(8, size));
        drawCreature(layer, rng, x, y, w, h);
        return "sprite " + std::to_string(w) + "x" + std::to_string(h);
    }
    case Overlay::Cursor: {
        const int s = rng.chance(750) ? 1 : 2;
        if (rng.chance(700)) {
            drawArrow(layer, x, y, s);
            return "arrow cursor x" + std::to_string(s);
        }
        drawHand(layer, rng, x, y, s);
        return "hand cursor x" + std::to_string(s);
    }
    case Overlay::Tooltip: {
        const int w = rng.range(50, std::max(50, std::min(260, size * 2))), h = rng.range(18, 26);
        const Colour ground = rng.chance(500) ? rgb(255, 255, 225) : rgb(rng.range(30, 70), rng.range(30, 70), rng.range(30, 70));
        layer.fillRect(x, y, w, h, ground);
        layer.frameRect(x, y, w, h, rgb(rng.range(60, 140), rng.range(60, 140), rng.range(60, 140)));
        const int lum = red(ground) + green(ground);
        layer.text(rng, x + 5, y + (h - 7) / 2, w - 10, 1, lum > 200 ? rgb(0, 0, 0) : rgb(240, 240, 240));
        return "tooltip " + std::to_string(w) + "x" + std::to_string(h);
    }
    case Overlay::GreyBox: {
        const int w = rng.range(std::max(16, size / 2), std::max(16, size)), h = rng.range(std::max(15, size / 2), std::max(15, size));
        const int g = rng.range(100, 220);
        layer.fillRect(x, y, w, h, rgb(g, g, g));
        if (rng.chance(500))
            layer.frameRect(x, y, w, h, rgb(g / 2, g / 2, g / 2));
        if (w > 30 && rng.chance(500))
            layer.text(rng, x + 6, y + 6, w - 12, 1, rgb(20, 20, 20));
        return "grey box " + std::to_string(w) + "x" + std::to_string(h);
    }
    case Overlay::SeeThrough: {
        const int w = rng.range(std::max(16, size / 2), std::max(16, size)), h = rng.range(std::max(15, size / 2), std::max(15, size));
        const int a = rng.range(60, 190);
        const Colour c = randomColour(rng) & 0x00ffffffu;
        layer.fillRect(x, y, w, h, c | (static_cast<Colour>(a) << 24));
        if (rng.chance(600))
            layer.frameRect(x, y, w, h, opaque(c));
        return "see-through " + std::to_string(w) + "x" + std::to_string(h) + " alpha " + std::to_string(a);
    }
    }
    return {};
}

Canvas cellSprite(Rng& rng, const Art& art)
{
    for (;;) {
        Canvas c(kCellW, kCellH, rgb(0, 0, 0));
        if (rng.chance(400))
            c.fillRect(0, 0, kCellW, kCellH, rgb(rng.range(0, 90), rng.range(0, 90), rng.range(0, 90)));
        drawCreature(c, rng, rng.range(0, 2), rng.range(0, 2), rng.range(12, 16), rng.range(11, 15));
        // Make every pixel opaque: the transparent feet of the ghost become the ground.
        Canvas out(kCellW, kCellH, rgb(0, 0, 0));
        for (int y = 0; y < kCellH; ++y)
            for (int x = 0; x < kCellW; ++x)
                out.set(x, y, opaque(c.at(x, y)));
        bool distinct = true;
        for (const Canvas& ch : art.characters) {
            int same = 0;
            for (int y = 0; y < kCellH; ++y)
                for (int x = 0; x < kCellW; ++x)
                    same += distance2(out.at(x, y), ch.at(x, y)) < 60 * 60;
            distinct = distinct && same * 10 < kCellW * kCellH * 6; // under 60 % alike
        }
        if (distinct)
            return out;
    }
}

} // namespace blind
