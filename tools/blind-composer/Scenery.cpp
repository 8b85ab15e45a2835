#include "Scenery.h"

#include "charsets/Atlas.h"
#include "charsets/GameTables.h"
#include "charsets/Resources.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>

namespace blind {

namespace {

constexpr Colour kBlack = rgb(0, 0, 0);
constexpr Colour kMarkerB = rgb(204, 51, 0);
constexpr Colour kFrameB = rgb(255, 128, 0);

// Light text on dark ground and dark text on light.
Colour textOn(Rng& rng, Colour ground)
{
    const int lum = (red(ground) * 3 + green(ground) * 6 + blue(ground)) / 10;
    return lum > 120 ? rgb(rng.range(0, 70), rng.range(0, 70), rng.range(0, 70))
                     : rgb(rng.range(190, 255), rng.range(190, 255), rng.range(190, 255));
}

// A push button with a label or an icon.
void drawButton(Canvas& c, Rng& rng, int x, int y, int w, int h, Colour face)
{
    c.fillRoundRect(x, y, w, h, rng.range(0, 4), face);
    c.hline(x + 1, y, w - 2, mix(face, rgb(255, 255, 255), 110));
    c.hline(x + 1, y + h - 1, w - 2, shade(face, 150));
    if (rng.chance(600))
        c.text(rng, x + 4, y + (h - 7) / 2, w - 8, 1, textOn(rng, face));
    else
        c.fillEllipse(x + w / 2 - h / 4, y + h / 4, h / 2, h / 2, randomColour(rng));
}

// The title bar and the frame of a window of size w x h at (x, y); returns the title height.
int drawChrome(Canvas& c, Rng& rng, int x, int y, int w, int h, int border, int title)
{
    const Colour frame = randomColour(rng);
    c.frameRect(x, y, w, h, frame, std::max(border, 1));
    const Colour t0 = randomColour(rng);
    const Colour t1 = rng.chance(500) ? randomColour(rng) : t0;
    c.gradientRect(x + border, y + border, w - 2 * border, title, t0, t1, rng.chance(300));
    const int iconS = title - 8;
    int tx = x + border + 6;
    if (rng.chance(700) && iconS > 4) {
        c.fillRoundRect(tx, y + border + 4, iconS, iconS, 2, randomColour(rng));
        tx += iconS + 6;
    }
    c.text(rng, tx, y + border + (title - 7) / 2, std::min(w / 2, rng.range(60, 260)), 1,
           textOn(rng, t0));
    // Buttons at the right (or round ones at the left, as some systems draw them).
    if (rng.chance(800)) {
        const int bw = rng.range(title, title + 16);
        for (int i = 0; i < 3; ++i) {
            const int bx = x + w - border - (i + 1) * bw;
            const Colour face = i == 0 && rng.chance(500) ? rgb(200, 40, 40) : t1;
            c.fillRect(bx, y + border, bw, title, face);
            const Colour glyph = textOn(rng, face);
            const int m = title / 3;
            if (i == 0) {
                c.line(bx + bw / 2 - m / 2, y + border + m, bx + bw / 2 + m / 2, y + border + title - m, glyph);
                c.line(bx + bw / 2 + m / 2, y + border + m, bx + bw / 2 - m / 2, y + border + title - m, glyph);
            } else if (i == 1) {
                c.frameRect(bx + bw / 2 - m / 2, y + border + m, m, title - 2 * m, glyph);
            } else {
                c.hline(bx + bw / 2 - m / 2, y + border + title - m, m, glyph);
            }
        }
    } else {
        const std::array<Colour, 3> lights{rgb(255, 95, 87), rgb(254, 188, 46), rgb(40, 200, 64)};
        for (int i = 0; i < 3; ++i)
            c.fillEllipse(x + w - border - 20 * (3 - i) - 4, y + border + title / 2 - 6, 12, 12,
                          lights[static_cast<std::size_t>(i)]);
    }
    return title;
}

} // namespace

std::string hex(Colour c)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02x%02x%02x", red(c), green(c), blue(c));
    return buf;
}

const Art& artFor(int game, int scheme)
{
    static std::map<int, Art> cache;
    const int key = game * vt::kColourCount + scheme;
    auto it = cache.find(key);
    if (it != cache.end())
        return it->second;
    Art art;
    for (const QImage& img : vt::loadCharacters(game, scheme, false))
        art.characters.push_back(Canvas::fromImage(img));
    art.hero = Canvas::fromImage(vt::programPicture(QStringLiteral("HERO")));
    return cache.emplace(key, std::move(art)).first->second;
}

void drawMap(Canvas& canvas, int x, int y, const Level& level, const Art& art)
{
    for (int r = 0; r < level.rows; ++r)
        for (int c = 0; c < level.columns; ++c)
            canvas.blit(art.characters[static_cast<std::size_t>(level.at(c, r))], x + c * kCellW,
                        y + r * kCellH);
}

