#include "Composer.h"

#include "Overlays.h"
#include "Parts.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace blind {

namespace {
const Colour kBlack = rgb(0, 0, 0);
} // namespace

Level chooseMap(Rng& rng, Detail& d, int& scheme, bool smallOnly)
{
    const int game = smallOnly || rng.chance(500) ? 1 : 0;
    scheme = static_cast<int>(rng.below(6));
    int columns = 32, rows = 32;
    if (game == 1)
        do {
            columns = 8 * rng.range(1, 4);
            rows = 8 * rng.range(1, 4);
        } while (smallOnly && columns == 32 && rows == 32);
    Rng content = rng.fork();
    Level level = makeLevel(content, game, columns, rows);
    d.add("map", "game " + std::to_string(game + 1) + ", " + std::to_string(columns) + "x" +
                     std::to_string(rows) + ", " + level.summary);
    return level;
}

Scene sceneOf(const GameWindow& gw, const Level& level)
{
    Scene s;
    s.img = gw.img;
    s.mapX = gw.mapX;
    s.mapY = gw.mapY;
    s.level = level;
    s.hidden = gw.hidden;
    s.shown = level.cells;
    s.keepClear.push_back({gw.markerX - 1, gw.markerY, gw.markerLen + 2, 1});
    s.keepClear.push_back({gw.heroX, gw.heroY, 34, 34});
    if (gw.layout == 0) {
        s.keepClear.push_back({gw.viewX, gw.viewY - 1, 1, 1});
    } else {
        if (level.rows < 32)
            s.keepClear.push_back({gw.viewX, gw.mapY - 1, kViewW, 1});
        if (level.columns < 32)
            s.keepClear.push_back({gw.mapX, gw.viewY, 1, kViewH});
    }
    return s;
}

bool clearOfGeometry(const Scene& s, const Rect& r)
{
    for (const Rect& k : s.keepClear)
        if (k.meets(r))
            return false;
    return true;
}

namespace {

// The game window pasted on a desktop of w x h at a random place in its free area.
Scene onDesktop(Rng& rng, const GameWindow& gw, const Level& level, int w, int h, Detail& d,
                int& winX, int& winY)
{
    int free[4];
    Rng deskRng = rng.fork();
    Canvas desk = makeDesktop(deskRng, w, h, d, free);
    winX = free[0] + rng.range(0, std::max(0, free[2] - gw.img.width()));
    winY = free[1] + rng.range(0, std::max(0, free[3] - gw.img.height()));
    desk.blit(gw.img, winX, winY);
    Scene s = sceneOf(gw, level);
    s.img = std::move(desk);
    s.mapX += winX;
    s.mapY += winY;
    for (Rect& k : s.keepClear) {
        k.x += winX;
        k.y += winY;
    }
    d.add("desktop", std::to_string(w) + "x" + std::to_string(h) + ", window at " +
                         std::to_string(winX) + "," + std::to_string(winY));
    // At times another window in front, over a part of the game window that is neither the
    // view nor what the geometry fixes.
    if (rng.chance(250)) {
        const Rect view{winX + gw.viewX - 2, winY + gw.viewY - 2, kViewW + 4, kViewH + 4};
        for (int attempt = 0; attempt < 60; ++attempt) {
            const int fw = rng.range(160, 480), fh = rng.range(120, 360);
            const Rect r{winX + rng.range(-fw / 2, gw.img.width() - fw / 2),
                         winY + rng.range(-fh / 2, gw.img.height() - fh / 2), fw, fh};
            if (r.meets(view) || !clearOfGeometry(s, r))
                continue;
            Canvas front(fw, fh, 0);
            drawOtherWindow(front, rng, 0, 0, fw, fh);
            overlay(s, front, r.x, r.y);
            d.add("window in front", std::to_string(fw) + "x" + std::to_string(fh) + " at " +
                                         std::to_string(r.x) + "," + std::to_string(r.y));
            break;
        }
    }
    return s;
}

// A window-sized grab of a game window on a desktop: the client area, the whole window, the
// window with some desktop round it, or a grab larger than window size.
Rect windowGrab(Rng& rng, const GameWindow& gw, int winX, int winY, const Scene& s, Detail& d)
{
    const int deskW = s.img.width(), deskH = s.img.height();
    const int gwW = gw.img.width(), gwH = gw.img.height();
    const int mode = static_cast<int>(rng.below(100));
    Rect r;
    if (mode < 30) {
        r = {winX + gw.clientX, winY + gw.clientY, gw.clientW, gw.clientH};
        d.add("grab", "client area");
    } else if (mode < 60 || gwW > 1024 || gwH > 768) {
        r = {winX, winY, gwW, gwH};
        d.add("grab", "whole window");
    } else {
        const bool larger = mode >= 85;
        const int W = larger ? rng.range(1025, 1600) : rng.range(std::max(513, gwW), 1024);
        const int H = larger ? rng.range(std::max(481, gwH), 1100) : rng.range(std::max(481, gwH), 768);
        const int left = rng.range(0, W - gwW), top = rng.range(0, H - gwH);
        r = {std::max(0, winX - left), std::max(0, winY - top), W, H};
        r.x = std::min(r.x, std::max(0, deskW - W));
        r.y = std::min(r.y, std::max(0, deskH - H));
        d.add("grab", std::string(larger ? "larger than a window" : "window with desktop"));
    }
    return r;
}

} // namespace

