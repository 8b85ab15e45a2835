// The pictures of the windows: hero, puzzle piece, banner, button pictures, copy glyph, about
// box corners, hand pointer and program icon.
#include "Pictures.h"

#include "Atlases.h"
#include "Characters.h"
#include "PixelFont.h"
#include "Schemes.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace vt::art {

namespace {

// Small pixel drawings: one character per pixel, '.' clear.
const std::map<char, Rgb>& drawingColours()
{
    static const std::map<char, Rgb> colours{
        {'K', {0, 0, 0}},       {'W', {255, 255, 255}}, {'L', {200, 204, 214}},
        {'G', {140, 144, 156}}, {'D', {80, 84, 96}},    {'Y', {255, 222, 60}},
        {'O', {205, 145, 20}},  {'B', {70, 140, 255}},  {'b', {30, 65, 180}},
        {'C', {150, 225, 255}}, {'R', {235, 60, 45}},   {'N', {70, 205, 80}},
        {'n', {25, 125, 45}},   {'S', {250, 200, 150}}, {'P', {200, 110, 235}},
    };
    return colours;
}

Tile fromDrawing(const std::vector<const char*>& rows)
{
    const int height = static_cast<int>(rows.size());
    const int width = static_cast<int>(std::string_view(rows.front()).size());
    Tile tile(width, height, clearInk());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const char c = rows[static_cast<std::size_t>(y)][x];
            if (c != '.')
                tile.at(x, y) = ink(drawingColours().at(c));
        }
    return tile;
}

// Loading: an arrow going down into an open folder.
const std::vector<const char*> kLoad{
    "........NN......", "........NN......", "........NN......", "......NNNNNN....",
    ".......NNNN.....", ".OOOO...NN......", "OYYYYO..........", "OYYYYYOOOOOOOO..",
    "OYYYYYYYYYYYYO..", "OYOOOOOOOOOOOOOO", "OYOYYYYYYYYYYYYO", "OOYYYYYYYYYYYYO.",
    "OOYYYYYYYYYYYYO.", "OYYYYYYYYYYYYO..", "OOOOOOOOOOOOOO..", "................",
};

// Saving the grab: a disk whose label shows a landscape.
const std::vector<const char*> kSaveGrab{
    "BBBBBBBBBBBBB...", "BbWWWWWWWWWWbB..", "BbWCCCCCCYYWbBB.", "BbWCCCCCCYYWbBBB",
    "BbWCCCNCCCCWbBBB", "BbWCCNNNCCCWbBBB", "BbWCNNNNNCNWbBBB", "BbWNNNNNNNNWbBBB",
    "BbWWWWWWWWWWbBBB", "BBBBBBBBBBBBBBBB", "BBBLLLLLLLLLBBBB", "BBBLLDDLLLLLBBBB",
    "BBBLLDDLLLLLBBBB", "BBBLLDDLLLLLBBBB", "BBBLLLLLLLLLBBBB", ".BBBBBBBBBBBBBBB",
};

// Decoding: a magnifying glass over a diamond.
const std::vector<const char*> kDecode{
    "....LLLLL.......", "..LLDDDDDLL.....", ".LDDDDDDDDDL....", ".LDDWCCCWDDL....",
    "LDDWCCCCCWDDL...", "LDDBBBBBBBDDL...", "LDDDBCBCBDDDL...", "LDDDDBCBDDDDL...",
    "LDDDDDBDDDDDL...", ".LDDDDDDDDDL....", ".LDDDDDDDDDL....", "..LLDDDDDLLOO...",
    "....LLLLL.OOOO..", "...........OOOO.", "............OOOO", ".............OO.",
};

