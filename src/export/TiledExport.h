// The decoded map as a Tiled map (TMX and JSON map formats): an orthogonal map of 64 x 64-pixel
// tiles with one tile layer, and an embedded tileset whose image is a PNG of the game's
// full-size characters in the map's colour scheme, written beside the map.
#pragma once

#include "decode/DecodedMap.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <vector>

namespace vt {

struct TiledTileset
{
    QString name;      // "pc-vorlan-2-orange"
    QString imageFile; // "pc-vorlan-2-orange-tiles.png", beside the map, so no folder
    int tileSize = 64;
    int tileCount = 0; // the game's characters
    int columns = 0;   // one row of tiles: columns == tileCount
    int imageWidth = 0;
    int imageHeight = 0;
};

// The tileset of game `game` (selector index) in colour scheme `colour` with `tileCount` tiles.
TiledTileset tiledTileset(int game, int colour, int tileCount);

// The tileset's image: the characters side by side in character order, so that tile i is
// character i. Characters of another size than 64 x 64 are drawn at their own size.
QImage tilesetImage(const std::vector<QImage>& characters);

// The global tile id of a cell: its character index + 1; 0 (no tile) for an unrecognised cell
// and for an index the tileset does not hold.
quint32 tiledGid(qint32 cell, int tileCount);

// The map as TMX (XML, CSV-encoded layer data) and as Tiled's JSON map format. Both give the
// map the size of `decoded` in tiles, rows top to bottom and each row left to right, and carry
// the game (`game`, selector index, written as its number) and the table's code mode
// (`charRef`) as map properties, so that Open Map reads them back without asking
// (kTiledGameProperty, kTiledCodesProperty in MapTableReader.h).
QByteArray tmxMap(const DecodedMap& decoded, const TiledTileset& tileset, int game, int charRef);
QByteArray tiledJsonMap(const DecodedMap& decoded, const TiledTileset& tileset, int game,
                        int charRef);

} // namespace vt
