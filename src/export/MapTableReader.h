// Reading back a table the program wrote: the ".csv" table, the TMX map and the Tiled JSON map.
// One reader for the three: each format's own part finds the scheme, the size and the cells'
// codes in their rows; the common part checks the rows and turns the codes into characters.
#pragma once

#include "decode/DecodedMap.h"

#include <QString>

#include <optional>
#include <vector>

namespace vt {

enum class TableKind : quint8
{
    Csv,
    Tmx,
    Json
};

// The kind of table a file name stands for by its extension, whatever its case: ".csv", ".tmx"
// or ".json"; none for any other name.
std::optional<TableKind> tableKindOf(const QString& path);

// The names the Tiled maps give the game and the code mode among their map properties: the
// game's number (1 for the first game) and "atlas" or "pc" (the table's code choice).
inline constexpr const char* kTiledGameProperty = "game";
inline constexpr const char* kTiledCodesProperty = "codes";
QString codeModeName(int charRef); // "atlas" or "pc"

// A table as read, before its codes are taken as characters.
struct MapTableFile
{
    TableKind kind = TableKind::Csv;
    int colour = 0;             // the colour scheme it names (selector index)
    std::optional<int> game;    // the game it names (selector index): Tiled maps only
    std::optional<int> charRef; // the code mode it names: Tiled maps only
    int columns = 0;
    int rows = 0;
    // The cells' codes row by row, top row first: a table's fields ("unk", a number), a Tiled
    // map's global tile ids.
    std::vector<QString> codes;

    // A Tiled map written before the maps carried the game and the code mode: it is read as
    // the first game's, with atlas references.
    bool namesGameAndCodes() const { return kind == TableKind::Csv || (game && charRef); }
};

// Reads the table in `path` (its kind by the extension). Throws vt::Error naming the file when
// it is no table of that kind: unreadable, not a regular file, over 4 MB, a first line that
// names no colour scheme, a Tiled map of another shape than the program writes, rows of
// unequal length ("row 3 has 7 cells, row 1 has 8"), or a map of no cells or more than 32 a side.
MapTableFile readMapTable(const QString& path);

// The decoded map of `table` with its codes taken as characters of game `game` (selector
// index) in code mode `charRef` (kCharRefAtlas, kCharRefPc); a Tiled map's ids are character
// index + 1 whatever the mode, 0 for a cell that matched nothing. "unk" (and id 0) give -1, and
// `errors` counts them. Throws vt::Error naming the file, the row and the column (from 1) of
// the first code that names no character of that game.
//
// The second game gives codes 3 and 28 to two characters each (an egg and a key in two looks);
// such a code is read as the character of the lower index, so a table written with the game's
// own codes reads back as the same table, but those cells may come back in the other look.
DecodedMap mapOfTable(const MapTableFile& table, const QString& path, int game, int charRef);

} // namespace vt