// Saving the map: a disk whose label shows a little map.
const std::vector<const char*> kSaveMap{
    "BBBBBBBBBBBBB...", "BbWWWWWWWWWWbB..", "BbWRRRRRRRRWbBB.", "BbWRKKKKKKRWbBBB",
    "BbWRKCKKYKRWbBBB", "BbWRKKKNKKRWbBBB", "BbWRKYKKKCRWbBBB", "BbWRRRRRRRRWbBBB",
    "BbWWWWWWWWWWbBBB", "BBBBBBBBBBBBBBBB", "BBBLLLLLLLLLBBBB", "BBBLLDDLLLLLBBBB",
    "BBBLLDDLLLLLBBBB", "BBBLLDDLLLLLBBBB", "BBBLLLLLLLLLBBBB", ".BBBBBBBBBBBBBBB",
};

// Converting many grabs: a stack of pictures.
const std::vector<const char*> kBulk{
    "......WWWWWWWWWW", "......WCCCCCCCCW", "......WCCCCCYYCW", "...WWWWWWWWWWYCW",
    "...WCCCCCCCCWCCW", "...WCCCCCYYCWNNW", "WWWWWWWWWWYCWNNW", "WCCCCCCCCWCCWWWW",
    "WCCCCCYYCWNNW...", "WCCCCCYYCWNNW...", "WCCNCCCCCWWWW...", "WCNNNCCCCW......",
    "WNNNNNCNCW......", "WNNNNNNNNW......", "WWWWWWWWWW......", "................",
};

// Preferences: three sliders, like the three thresholds.
const std::vector<const char*> kOptions{
    "................", "..YYY...........", "..YOY...........", "GGYOYGGGGGGGGGGG",
    "..YOY...........", "..YYY...........", "..........YYY...", "..........YOY...",
    "GGGGGGGGGGYOYGGG", "..........YOY...", "..........YYY...", "......YYY.......",
    "......YOY.......", "GGGGGGYOYGGGGGGG", "......YOY.......", "......YYY.......",
};

// About: the letter i in a blue disc.
const std::vector<const char*> kAbout{
    ".....bbbbbb.....", "...bbBBBBBBbb...", "..bBBBBWWBBBBb..", ".bBBBBBWWBBBBBb.",
    ".bBBBBBBBBBBBBb.", "bBBBBBWWWBBBBBBb", "bBBBBBBWWBBBBBBb", "bBBBBBBWWBBBBBBb",
    "bBBBBBBWWBBBBBBb", "bBBBBBBWWBBBBBBb", ".bBBBBBWWBBBBBb.", ".bBBBBWWWWBBBBb.",
    "..bBBBBBBBBBBb..", "...bbBBBBBBbb...", ".....bbbbbb.....", "................",
};

// Copy: two sheets, one over the other.
const std::vector<const char*> kCopy{
    "WWWWWWWWW.......", "WLLLLLLLW.......", "WLGGGGGLW.......", "WLLLLLLLW.......",
    "WLGGGGWWWWWWWWW.", "WLLLLLWLLLLLLLW.", "WLGGGGWLGGGGGLW.", "WLLLLLWLLLLLLLW.",
    "WLGGGGWLGGGGGLW.", "WLLLLLWLLLLLLLW.", "WWWWWWWLGGGGGLW.", "......WLLLLLLLW.",
    "......WLGGGGGLW.", "......WLLLLLLLW.", "......WWWWWWWWW.", "................",
};

Tile characterTile(Art art, int scheme)
{
    Tile drawn(kFullCell, kFullCell);
    drawCharacter(art, drawn);
    Tile result(kFullCell, kFullCell);
    for (int y = 0; y < kFullCell; ++y)
        for (int x = 0; x < kFullCell; ++x)
            result.at(x, y) = ink(fromRgb565(toRgb565(fullColour(drawn.at(x, y), scheme))));
    return result;
}

// Half size: each pixel the average of four.
Tile halved(const Tile& tile)
{
    Tile result(tile.width() / 2, tile.height() / 2);
    for (int y = 0; y < result.height(); ++y)
        for (int x = 0; x < result.width(); ++x) {
            int r = 0, g = 0, b = 0;
            for (int k = 0; k < 4; ++k) {
                const Rgb c = tile.at(2 * x + k % 2, 2 * y + k / 2).colour;
                r += c.r;
                g += c.g;
                b += c.b;
            }
            result.at(x, y) = ink((r + 2) / 4, (g + 2) / 4, (b + 2) / 4);
        }
    return result;
}

