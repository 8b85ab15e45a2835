// The kinds that need more than a few lines: crop, cutoff, scanlines, video and display.
#include "Parts.h"

#include "Overlays.h"

#include <algorithm>
#include <iterator>

namespace blind {

namespace {
const Colour kBlack = rgb(0, 0, 0);
}

Grab composeCrop(const std::string& kind, Rng& rng, Detail& d, const Level& level, const Art& art, int scheme)
{
    Rect map;
    Scene s = viewScene(rng, level, art, d, map);
    // Each side: a margin, a cut of a few pixels, or neither; not neither on all four.
    int m[4];
    do
        for (int& side : m) {
            const int p = static_cast<int>(rng.below(100));
            side = p < 45 ? rng.range(1, 48) : p < 75 ? -rng.range(1, 7) : 0;
        }
    while (m[0] == 0 && m[1] == 0 && m[2] == 0 && m[3] == 0);
    const Rect r{map.x - m[0], map.y - m[1], map.w + m[0] + m[2], map.h + m[1] + m[3]};
    Canvas pic(r.w, r.h, kBlack);
    fillTexture(pic, rng, 0, 0, r.w, r.h, d);
    // The window's own surroundings of the map, or the map alone on the texture.
    const bool surroundings = rng.chance(500);
    const Rect from = surroundings ? Rect{0, 0, s.img.width(), s.img.height()} : map;
    for (int y = std::max(r.y, from.y); y < std::min(r.y + r.h, from.y + from.h); ++y)
        for (int x = std::max(r.x, from.x); x < std::min(r.x + r.w, from.x + from.w); ++x)
            pic.set(x - r.x, y - r.y, s.img.at(x, y));
    d.add("sides", std::to_string(m[0]) + "," + std::to_string(m[1]) + "," + std::to_string(m[2]) + "," +
                       std::to_string(m[3]) + (surroundings ? " with the window round the map" : " on the margin"));
    return finish(kind, d, s, plain(r), std::move(pic), {}, scheme);
}

Grab composeCutoff(const std::string& kind, Rng& rng, Detail& d, const Level& level, const Art& art, int scheme)
{
    WindowShot shot = windowShot(rng, level, art, d);
    Scene& s = shot.scene;
    Rect r = shot.grab;
    const int markerY = shot.winY + shot.gw.markerY;
    const int heroBottom = shot.winY + shot.gw.heroY + 34;
    const int mapW = level.columns * kCellW, mapH = level.rows * kCellH;
    const bool topOk = markerY > s.mapY + 1;
    // Cut at most half the map away on a side: a window partly off the screen, not a stray corner.
    const int bottomLo = std::max(heroBottom + 1, s.mapY + mapH / 2), bottomHi = s.mapY + mapH - 1;
    const bool bottomOk = bottomLo <= bottomHi;
    bool left, top, bottom;
    do {
        left = rng.chance(600);
        top = topOk && rng.chance(400);
        bottom = bottomOk && rng.chance(400);
    } while (!left && !top && !bottom);
    std::string sides;
    if (left) {
        const int x = rng.range(s.mapX + 1, s.mapX + mapW / 2);
        r.w -= x - r.x;
        r.x = x;
        sides += " left";
    }
    if (top) {
        const int y = rng.range(s.mapY + 1, std::min(markerY, s.mapY + mapH / 2));
        r.h -= y - r.y;
        r.y = y;
        sides += " top";
    }
    if (bottom) {
        r.h = rng.range(bottomLo, bottomHi) - r.y;
        sides += " bottom";
    }
    d.add("cut off", sides.substr(1));
    maybeCursor(rng, s, r, d, 300);
    return finish(kind, d, s, plain(r), s.img.crop(r.x, r.y, r.w, r.h, kBlack), {}, scheme);
}

Grab composeScanlines(const std::string& kind, Rng& rng, Detail& d, const Level& level, const Art& art, int scheme)
{
    Rect grab;
    Scene s = baseScene(rng, level, art, d, grab, 0);
    Scaling sc;
    sc.sx = sc.sy = 3000;
    Canvas out = resample(s.img.crop(grab.x, grab.y, grab.w, grab.h, kBlack), sc);
    const int row = rng.range(0, 2), k = rng.range(60, 190);
    for (int y = row; y < out.height(); y += 3)
        for (int x = 0; x < out.width(); ++x)
            out.set(x, y, shade(out.at(x, y), k));
    d.add("scanlines", "rows " + std::to_string(row) + " mod 3 at " + std::to_string(k) + "/256");
    Mapping m = plain(grab);
    m.sc = sc;
    return finish(kind, d, s, m, std::move(out), {}, scheme);
}

Grab composeVideo(const std::string& kind, Rng& rng, Detail& d, const Level& level, const Art& art, int scheme)
{
    WindowShot shot = windowShot(rng, level, art, d);
    maybeCursor(rng, shot.scene, shot.grab, d, 300);
    const Rect& g = shot.grab;
    Scaling sc;
    sc.sx = sc.sy = std::min(1280 * 1000 / g.w, 720 * 1000 / g.h);
    static const Resampler how[] = {Resampler::Bilinear, Resampler::Bicubic, Resampler::Area};
    sc.how = rng.pick(how);
    const Canvas scaled = resample(shot.scene.img.crop(g.x, g.y, g.w, g.h, kBlack), sc);
    Canvas frame(1280, 720, kBlack);
    Mapping m = plain(g);
    m.sc = sc;
    m.offX = (1280 - scaled.width()) / 2;
    m.offY = (720 - scaled.height()) / 2;
    frame.blit(scaled, m.offX, m.offY);
    d.add("video", "scale " + std::to_string(sc.sx) + "/1000 " + resamplerName(sc.how) + " at " +
                       std::to_string(m.offX) + "," + std::to_string(m.offY));
    Encoding e;
    e.jpeg = true;
    e.quality = 70;
    return finish(kind, d, shot.scene, m, std::move(frame), e, scheme);
}

Grab composeDisplay(const std::string& kind, Rng& rng, Detail& d, const Level& level, const Art& art, int scheme)
{
    // A program that knows nothing of display scaling: the system stretches its window by the
    // display's factor while the rest of the desktop is drawn at full resolution.
    static const int factors[] = {1250, 1500, 1750};
    static const int sizes[][2] = {{1920, 1080}, {1920, 1200}, {2560, 1440}, {2560, 1600}, {2880, 1800},
                                   {3000, 2000}, {3200, 1800}, {3840, 2160}};
    Scaling sc;
    sc.sx = sc.sy = rng.pick(factors);
    sc.how = rng.chance(600) ? Resampler::Bilinear : Resampler::Bicubic;
    const auto& size = sizes[rng.below(std::size(sizes))];
    const int layout = rng.chance(500) ? 1 : 0;
    Rng wr = rng.fork();
    const GameWindow gw = makeGameWindow(wr, level, art, layout, d);
    Scene s = sceneOf(gw, level);
    const Canvas scaled = resample(gw.img, sc);
    int free[4];
    Rng deskRng = rng.fork();
    Canvas desk = makeDesktop(deskRng, size[0], size[1], d, free);
    Mapping m;
    m.sc = sc;
    m.offX = free[0] + rng.range(0, std::max(0, free[2] - scaled.width()));
    m.offY = free[1] + rng.range(0, std::max(0, free[3] - scaled.height()));
    desk.blit(scaled, m.offX, m.offY);
    d.add("display", std::to_string(sc.sx / 10) + "% " + resamplerName(sc.how) + ", window at " +
                         std::to_string(m.offX) + "," + std::to_string(m.offY));
    if (rng.chance(500)) {
        Canvas layer(48, 48, 0);
        const std::string what = drawOverlay(layer, rng, Overlay::Cursor, 1, 1, 0);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const int x = rng.range(0, desk.width() - 24), y = rng.range(0, desk.height() - 24);
            // The window's fixed parts, stretched as the window is (a pixel more either side).
            const Rect box = drawnBox(layer, x - 1, y - 1);
            bool clear = true;
            for (const Rect& k : s.keepClear) {
                const Rect scaledK{m.offX + k.x * sc.sx / 1000 - 1, m.offY + k.y * sc.sy / 1000 - 1,
                                   k.w * sc.sx / 1000 + 3, k.h * sc.sy / 1000 + 3};
                clear = clear && !scaledK.meets(box);
            }
            if (!clear)
                continue;
            markFinalLayer(s, m, layer, x - 1, y - 1);
            desk.composite(layer, x - 1, y - 1);
            d.add("cursor", what + " at " + std::to_string(x) + "," + std::to_string(y));
            break;
        }
    }
    const Encoding e = rng.chance(500) ? jpegOf(rng, 60, 95) : Encoding{};
    return finish(kind, d, s, m, std::move(desk), e, scheme);
}

} // namespace blind