WindowShot windowShot(Rng& rng, const Level& level, const Art& art, Detail& d)
{
    const int layout = rng.chance(500) ? 1 : 0;
    Rng wr = rng.fork();
    WindowShot shot;
    shot.gw = makeGameWindow(wr, level, art, layout, d);
    shot.scene = onDesktop(rng, shot.gw, level, rng.range(1600, 1920), rng.range(1100, 1200), d,
                           shot.winX, shot.winY);
    shot.grab = windowGrab(rng, shot.gw, shot.winX, shot.winY, shot.scene, d);
    return shot;
}

Scene viewScene(Rng& rng, const Level& level, const Art& art, Detail& d, Rect& grab)
{
    const int layout = rng.chance(500) ? 1 : 0;
    Rng wr = rng.fork();
    GameWindow gw = makeGameWindow(wr, level, art, layout, d);
    Scene s = sceneOf(gw, level);
    grab = {s.mapX, s.mapY, level.columns * kCellW, level.rows * kCellH};
    return s;
}

Scene desktopScene(Rng& rng, const Level& level, const Art& art, Detail& d, Rect& grab, int maxW,
                   int maxH)
{
    static const int sizes[][2] = {{1920, 1080}, {1920, 1200}, {2048, 1152}, {2560, 1080}, {2560, 1440},
                                   {2560, 1600}, {2880, 1620}, {3200, 1800}, {3440, 1440}, {3840, 1600},
                                   {3840, 2160}};
    int w, h;
    do {
        if (rng.chance(700)) {
            const auto& sz = sizes[rng.below(std::size(sizes))];
            w = sz[0];
            h = sz[1];
        } else {
            w = rng.range(1920, 3840);
            h = rng.range(1080, 2160);
        }
    } while (w > maxW || h > maxH);
    const int layout = rng.chance(500) ? 1 : 0;
    Rng wr = rng.fork();
    GameWindow gw = makeGameWindow(wr, level, art, layout, d);
    int winX, winY;
    Scene s = onDesktop(rng, gw, level, w, h, d, winX, winY);
    grab = {0, 0, w, h};
    return s;
}

void maybeCursor(Rng& rng, Scene& s, const Rect& grab, Detail& d, int per)
{
    if (!rng.chance(per))
        return;
    Canvas layer(48, 48, 0);
    const std::string what = drawOverlay(layer, rng, Overlay::Cursor, 1, 1, 0);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int x = grab.x + rng.range(0, std::max(0, grab.w - 20)), y = grab.y + rng.range(0, std::max(0, grab.h - 24));
        if (!clearOfGeometry(s, drawnBox(layer, x - 1, y - 1)))
            continue;
        overlay(s, layer, x - 1, y - 1);
        d.add("cursor", what + " at " + std::to_string(x) + "," + std::to_string(y));
        return;
    }
}

