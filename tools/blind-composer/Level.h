// The content of a map: a plausible level of the game, as character indices.
#pragma once

#include "Rng.h"

#include <string>
#include <vector>

namespace blind {

struct Level
{
    int game = 0; // 0 or 1
    int columns = 32, rows = 32;
    std::vector<int> cells; // row-major character indices
    std::string summary;    // the wall style and the counts chosen

    int& at(int c, int r) { return cells[static_cast<std::size_t>(r * columns + c)]; }
    int at(int c, int r) const { return cells[static_cast<std::size_t>(r * columns + c)]; }
};

// A walled level: an outer ring of walls (rounded or edged at times), earth, wall segments,
// caves of open space, rocks and diamonds, some of every other character and the hero once.
Level makeLevel(Rng& rng, int game, int columns, int rows);

// The hero's character index in a game.
int heroCharacter(int game);

} // namespace blind
