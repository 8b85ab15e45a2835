// Checks of the map-size characters: the colour-scheme survey must count every pixel for the
// right scheme (or for none), and no two characters of a set may be confused.
#pragma once

#include "Raster.h"

#include <string>
#include <vector>

namespace vt::art {

using Cell = std::vector<Rgb>;  // 16 x 15 pixels, row by row

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

} // namespace vt::art
