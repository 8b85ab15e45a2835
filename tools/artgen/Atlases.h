// The characters rendered for each game and colour scheme, and their atlases.
#pragma once

#include "Checks.h"
#include "Raster.h"

#include <QByteArray>

#include <vector>

namespace vt::art {

inline constexpr int kFullCell = 64;
inline constexpr int kMapCellWidth = 16;
inline constexpr int kMapCellHeight = 15;
inline constexpr int kAtlasColumns = 16;
inline constexpr int kAtlasRows = 3;

// Character i of a game, full-size (colours as the 16-bit atlas stores them) or map-size.
std::vector<Rgb> fullCharacter(int game, int scheme, int index);
Cell mapCharacter(int game, int scheme, int index);

// The atlas files, byte for byte.
QByteArray fullAtlas(int game, int scheme);
QByteArray mapAtlas(int game, int scheme);

// The stored resource name, e.g. "R2_MAGENTA_MAP_ATLAS".
QByteArray atlasFileName(int game, int scheme, bool fullsize);

} // namespace vt::art