QImage puzzlePicture()
{
    Tile tile(64, 64);
    const auto inside = [](double u, double v) {
        const bool body = u >= 12 && u <= 52 && v >= 12 && v <= 52;
        const bool knobs = inEllipse(u, v, 32, 7.5, 7, 7) || inEllipse(u, v, 56.5, 32, 7, 7) ||
                           (u >= 28 && u <= 36 && v >= 10 && v <= 12) ||
                           (v >= 28 && v <= 36 && u >= 52 && u <= 54);
        const bool holes = inEllipse(u, v, 16.5, 32, 7, 7) || inEllipse(u, v, 32, 51.5, 6, 6);
        return (body || knobs) && !holes;
    };
    bevelFill(tile, inside, 3, [](int, int, int lit, int shaded) {
        if (shaded == 0)
            return ink(70, 45, 120);
        if (lit == 0)
            return ink(235, 220, 255);
        if (shaded < 3)
            return ink(115, 85, 175);
        if (lit < 3)
            return ink(200, 180, 245);
        return ink(160, 130, 215);
    });
    drawText(tile, "?", 25, 19, 3, ink(40, 20, 80));
    drawText(tile, "?", 24, 18, 3, ink(255, 255, 255));
    return toImage(tile);
}

QImage bannerPicture()
{
    Tile tile(801, 64);
    const int scheme = 0;
    tile.place(characterTile(Art::Hero, scheme), 12, 0);
    tile.place(characterTile(Art::Diamond, scheme), 84, 0);
    tile.place(characterTile(Art::Boulder, scheme), 801 - 84 - 64, 0);
    tile.place(characterTile(Art::Key, scheme), 801 - 12 - 64, 0);
    const std::string title = "Vorlan Tesselor";
    const int scale = 5;
    const int x = (801 - textWidth(title, scale)) / 2;
    const int y = (64 - 7 * scale) / 2;
    drawText(tile, title, x + 3, y + 3, scale, ink(110, 30, 0));
    drawText(tile, title, x, y, scale, [](int, int gy) {
        return ink(mix({255, 245, 150}, {235, 140, 0}, gy / 6.0));
    });
    return toImage(tile);
}

QImage handPicture()
{
    Tile tile(32, 32, clearInk());
    const auto hand = [](double u, double v) {
        const bool fingers =
            inRoundRect(u, v, 17, 12, 27, 44, 5) || inRoundRect(u, v, 27, 6, 37, 44, 5) ||
            inRoundRect(u, v, 37, 9, 47, 44, 5) || inRoundRect(u, v, 47, 17, 56, 44, 4.5);
        const bool palm = inRoundRect(u, v, 17, 30, 56, 59, 9);
        const bool thumb = segmentDistance(u, v, 22, 46, 8, 29) < 5.5;
        return fingers || palm || thumb;
    };
    tile.paint([&](int x, int y, double u, double v) -> std::optional<Ink> {
        if (hand(u, v)) {
            // Creases between the fingers and a shaded right side.
            const bool crease =
                v > 14 && v < 40 &&
                (std::fabs(u - 27) < 1 || std::fabs(u - 37) < 1 || std::fabs(u - 47) < 1);
            if (crease)
                return ink(150, 150, 160);
            return ink(u > 48 ? Rgb{215, 215, 225} : kWhite);
        }
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (tile.inside(x + dx, y + dy) && hand(tile.u(x + dx), tile.v(y + dy)))
                    return ink(kBlack);
        return std::nullopt;
    });
    return toImage(tile);
}