namespace {

int hiddenCount(const Scene& s)
{
    return static_cast<int>(std::count(s.hidden.begin(), s.hidden.end(), 1));
}

// Covers 5 to 25 % of the cells with overlays, and puts up to three creatures in cells.
void coverCells(Rng& rng, Scene& s, const Art& art, Detail& d)
{
    const int n = s.level.columns * s.level.rows;
    const int before = hiddenCount(s);
    const int target = before + std::max(1, n * rng.range(5, 25) / 100);
    const int ceiling = before + n / 4;
    const int mapW = s.level.columns * kCellW, mapH = s.level.rows * kCellH;
    std::string what;
    for (int attempt = 0; hiddenCount(s) < target && attempt < 400; ++attempt) {
        static const Overlay kinds[] = {Overlay::Sprite, Overlay::Sprite, Overlay::Cursor, Overlay::Tooltip,
                                        Overlay::GreyBox, Overlay::SeeThrough};
        const Overlay kind = rng.pick(kinds);
        const int size = std::min(rng.range(12, 160), std::max(12, std::min(mapW, mapH) / 2));
        Canvas layer(size * 2 + 64, size * 2 + 64, 0);
        Rng drawRng = rng.fork();
        const std::string one = drawOverlay(layer, drawRng, kind, 8, 8, size);
        const int x = s.mapX + rng.range(-size / 2, mapW - 8) - 8, y = s.mapY + rng.range(-size / 2, mapH - 8) - 8;
        if (!clearOfGeometry(s, drawnBox(layer, x, y)))
            continue;
        Scene trial = s; // keep only overlays that leave at most a quarter hidden
        overlay(trial, layer, x, y);
        if (hiddenCount(trial) > ceiling)
            continue;
        s = std::move(trial);
        what += (what.empty() ? "" : ", ") + one;
    }
    d.add("covered by", what);
    const int creatures = rng.range(0, 3);
    for (int i = 0; i < creatures; ++i) {
        const int c = rng.range(0, s.level.columns - 1), r = rng.range(0, s.level.rows - 1);
        const std::size_t k = static_cast<std::size_t>(r * s.level.columns + c);
        if (s.hidden[k] || s.shown[k] == heroCharacter(s.level.game))
            continue;
        Rng cr = rng.fork();
        s.img.blit(cellSprite(cr, art), s.mapX + c * kCellW, s.mapY + r * kCellH);
        s.shown[k] = -1;
        d.add("creature", std::to_string(c) + "," + std::to_string(r));
    }
}

} // namespace

Mapping plain(const Rect& grab)
{
    Mapping m;
    m.cropX = grab.x;
    m.cropY = grab.y;
    return m;
}

Encoding jpegOf(Rng& rng, int lo, int hi)
{
    Encoding e;
    e.jpeg = true;
    e.quality = rng.range(lo, hi);
    e.progressive = rng.chance(200);
    e.optimized = rng.chance(300);
    return e;
}

Scene baseScene(Rng& rng, const Level& level, const Art& art, Detail& d, Rect& grab, int desktopPer,
                int maxW, int maxH)
{
    const int pick = static_cast<int>(rng.below(1000));
    if (pick < desktopPer) {
        d.add("base", "desktop");
        return desktopScene(rng, level, art, d, grab, maxW, maxH);
    }
    if (pick < desktopPer + (1000 - desktopPer) / 2) {
        d.add("base", "view");
        return viewScene(rng, level, art, d, grab);
    }
    d.add("base", "window");
    WindowShot shot = windowShot(rng, level, art, d);
    grab = shot.grab;
    return std::move(shot.scene);
}

namespace {
Resampler anyResampler(Rng& rng)
{
    static const Resampler all[] = {Resampler::Nearest, Resampler::Bilinear, Resampler::Bicubic, Resampler::Area};
    return rng.pick(all);
}

} // namespace

Grab scaledGrab(const std::string& kind, Detail& d, const Scene& s, const Rect& grab, const Scaling& sc,
                int scheme, const Encoding& e)
{
    const Canvas cropped = s.img.crop(grab.x, grab.y, grab.w, grab.h, kBlack);
    Canvas out = resample(cropped, sc);
    Mapping m = plain(grab);
    m.sc = sc;
    d.add("scale", std::to_string(sc.sx) + "/" + std::to_string(sc.sy) + " thousandths, phase (result pixels) " +
                       std::to_string(sc.fx) + "," + std::to_string(sc.fy) + ", " + resamplerName(sc.how));
    return finish(kind, d, s, m, std::move(out), e, scheme);
}

const QStringList& kinds()
{
    static const QStringList all{"view",      "crop",     "window",    "desktop",   "covered",   "cutoff",
                                 "jpeg-view", "jpeg-window", "jpeg-desktop", "scaled", "aspect",
                                 "scanlines", "video",    "thumbnail", "display",   "small-jpeg-window"};
    return all;
}

