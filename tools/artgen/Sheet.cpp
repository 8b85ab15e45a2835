// The contact sheet: every character of every game in every scheme, the full-size picture
// above its map-size cell enlarged four times.
#include "Atlases.h"
#include "Characters.h"
#include "Pictures.h"
#include "PixelFont.h"
#include "Schemes.h"
#include "charsets/GameTables.h"

#include <string>

namespace vt::art {

namespace {

constexpr int kMargin = 8;
constexpr int kPerRow = 18;
constexpr int kColumn = kFullCell + 6;
constexpr int kZoom = 4;
constexpr int kIndexHeight = 11;
constexpr int kCellBlock = kIndexHeight + kFullCell + 2 + kMapCellHeight * kZoom + 8;
constexpr int kSchemeLabel = 14;
constexpr int kGameLabel = 26;

int rowsFor(int count)
{
    return (count + kPerRow - 1) / kPerRow;
}

int schemeBlock(int game)
{
    return kSchemeLabel + rowsFor(char_count[static_cast<std::size_t>(game)]) * kCellBlock;
}

void drawPixels(Tile& sheet, const std::vector<Rgb>& pixels, int width, int x, int y, int zoom)
{
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const int px = static_cast<int>(i) % width;
        const int py = static_cast<int>(i) / width;
        sheet.rect(x + px * zoom, y + py * zoom, x + (px + 1) * zoom, y + (py + 1) * zoom,
                   ink(pixels[i]));
    }
}

} // namespace

QImage contactSheet()
{
    const int width = kMargin * 2 + kPerRow * kColumn;
    int height = kMargin + 30;
    for (int game = 0; game < kGameCount; ++game)
        height += kGameLabel + kSchemeCount * schemeBlock(game);
    Tile sheet(width, height, ink(16, 16, 24));

    const Ink title = ink(255, 220, 60);
    const Ink text = ink(200, 210, 220);
    drawText(sheet, "Vorlan Tesselor characters", kMargin, kMargin, 2, title);
    int top = kMargin + 30;
    for (int game = 0; game < kGameCount; ++game) {
        drawText(sheet, kGames[game].name, kMargin, top + 4, 2, title);
        top += kGameLabel;
        for (int scheme = 0; scheme < kSchemeCount; ++scheme) {
            sheet.rect(kMargin, top + 1, kMargin + 10, top + 10, ink(swatch(scheme)));
            drawText(sheet, colour_names[static_cast<std::size_t>(scheme)], kMargin + 14, top + 2,
                     1, text);
            const int count = char_count[static_cast<std::size_t>(game)];
            for (int i = 0; i < count; ++i) {
                const int x = kMargin + (i % kPerRow) * kColumn;
                const int y = top + kSchemeLabel + (i / kPerRow) * kCellBlock;
                drawText(sheet, std::to_string(i), x, y, 1, text);
                const int cellTop = y + kIndexHeight;
                sheet.rect(x - 1, cellTop - 1, x + kFullCell + 1, cellTop + kFullCell + 1,
                           ink(60, 60, 72));
                drawPixels(sheet, fullCharacter(game, scheme, i), kFullCell, x, cellTop, 1);
                const int mapTop = cellTop + kFullCell + 2;
                drawPixels(sheet, mapCharacter(game, scheme, i), kMapCellWidth, x, mapTop, kZoom);
            }
            top += schemeBlock(game);
        }
    }
    return toImage(sheet);
}

} // namespace vt::art