QImage iconPicture()
{
    Tile scene(256, 256);
    const Art layout[4][4] = {
        {Art::Brick, Art::Brick, Art::Brick, Art::Brick},
        {Art::Earth, Art::Hero, Art::Diamond, Art::Boulder},
        {Art::Earth, Art::Blank, Art::Key, Art::Earth},
        {Art::Brick, Art::Brick, Art::Brick, Art::Brick},
    };
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            scene.place(characterTile(layout[row][col], 0), col * 64, row * 64);

    // A magnifying glass over the hero.
    Tile icon(256, 256, clearInk());
    const double cx = 96, cy = 96, lens = 60, rim = 12, zoom = 1.3;
    icon.paint([&](int x, int y, double, double) -> std::optional<Ink> {
        const double px = x + 0.5, py = y + 0.5;
        if (!inRoundRect(px, py, 0, 0, 256, 256, 36))
            return std::nullopt;
        const double dx = px - cx, dy = py - cy;
        const double r = std::sqrt(dx * dx + dy * dy);
        const double handle = segmentDistance(px, py, cx + 50, cy + 50, 232, 232);
        if (handle < 13 && r > lens)
            return ink(mix({120, 70, 20}, {60, 30, 5}, handle / 13.0));
        if (r <= lens) {
            // Enlarged, with a glint on the glass.
            const int sx = std::clamp(static_cast<int>(cx + dx / zoom), 0, 255);
            const int sy = std::clamp(static_cast<int>(cy + dy / zoom), 0, 255);
            const Rgb c = scene.at(sx, sy).colour;
            const double glint = segmentDistance(px, py, cx - 44, cy - 14, cx - 14, cy - 44);
            return ink(glint < 3 ? mix(c, kWhite, 0.6) : mix(c, kWhite, 0.06));
        }
        if (r <= lens + rim) {
            const double across = (r - lens) / rim;
            const double lit = -(dx + dy) / (r * 1.4142);
            return ink(mix(mix({150, 100, 0}, {255, 220, 90}, 1.0 - std::fabs(across - 0.4)),
                           kWhite, std::max(0.0, lit) * 0.35));
        }
        return ink(mix(scene.at(x, y).colour, kBlack, 0.25));
    });
    return toImage(icon);
}

} // namespace

QImage toImage(const Tile& tile)
{
    QImage image(tile.width(), tile.height(), QImage::Format_ARGB32);
    for (int y = 0; y < tile.height(); ++y)
        for (int x = 0; x < tile.width(); ++x) {
            const Ink& value = tile.at(x, y);
            if (value.kind == Ink::Clear) {
                image.setPixel(x, y, qRgba(0, 0, 0, 0));
                continue;
            }
            const Rgb c = fullColour(value, 0);
            image.setPixel(x, y, qRgb(c.r, c.g, c.b));
        }
    return image;
}