Grab compose(const QString& kindName, std::uint64_t seed)
{
    if (!kinds().contains(kindName))
        throw std::invalid_argument("unknown kind: " + kindName.toStdString());
    const std::string kind = kindName.toStdString();
    Rng rng(Rng::seedFor(kind, seed));
    Detail d;
    int scheme = 0;
    const Level level = chooseMap(rng, d, scheme, kind == "small-jpeg-window");
    const Art& art = artFor(level.game, scheme);
    d.add("scheme", std::to_string(scheme));
    Rect grab;

    if (kind == "view" || kind == "jpeg-view") {
        Scene s = viewScene(rng, level, art, d, grab);
        return finish(kind, d, s, plain(grab), s.img.crop(grab.x, grab.y, grab.w, grab.h, kBlack),
                      kind == "view" ? Encoding{} : jpegOf(rng, 60, 95), scheme);
    }
    if (kind == "window" || kind == "jpeg-window" || kind == "small-jpeg-window") {
        WindowShot shot = windowShot(rng, level, art, d);
        Scene& s = shot.scene;
        grab = shot.grab;
        maybeCursor(rng, s, grab, d, 300);
        const Encoding e = kind == "window" ? Encoding{} : kind == "jpeg-window" ? jpegOf(rng, 60, 95) : jpegOf(rng, 75, 95);
        return finish(kind, d, s, plain(grab), s.img.crop(grab.x, grab.y, grab.w, grab.h, kBlack), e, scheme);
    }
    if (kind == "desktop" || kind == "jpeg-desktop") {
        Scene s = desktopScene(rng, level, art, d, grab, 3840, 2160);
        maybeCursor(rng, s, grab, d, 500);
        return finish(kind, d, s, plain(grab), s.img, kind == "desktop" ? Encoding{} : jpegOf(rng, 60, 95), scheme);
    }
    if (kind == "crop")
        return composeCrop(kind, rng, d, level, art, scheme);
    if (kind == "covered") {
        Scene s;
        if (rng.chance(450)) {
            s = viewScene(rng, level, art, d, grab);
        } else {
            WindowShot shot = windowShot(rng, level, art, d);
            s = std::move(shot.scene);
            grab = shot.grab;
        }
        coverCells(rng, s, art, d);
        return finish(kind, d, s, plain(grab), s.img.crop(grab.x, grab.y, grab.w, grab.h, kBlack), {}, scheme);
    }
    if (kind == "cutoff")
        return composeCutoff(kind, rng, d, level, art, scheme);
    if (kind == "scaled") {
        Scaling sc;
        sc.sx = sc.sy = rng.range(750, 4000);
        sc.fx = rng.range(0, 999);
        sc.fy = rng.range(0, 999);
        sc.how = anyResampler(rng);
        // Keep a scaled desktop within 7680 x 4320.
        Scene s = baseScene(rng, level, art, d, grab, 200, 7680 * 1000 / sc.sx, 4320 * 1000 / sc.sy);
        return scaledGrab(kind, d, s, grab, sc, scheme);
    }
    if (kind == "aspect") {
        Scene s = baseScene(rng, level, art, d, grab, 0);
        Scaling sc;
        sc.sy = 1200;
        static const Resampler how[] = {Resampler::Nearest, Resampler::Nearest, Resampler::Bilinear,
                                        Resampler::Bicubic, Resampler::Area};
        sc.how = rng.pick(how);
        return scaledGrab(kind, d, s, grab, sc, scheme);
    }
    if (kind == "scanlines")
        return composeScanlines(kind, rng, d, level, art, scheme);
    if (kind == "video")
        return composeVideo(kind, rng, d, level, art, scheme);
    if (kind == "thumbnail") {
        Scene s = baseScene(rng, level, art, d, grab, 250);
        Scaling sc;
        sc.sx = sc.sy = 750;
        static const Resampler how[] = {Resampler::Area, Resampler::Area, Resampler::Bilinear, Resampler::Bicubic};
        sc.how = rng.pick(how);
        return scaledGrab(kind, d, s, grab, sc, scheme);
    }
    return composeDisplay(kind, rng, d, level, art, scheme);
}

} // namespace blind
