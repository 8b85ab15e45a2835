// Other programs' windows, the desktop and textures: everything of a capture that is not the
// game's.
#include "Scenery.h"

#include <algorithm>

namespace blind {

namespace {

Colour textOn(Rng& rng, Colour ground)
{
    const int lum = (red(ground) * 3 + green(ground) * 6 + blue(ground)) / 10;
    return lum > 120 ? rgb(rng.range(0, 80), rng.range(0, 80), rng.range(0, 80))
                     : rgb(rng.range(180, 255), rng.range(180, 255), rng.range(180, 255));
}

// A small picture: a rounded square with shapes on it.
void drawIcon(Canvas& c, Rng& rng, int x, int y, int s)
{
    c.fillRoundRect(x, y, s, s, s / 5, randomColour(rng));
    for (int i = rng.range(1, 3); i > 0; --i) {
        const int w = rng.range(s / 4, s * 3 / 4), h = rng.range(s / 4, s * 3 / 4);
        const int px = x + rng.range(0, s - w), py = y + rng.range(0, s - h);
        if (rng.chance(500))
            c.fillEllipse(px, py, w, h, randomColour(rng));
        else
            c.fillRect(px, py, w, h, randomColour(rng));
    }
}

void drawContents(Canvas& c, Rng& rng, int x, int y, int w, int h)
{
    switch (rng.below(5)) {
    case 0: { // a document
        const Colour paper = rng.chance(700) ? rgb(255, 255, 255) : rgb(rng.range(200, 255), rng.range(200, 255), rng.range(200, 255));
        c.fillRect(x, y, w, h, paper);
        const int scale = rng.chance(800) ? 1 : 2;
        for (int ty = y + 8; ty + 8 * scale < y + h; ty += rng.range(10, 14) * scale)
            c.text(rng, x + 10, ty, rng.range(w / 3, std::max(w / 3, w - 20)), scale, textOn(rng, paper));
        break;
    }
    case 1: { // a list
        const Colour a = randomColour(rng), b = mix(a, rgb(255, 255, 255), 40);
        const int row = rng.range(16, 26);
        for (int i = 0; y + i * row < y + h; ++i) {
            const Colour g = i % 2 ? a : b;
            c.fillRect(x, y + i * row, w, std::min(row, y + h - (y + i * row)), g);
            if (y + i * row + row <= y + h) {
                drawIcon(c, rng, x + 4, y + i * row + 2, row - 4);
                c.text(rng, x + row + 6, y + i * row + (row - 7) / 2, rng.range(40, std::max(40, w - row - 20)), 1, textOn(rng, g));
            }
        }
        break;
    }
    case 2: { // a picture
        c.gradientRect(x, y, w, h, randomColour(rng), randomColour(rng), rng.chance(500));
        for (int i = rng.range(2, 12); i > 0; --i) {
            const int ew = rng.range(10, std::max(11, w / 2)), eh = rng.range(10, std::max(11, h / 2));
            const Colour col = randomColour(rng) & 0x00ffffffu;
            c.fillEllipse(x + rng.range(-ew / 2, w - ew / 2), y + rng.range(-eh / 2, h - eh / 2), ew, eh,
                          col | (static_cast<Colour>(rng.range(80, 255)) << 24));
        }
        // Keep inside the window: repaint what spilled is not needed, the caller's frame covers.
        break;
    }
    case 3: { // source code on a dark ground
        const Colour ground = rgb(rng.range(32, 60), rng.range(32, 60), rng.range(32, 70)); // dark, not black
        c.fillRect(x, y, w, h, ground);
        for (int ty = y + 6; ty + 8 < y + h; ty += 13) {
            int tx = x + 8 + rng.range(0, 4) * 16;
            for (int k = rng.range(1, 4); k > 0 && tx < x + w - 20; --k)
                tx += c.text(rng, tx, ty, rng.range(20, 120), 1, rgb(rng.range(100, 255), rng.range(100, 255), rng.range(100, 255))) + 8;
        }
        break;
    }
    default: { // a table
        const Colour paper = rgb(250, 250, 250), gridC = rgb(rng.range(160, 220), rng.range(160, 220), rng.range(160, 220));
        c.fillRect(x, y, w, h, paper);
        const int cw = rng.range(50, 110), ch = rng.range(18, 24);
        for (int gy = y; gy < y + h; gy += ch)
            c.hline(x, gy, w, gridC);
        for (int gx = x; gx < x + w; gx += cw)
            c.vline(gx, y, h, gridC);
        for (int gy = y + ch; gy + ch < y + h; gy += ch)
            for (int gx = x; gx + cw < x + w; gx += cw)
                if (rng.chance(600))
                    c.text(rng, gx + 4, gy + (ch - 7) / 2, cw - 8, 1, textOn(rng, paper));
        break;
    }
    }
}

} // namespace

void drawOtherWindow(Canvas& canvas, Rng& rng, int x, int y, int w, int h)
{
    Canvas win(w, h, rgb(230, 230, 230));
    const int border = rng.range(1, 6), title = rng.range(20, 34);
    const Colour frame = randomColour(rng);
    win.frameRect(0, 0, w, h, frame, border);
    const Colour t0 = randomColour(rng);
    win.gradientRect(border, border, w - 2 * border, title, t0, rng.chance(400) ? randomColour(rng) : t0, false);
    win.text(rng, border + 8, border + (title - 7) / 2, std::min(w / 2, 300), 1, textOn(rng, t0));
    for (int i = 0; i < 3; ++i)
        win.frameRect(w - border - (i + 1) * (title + 6) + 4, border + 5, title - 6, title - 10, textOn(rng, t0));
    int top = border + title;
    if (rng.chance(600)) {
        const Colour bar = randomColour(rng);
        win.fillRect(border, top, w - 2 * border, 22, bar);
        for (int bx = border + 6; bx + 40 < w; bx += rng.range(40, 70))
            win.text(rng, bx, top + 7, rng.range(20, 36), 1, textOn(rng, bar));
        top += 22;
    }
    if (h - top - border > 4 && w - 2 * border > 4)
        drawContents(win, rng, border, top, w - 2 * border, h - top - border);
    win.frameRect(0, 0, w, h, frame, border);
    canvas.blit(win, x, y);
}

Canvas makeDesktop(Rng& rng, int w, int h, Detail& d, int free[4])
{
    Canvas desk(w, h, rgb(0, 0, 0));
    const int paper = static_cast<int>(rng.below(4));
    const Colour a = randomColour(rng), b = randomColour(rng);
    static const char* papers[] = {"gradient", "noisy gradient", "blobs", "stripes"};
    switch (paper) {
    case 0: desk.gradientRect(0, 0, w, h, a, b, rng.chance(600)); break;
    case 1: {
        desk.gradientRect(0, 0, w, h, a, b, true);
        Rng noise = rng.fork();
        desk.noiseRect(0, 0, w, h, rng.range(3, 20), noise);
        break;
    }
    case 2:
        desk.gradientRect(0, 0, w, h, a, b, false);
        for (int i = rng.range(6, 40); i > 0; --i) {
            const int ew = rng.range(w / 20, w / 3), eh = rng.range(h / 20, h / 3);
            desk.fillEllipse(rng.range(-ew / 2, w - ew / 2), rng.range(-eh / 2, h - eh / 2), ew, eh,
                             (randomColour(rng) & 0x00ffffffu) | (static_cast<Colour>(rng.range(40, 200)) << 24));
        }
        break;
    default: {
        const int period = rng.range(8, 120);
        for (int x = 0; x < w + h; x += period)
            for (int k = 0; k < period / 2; ++k)
                desk.line(x + k, 0, x + k - h, h, b);
        desk.blendRect(0, 0, w, h, (a & 0x00ffffffu) | 0x80000000u);
        break;
    }
    }
    d.add("wallpaper", papers[paper]);

    // The taskbar.
    const int side = rng.chance(700) ? 0 : static_cast<int>(rng.range(1, 3)); // bottom, top, left, right
    const int thick = rng.range(30, 56);
    const Colour barC = randomColour(rng);
    int fx = 0, fy = 0, fw = w, fh = h;
    int bx = 0, by = 0, bw = w, bh = h;
    if (side == 0) { by = h - thick; bh = thick; fh = h - thick; }
    if (side == 1) { bh = thick; fy = thick; fh = h - thick; }
    if (side == 2) { bw = thick; fx = thick; fw = w - thick; }
    if (side == 3) { bx = w - thick; bw = thick; fw = w - thick; }
    desk.fillRect(bx, by, bw, bh, barC);
    const bool across = side < 2;
    const int s = thick - 10;
    for (int i = 0, n = rng.range(3, 14); i < n; ++i) {
        const int off = 6 + i * (s + 8) + (i > 0 ? 20 : 0);
        if (across)
            drawIcon(desk, rng, bx + off, by + 5, s);
        else
            drawIcon(desk, rng, bx + 5, by + off, s);
    }
    if (across)
        desk.text(rng, bx + bw - 90, by + (thick - 7) / 2, 80, 1, textOn(rng, barC));
    d.add("taskbar", std::string(side == 0 ? "bottom" : side == 1 ? "top" : side == 2 ? "left" : "right") + " " + std::to_string(thick));

    // Icons in a column at the left of the free area.
    const int icons = rng.range(0, 16), is = rng.range(32, 56);
    for (int i = 0; i < icons; ++i) {
        const int per = std::max(1, (fh - 20) / (is + 30));
        const int ix = fx + 16 + (i / per) * (is + 40), iy = fy + 12 + (i % per) * (is + 30);
        drawIcon(desk, rng, ix, iy, is);
        desk.text(rng, ix - 6, iy + is + 6, is + 12, 1, rgb(255, 255, 255));
    }
    d.add("icons", std::to_string(icons));

    const int others = rng.range(0, 6);
    for (int i = 0; i < others; ++i) {
        const int ww = rng.range(300, std::max(301, fw * 2 / 3)), wh = rng.range(200, std::max(201, fh * 2 / 3));
        drawOtherWindow(desk, rng, fx + rng.range(0, std::max(0, fw - ww)), fy + rng.range(0, std::max(0, fh - wh)), ww, wh);
    }
    d.add("other windows", std::to_string(others));
    free[0] = fx;
    free[1] = fy;
    free[2] = fw;
    free[3] = fh;
    return desk;
}

void fillTexture(Canvas& c, Rng& rng, int x, int y, int w, int h, Detail& d)
{
    const Colour a = randomColour(rng), b = randomColour(rng);
    switch (rng.below(5)) {
    case 0: c.fillRect(x, y, w, h, a); d.add("margin", "plain " + hex(a)); break;
    case 1: c.gradientRect(x, y, w, h, a, b, rng.chance(500)); d.add("margin", "gradient"); break;
    case 2: {
        c.fillRect(x, y, w, h, a);
        c.noiseRect(x, y, w, h, rng.range(4, 40), rng);
        d.add("margin", "noise");
        break;
    }
    case 3: {
        const int s = rng.range(2, 24);
        for (int yy = 0; yy < h; ++yy)
            for (int xx = 0; xx < w; ++xx)
                c.set(x + xx, y + yy, ((xx / s + yy / s) % 2) ? a : b);
        d.add("margin", "checks " + std::to_string(s));
        break;
    }
    default: {
        drawOtherWindow(c, rng, x, y, w, h);
        d.add("margin", "another window");
        break;
    }
    }
}

} // namespace blind