std::vector<Rgb> heroPixels()
{
    // Each letter one colour of the halftone cube, so the reduction the program applies to the
    // hero changes nothing; '.' is the black it stands on.
    static const std::map<char, Rgb> colours{
        {'.', {0, 0, 0}},       {'W', {255, 255, 255}}, {'L', {204, 204, 204}},
        {'Y', {255, 255, 0}},   {'G', {255, 204, 0}},   {'O', {255, 153, 0}},
        {'H', {153, 102, 0}},   {'h', {102, 51, 0}},    {'S', {255, 204, 153}},
        {'s', {204, 153, 102}}, {'R', {255, 0, 0}},     {'r', {153, 0, 0}},
        {'C', {0, 255, 255}},   {'c', {0, 153, 204}},   {'B', {0, 102, 255}},
        {'g', {0, 204, 0}},     {'K', {0, 0, 0}},
    };
    // The hero as the game's panel shows him: winged helm, sword raised, shield, red cloak. He
    // fills most of his square with bright colours of every lightness, so that the check of his
    // place cannot pass against a plain panel of any one colour, black least of all.
    // clang-format off
    static const char* const rows[kHeroSize] = {
        "...W...........RRRR...............",
        "..LWLLLLLLL...RRRRRR...LLLLLLLLLLL",
        "..LWLLWWWWW..GGGGGGGG..WWWWWWWWWWL",
        "..LWL.LWWWW.GYYYGGGGGG.WWWWWWWWWL.",
        "..LWL.LLLLLGYYYGGGGGGGGLLLLLLLLL..",
        "..LWL..LWWWGGGGGGGGGGGGWWWWWWWWL..",
        "..LWL..LWWWOOOOOOOOOOOOWWWWWWWL...",
        "..LWL...LGGOSSSSSSSSSSOGLLLLLL....",
        "..LWL...LGGOSSKKSSKKSSOGWWWWL.....",
        "..LWL....GGOSSSSssSSSSOGWWWL......",
        "..LWL....GGOSSSrrrrSSSOYYYYYYYYYYY",
        "..LWL....GGGSSSSSSSSSSGYgggggggggY",
        "..LWL...YYYYYYRSSSSRYYYYgggWWWgggY",
        "..LWL...GGGWWCCCCCCCCccYgggWWWgggY",
        "..LWL...GGGWWCCCYYCCCccYgggWWWgggY",
        "..LWL.BBcccWWCCCYYCCCccYgggWWWgggY",
        "..LWL.BBcccWWCYYYYYYCccYgggWWWgggY",
        "..LWL.BBcccWWCYYYYYYCccYWWWWWWWWWY",
        "YYYYYYYYcccWWCCCYYCCCccYWWWWWWWWWY",
        ".OOOOOOBcccWWCCCYYCCCccYgggWWWgggY",
        "..SSSSSRRrRWWCCCCCCCCccYgggWWWgggY",
        "..SSSSSRRrRWWCCCCCCCCccYgggWWWgggY",
        "..SSSSSRrRRWWCCCCCCCCccYgggWWWgggY",
        "...GGRRRrRRHHHHHYYHHHHHYgggWWWgggY",
        "....RRRrRRRggggggggggggYgggWWWgggY",
        "....RRRrRRRggggggggggggRYggWWWggY.",
        "...RRRrRRRRRWLLLrrWLLLRRRYgWWWgY..",
        "...RRRrRRRRRWLLLrrWLLLRRRRYWWWY...",
        "...RRRrRRRRRWLLLrrWLLLRRRRRYgYR...",
        "..RRRrRRRRRRWLLLrrWLLLRRRRRRYRRR..",
        "..RRRrRRRRRRWLLLrrWLLLRRRRRRrRRR..",
        ".RRRrRRRRRRHHHHHRRHHHHHRRRRRRrRRR.",
        ".RRRrRRRRRRHHHHHRRHHHHHRRRRRRrRRR.",
        "RRRrRRRRRRRhhhhhRRhhhhhRRRRRRRrRRR",
    };
    // clang-format on
    std::vector<Rgb> pixels;
    for (const char* row : rows)
        for (int x = 0; x < kHeroSize; ++x)
            pixels.push_back(colours.at(row[x]));
    return pixels;
}

std::vector<NamedPicture> windowPictures()
{
    std::vector<NamedPicture> pictures{
        {QStringLiteral("PUZZLE.png"), puzzlePicture()},
        {QStringLiteral("BANNER.png"), bannerPicture()},
        {QStringLiteral("BTN_LOAD.png"), toImage(fromDrawing(kLoad))},
        {QStringLiteral("BTN_SAVEGRAB.png"), toImage(fromDrawing(kSaveGrab))},
        {QStringLiteral("BTN_DECODE.png"), toImage(fromDrawing(kDecode))},
        {QStringLiteral("BTN_SAVEMAP.png"), toImage(fromDrawing(kSaveMap))},
        {QStringLiteral("BTN_BULK.png"), toImage(fromDrawing(kBulk))},
        {QStringLiteral("BTN_OPTIONS.png"), toImage(fromDrawing(kOptions))},
        {QStringLiteral("BTN_ABOUT.png"), toImage(fromDrawing(kAbout))},
        {QStringLiteral("COPY.png"), toImage(fromDrawing(kCopy))},
        {QStringLiteral("ABOUT_LEFT.png"), toImage(halved(characterTile(Art::Hero, 0)))},
        {QStringLiteral("ABOUT_RIGHT.png"), toImage(halved(characterTile(Art::Diamond, 0)))},
        {QStringLiteral("HANDFLAT.png"), handPicture()},
        {QStringLiteral("ICON.png"), iconPicture()},
    };
    return pictures;
}

} // namespace vt::art
