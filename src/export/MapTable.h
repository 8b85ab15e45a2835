// The decoded map as a comma-separated table (the ".csv" output).
#pragma once

#include "decode/DecodedMap.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vt {

// Reference modes of the table (the "CharRef" setting).
inline constexpr int kCharRefAtlas = 0; // the character index, its place in the atlases
inline constexpr int kCharRefPc = 1;    // the game's own code, pc_ref[game][index]

// The table of `decoded`, to the byte:
// - line 1: `colourItemText` up to, not including, its first ": " ("Green: 87%" gives Green);
// - then one line per map row, top row first, its cells leftmost first joined by "," with no
//   spaces: "unk" for a negative cell, otherwise the index (kCharRefAtlas), the game's own
//   code (kCharRefPc), or 0 for any other mode;
// - every line, the last included, ends with CR LF.
// It reads the cells of `decoded` and nothing else, whatever size the grid has now; a column
// shorter than the first (never made by the decoding pass) writes "unk" for its missing cells.
// In PC-reference mode a cell with no entry in pc_ref (index above 34, or a game other than 0
// or 1) also writes "unk": it names no character of that game. The bytes are plain ASCII: any
// other character of the colour text, and any control character, is written as "?".
// With `map_text`, that list is emptied first and then collects the table line by line, as
// written (without the line ends): it keeps the last table until the next is made.
QByteArray csvTable(const DecodedMap& decoded, const QString& colourItemText, int game, int charRef,
                    QStringList* map_text = nullptr);

} // namespace vt