void drawView(Canvas& canvas, int vx, int vy, const Level& level, const Art& art, int layout,
              Colour background, std::vector<char>& hidden)
{
    const int mx = vx + mapOffsetX(level.columns), my = vy + mapOffsetY(level.rows);
    canvas.fillRect(vx, vy, kViewW, kViewH, layout == 0 ? background : kBlack);
    drawMap(canvas, mx, my, level, art);
    if (layout == 0)
        return;
    // The frame: lines across the whole view along the map's sides, the top and bottom ones
    // just outside the map, the left one on the map's first pixel column (where the game's
    // window draws it), the right one just outside.
    if (level.rows < 32) {
        canvas.hline(vx, my - 1, kViewW, kFrameB);
        canvas.hline(vx, my + level.rows * kCellH, kViewW, kFrameB);
    }
    if (level.columns < 32) {
        canvas.vline(mx, vy, kViewH, kFrameB);
        canvas.vline(mx + level.columns * kCellW, vy, kViewH, kFrameB);
        for (int r = 0; r < level.rows; ++r)
            hidden[static_cast<std::size_t>(r * level.columns)] = 1;
    }
}

GameWindow makeGameWindow(Rng& rng, const Level& level, const Art& art, int layout, Detail& d)
{
    const vt::WindowPlaces& places =
        vt::kGames[level.game].window[static_cast<std::size_t>(layout)];
    const std::vector<Colour> avoid{kBlack, kMarkerB, kFrameB};
    const Colour clientBg = colourAvoiding(rng, 90, avoid, 90);
    const Colour panelBg = colourAvoiding(rng, 90, avoid, 90);
    // The view's background must tell from the map where the window search samples it: the
    // second pixel down the first column of every cell.
    std::vector<Colour> mapSamples{kBlack};
    for (const Canvas& ch : art.characters)
        mapSamples.push_back(ch.at(0, 1));
    const Colour viewBg = colourAvoiding(rng, 70, mapSamples, 100);

    const int border = rng.range(0, 6), title = rng.range(18, 34);
    const int menuH = rng.chance(600) ? rng.range(18, 24) : 0;
    const int toolH = rng.chance(300) ? rng.range(22, 32) : 0;
    const int viewRim = layout == 0 ? rng.range(1, 6) : rng.range(0, 4);
    const int vx = std::max(1, viewRim + rng.range(0, 10));
    const int vy = std::max(layout == 0 ? 1 : 0, menuH + toolH + viewRim + rng.range(0, 6));
    const int markerLen = layout == 0 ? 204 : 124;
    // The marker's run starts one pixel left of RX: the window search counts the run to the
    // pixel after it and steps back L - 1 pixels.
    const int rx = vx + static_cast<int>(places.viewLeft), ry = vy + static_cast<int>(places.viewUp);
    const int x0 = rx - 1;
    const int rm = rng.range(6, 40);
    const int statusH = rng.chance(500) ? rng.range(18, 26) : 0;
    const int clientW = x0 + markerLen + rm;
    const int clientH = vy + kViewH + std::max(viewRim, 1) + rng.range(1, 12) + statusH;

    GameWindow gw;
    gw.layout = layout;
    gw.clientX = border;
    gw.clientY = border + title;
    gw.clientW = clientW;
    gw.clientH = clientH;
    gw.img = Canvas(clientW + 2 * border, clientH + title + 2 * border, clientBg);
    drawChrome(gw.img, rng, 0, 0, gw.img.width(), gw.img.height(), border, title);

    Canvas client(clientW, clientH, clientBg);
    if (rng.chance(400))
        client.gradientRect(0, 0, clientW, clientH, clientBg, mix(clientBg, panelBg, 60), true);
    if (menuH) {
        const Colour menuBg = colourAvoiding(rng, 120, avoid, 90);
        client.fillRect(0, 0, clientW, menuH, menuBg);
        int x = 6;
        for (int i = rng.range(3, 7); i > 0; --i)
            x += client.text(rng, x, (menuH - 7) / 2, rng.range(20, 50), 1, textOn(rng, menuBg)) + 14;
    }
    if (toolH) {
        for (int x = 4; x + toolH < std::min(clientW, 500); x += toolH + rng.range(2, 8))
            drawButton(client, rng, x, menuH + 2, toolH - 4, toolH - 4, colourAvoiding(rng, 90, avoid, 90));
    }
    if (statusH) {
        const Colour statusBg = colourAvoiding(rng, 90, avoid, 90);
        client.fillRect(0, clientH - statusH, clientW, statusH, statusBg);
        client.text(rng, 6, clientH - statusH + (statusH - 7) / 2, rng.range(80, 400), 1,
                    textOn(rng, statusBg));
    }

    // The view and its rim.
    gw.hidden.assign(static_cast<std::size_t>(level.columns * level.rows), 0);
    if (viewRim)
        client.fillRect(vx - viewRim, vy - viewRim, kViewW + 2 * viewRim, kViewH + 2 * viewRim,
                        layout == 0 ? viewBg : colourAvoiding(rng, 90, avoid, 90));
    drawView(client, vx, vy, level, art, layout, viewBg, gw.hidden);

    // The side panel right of the view.
    const int sideX = vx + kViewW + std::max(viewRim, 1);
    const int sideTop = menuH + toolH;
    const int sideBottom = clientH - statusH;
    client.fillRect(sideX, sideTop, clientW - sideX, sideBottom - sideTop, panelBg);
    const int heroX = rx + static_cast<int>(places.heroRight);
    const int heroY = ry + static_cast<int>(places.heroDown);
    int boxX, boxY, boxW, boxH;
    if (layout == 0) {
        // A black box 204 wide whose top row is the marker; the hero inside it.
        boxX = x0;
        boxY = ry;
        boxW = markerLen;
        boxH = rng.range(std::max(175, heroY + 40 - ry), std::min(320, sideBottom - ry - 2));
        client.fillRect(boxX, boxY, boxW, boxH, kBlack);
    } else {
        // A panel 124 wide under a strip in the marker colour; the hero in a black box on it.
        const Colour body = colourAvoiding(rng, 90, avoid, 90);
        boxX = x0;
        boxY = ry;
        boxW = markerLen;
        boxH = std::min(sideBottom - ry - 2, heroY + 34 + rng.range(8, 60) - ry);
        client.fillRect(boxX, boxY, boxW, boxH, body);
        const int strip = rng.range(1, 16);
        client.fillRect(boxX, boxY, boxW, strip, kMarkerB);
        if (strip >= 10)
            client.text(rng, boxX + 4, boxY + 2, boxW - 8, 1, rgb(255, 230, 200));
        const int pad = rng.range(0, 8);
        client.fillRect(heroX - pad, heroY - pad, 34 + 2 * pad, 34 + 2 * pad, kBlack);
        // Widgets in the body, clear of the hero's box and of the strip's row.
        for (int y = boxY + strip + 6; y + 18 < heroY - pad - 4; y += rng.range(22, 40)) {
            if (rng.chance(500))
                drawButton(client, rng, boxX + 6, y, boxW - 12, 18, colourAvoiding(rng, 90, avoid, 90));
            else
                client.text(rng, boxX + 6, y + 5, boxW - 12, 1, textOn(rng, body));
        }
    }
    // Counters and icons in the black box of layout A, clear of its top row and of the hero.
    if (layout == 0) {
        for (int y = boxY + rng.range(4, 10); y + 9 < boxY + boxH; y += rng.range(12, 30)) {
            if (y + 9 >= heroY - 2 && y <= heroY + 36)
                continue;
            if (rng.chance(300)) {
                const Canvas& icon = art.characters[rng.below(art.characters.size())];
                client.blit(icon, boxX + rng.range(4, 60), y);
                y += kCellH;
            } else {
                client.text(rng, boxX + rng.range(4, 30), y, rng.range(40, 160), 1,
                            rgb(rng.range(120, 255), rng.range(120, 255), rng.range(0, 255)));
            }
        }
    }
    client.blit(art.hero, heroX, heroY);
    // Widgets above and below the marker's box.
    for (int y = sideTop + rng.range(4, 14); y + 22 < boxY - 2; y += rng.range(24, 44)) {
        if (rng.chance(500))
            drawButton(client, rng, sideX + rng.range(4, 20), y, rng.range(60, clientW - sideX - 30), 20,
                       colourAvoiding(rng, 90, avoid, 90));
        else
            client.text(rng, sideX + 6, y + 6, clientW - sideX - 12, 1, textOn(rng, panelBg));
    }
    for (int y = boxY + boxH + rng.range(6, 14); y + 22 < sideBottom - 2; y += rng.range(24, 44)) {
        if (rng.chance(500))
            drawButton(client, rng, sideX + rng.range(4, 20), y, rng.range(60, clientW - sideX - 30), 20,
                       colourAvoiding(rng, 90, avoid, 90));
        else
            client.text(rng, sideX + 6, y + 6, clientW - sideX - 12, 1, textOn(rng, panelBg));
    }

    gw.img.blit(client, gw.clientX, gw.clientY);
    gw.viewX = gw.clientX + vx;
    gw.viewY = gw.clientY + vy;
    gw.mapX = gw.viewX + mapOffsetX(level.columns);
    gw.mapY = gw.viewY + mapOffsetY(level.rows);
    gw.markerX = gw.clientX + x0;
    gw.markerY = gw.clientY + ry;
    gw.markerLen = markerLen;
    gw.heroX = gw.clientX + heroX;
    gw.heroY = gw.clientY + heroY;

    d.add("layout", layout == 0 ? "A" : "B");
    d.add("window", std::to_string(gw.img.width()) + "x" + std::to_string(gw.img.height()) +
                        " border " + std::to_string(border) + " title " + std::to_string(title) +
                        (menuH ? " menu" : "") + (toolH ? " toolbar" : "") +
                        (statusH ? " status" : ""));
    d.add("view", "client+" + std::to_string(vx) + "," + std::to_string(vy) + " rim " +
                      std::to_string(viewRim) + (layout == 0 ? " background " + hex(viewBg) : ""));
    d.add("colours", "client " + hex(clientBg) + " panel " + hex(panelBg));
    return gw;
}

} // namespace blind
