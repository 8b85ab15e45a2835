#include "Level.h"

#include "charsets/GameTables.h"

#include <algorithm>

namespace blind {

namespace {

// A wall family of a game: plain, the four rounded corners, the four edged sides (-1 when the
// family has none).
struct WallFamily
{
    const char* name;
    int plain, tl, tr, bl, br, edgeL, edgeR, edgeT, edgeB;
};

constexpr WallFamily kFamilies1[] = {
    {"brick", 3, 4, 5, 6, 7, 8, 9, 10, 11},
    {"smooth", 24, 25, 26, 27, 28, 21, 22, 18, 19},
};
constexpr WallFamily kFamilies2[] = {
    {"brick", 9, 10, 11, 16, 17, 12, 13, 14, 15},
    {"dotted", 21, 22, 23, 28, 29, -1, -1, -1, -1},
};
constexpr int kEarth1[] = {14, 15, 16};
constexpr int kEarth2[] = {18, 19, 20};
constexpr int kOtherWalls1[] = {13, 20, 29, 32};
constexpr int kOtherWalls2[] = {8, 32};

struct GameParts
{
    const WallFamily* families;
    const int* earth;
    const int* otherWalls;
    int otherWallCount;
    int rock;
};

GameParts partsOf(int game)
{
    if (game == 0)
        return {kFamilies1, kEarth1, kOtherWalls1, 4, 31};
    return {kFamilies2, kEarth2, kOtherWalls2, 2, 2};
}

bool interior(const Level& l, int c, int r)
{
    return c > 0 && r > 0 && c < l.columns - 1 && r < l.rows - 1;
}

} // namespace

int heroCharacter(int game) { return game == 0 ? 30 : 25; }

Level makeLevel(Rng& rng, int game, int columns, int rows)
{
    Level l;
    l.game = game;
    l.columns = columns;
    l.rows = rows;
    const GameParts parts = partsOf(game);
    const WallFamily& wall = parts.families[rng.below(2)];
    const int mainEarth = parts.earth[rng.below(3)];
    l.cells.assign(static_cast<std::size_t>(columns * rows), mainEarth);

    // Earth: one main pattern, patches of the others.
    for (int& cell : l.cells)
        if (rng.chance(120))
            cell = parts.earth[rng.below(3)];

    // The outer ring.
    const bool rounded = rng.chance(500);
    const bool edged = wall.edgeL >= 0 && rng.chance(500);
    for (int c = 0; c < columns; ++c) {
        l.at(c, 0) = edged ? wall.edgeB : wall.plain;
        l.at(c, rows - 1) = edged ? wall.edgeT : wall.plain;
    }
    for (int r = 0; r < rows; ++r) {
        l.at(0, r) = edged ? wall.edgeR : wall.plain;
        l.at(columns - 1, r) = edged ? wall.edgeL : wall.plain;
    }
    if (rounded) {
        l.at(0, 0) = wall.tl;
        l.at(columns - 1, 0) = wall.tr;
        l.at(0, rows - 1) = wall.bl;
        l.at(columns - 1, rows - 1) = wall.br;
    }

    const int area = (columns - 2) * (rows - 2);
    // Wall segments inside, a few of them in the game's other wall kinds.
    const int segments = rng.range(area / 90, area / 45 + 1);
    for (int s = 0; s < segments; ++s) {
        const bool horizontal = rng.chance(550);
        const int len = rng.range(3, std::max(3, (horizontal ? columns : rows) / 2));
        const int c0 = rng.range(1, columns - 2), r0 = rng.range(1, rows - 2);
        const int kind = rng.chance(250)
                             ? parts.otherWalls[rng.below(static_cast<std::uint64_t>(parts.otherWallCount))]
                             : wall.plain;
        for (int i = 0; i < len; ++i) {
            const int c = horizontal ? c0 + i : c0, r = horizontal ? r0 : r0 + i;
            if (interior(l, c, r))
                l.at(c, r) = kind;
        }
    }

    // Caves: random walks of open space.
    const int caves = rng.range(1, 2 + area / 150);
    for (int k = 0; k < caves; ++k) {
        int c = rng.range(1, columns - 2), r = rng.range(1, rows - 2);
        const int steps = rng.range(area / 40 + 4, area / 12 + 8);
        for (int i = 0; i < steps; ++i) {
            if (interior(l, c, r))
                l.at(c, r) = 0;
            switch (rng.below(4)) {
            case 0: c = std::min(c + 1, columns - 2); break;
            case 1: c = std::max(c - 1, 1); break;
            case 2: r = std::min(r + 1, rows - 2); break;
            default: r = std::max(r - 1, 1); break;
            }
        }
    }

    // Rocks and diamonds among earth and space.
    int rocks = 0, diamonds = 0;
    for (int r = 1; r < rows - 1; ++r)
        for (int c = 1; c < columns - 1; ++c) {
            if (rng.chance(75)) {
                l.at(c, r) = parts.rock;
                ++rocks;
            } else if (rng.chance(40)) {
                l.at(c, r) = 1;
                ++diamonds;
            }
        }

    // Some of every other character: one to three each on a large map, on a small one as many
    // as a quarter of the inside holds.
    const int count = vt::char_count[static_cast<std::size_t>(game)];
    std::vector<int> others;
    for (int i = 0; i < count; ++i)
        if (i != heroCharacter(game))
            others.push_back(i);
    const int budget = std::max(1, area / 4);
    // Each in a cell of its own, so that no character placed here hides another.
    std::vector<char> taken(l.cells.size(), 0);
    auto freeCell = [&]() {
        for (;;) {
            const int c = rng.range(1, columns - 2), r = rng.range(1, rows - 2);
            const std::size_t k = static_cast<std::size_t>(r * columns + c);
            if (!taken[k]) {
                taken[k] = 1;
                return k;
            }
        }
    };
    int placed = 0;
    for (std::size_t i = 0; i < others.size() && placed < budget; ++i) {
        const std::size_t j = i + static_cast<std::size_t>(rng.below(others.size() - i));
        std::swap(others[i], others[j]);
        const int copies = area >= 196 ? rng.range(1, 3) : 1;
        for (int k = 0; k < copies && placed < budget; ++k, ++placed)
            l.cells[freeCell()] = others[i];
    }

    // The hero, once.
    for (int& cell : l.cells)
        if (cell == heroCharacter(game))
            cell = mainEarth;
    l.cells[freeCell()] = heroCharacter(game);

    l.summary = std::string(wall.name) + " walls" + (rounded ? ", rounded" : "") +
                (edged ? ", edged" : "") + ", " + std::to_string(segments) + " segments, " +
                std::to_string(caves) + " caves, ~" + std::to_string(rocks) + " rocks, ~" +
                std::to_string(diamonds) + " diamonds";
    return l;
}

} // namespace blind
