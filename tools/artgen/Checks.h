// Checks of the map-size characters: the colour-scheme survey must count every pixel for the
// right scheme (or for none), and no two characters of a set may be confused.
#pragma once

#include "Raster.h"

#include <QImage>

#include <string>
#include <vector>

namespace vt::art {

using Cell = std::vector<Rgb>; // 16 x 15 pixels, row by row

// The decoder's score of two cells: the summed colour comparison as a whole percentage.
int cellScore(const Cell& a, const Cell& b);

struct ClosestPair
{
    int scheme = 0;
    int first = 0;
    int second = 0;
    int score = 0;
};

// Problems with the map-size set of one game in one scheme (empty when it is sound), and the
// set's closest pair of distinct characters.
std::vector<std::string> checkMapSet(int game, int scheme, const std::vector<Cell>& cells,
                                     ClosestPair& closest);

// A converted map is drawn from one full-size atlas and the puzzle piece, and saved as GIF,
// which is exact only up to 256 colours. The atlas and the puzzle piece together keep to
// kColourBudget, leaving room to spare; the puzzle piece alone to kPuzzleColours.
inline constexpr int kColourBudget = 240;
inline constexpr int kPuzzleColours = 16;

// Distinct colours of the pictures together, each read as the program draws it (opaque, any
// transparency over black).
int distinctColours(const std::vector<QImage>& pictures);

} // namespace vt::art
