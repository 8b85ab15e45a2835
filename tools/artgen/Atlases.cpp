#include "Atlases.h"

#include "BmpWriter.h"
#include "Characters.h"
#include "Schemes.h"
#include "charsets/GameTables.h"

namespace vt::art {

namespace {

std::vector<Rgb> render(const Tile& tile, bool map, int scheme)
{
    std::vector<Rgb> pixels;
    pixels.reserve(static_cast<std::size_t>(tile.width() * tile.height()));
    for (int y = 0; y < tile.height(); ++y)
        for (int x = 0; x < tile.width(); ++x)
            pixels.push_back(map ? mapColour(tile.at(x, y), scheme)
                                 : fromRgb565(toRgb565(fullColour(tile.at(x, y), scheme))));
    return pixels;
}

std::vector<Rgb> atlasPixels(int game, int scheme, int cellWidth, int cellHeight, bool map)
{
    const int width = cellWidth * kAtlasColumns;
    std::vector<Rgb> pixels(static_cast<std::size_t>(width * cellHeight * kAtlasRows), kBlack);
    for (int i = 0; i < char_count[static_cast<std::size_t>(game)]; ++i) {
        const std::vector<Rgb> cell =
            map ? mapCharacter(game, scheme, i) : fullCharacter(game, scheme, i);
        const int left = cellWidth * (i % kAtlasColumns);
        const int top = cellHeight * (i / kAtlasColumns);
        for (int y = 0; y < cellHeight; ++y)
            for (int x = 0; x < cellWidth; ++x)
                pixels[static_cast<std::size_t>((top + y) * width + left + x)] =
                    cell[static_cast<std::size_t>(y * cellWidth + x)];
    }
    return pixels;
}

} // namespace

std::vector<Rgb> fullCharacter(int game, int scheme, int index)
{
    Tile tile(kFullCell, kFullCell);
    drawCharacter(catalogue(game)[static_cast<std::size_t>(index)], tile);
    return render(tile, false, scheme);
}

Cell mapCharacter(int game, int scheme, int index)
{
    Tile tile(kMapCellWidth, kMapCellHeight);
    drawCharacter(catalogue(game)[static_cast<std::size_t>(index)], tile);
    return render(tile, true, scheme);
}

QByteArray fullAtlas(int game, int scheme)
{
    return bmp16(kFullCell * kAtlasColumns, kFullCell * kAtlasRows,
                 atlasPixels(game, scheme, kFullCell, kFullCell, false));
}

QByteArray mapAtlas(int game, int scheme)
{
    return bmp8Halftone(kMapCellWidth * kAtlasColumns, kMapCellHeight * kAtlasRows,
                        atlasPixels(game, scheme, kMapCellWidth, kMapCellHeight, true));
}

QByteArray atlasFileName(int game, int scheme, bool fullsize)
{
    return atlasName(game, scheme, fullsize).toUpper().toLatin1();
}

} // namespace vt::art
