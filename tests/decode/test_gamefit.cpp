// Telling the game of a map view by its content: both games' characters scored against the
// cells, and maps of the characters the games share telling nothing.
#include "charsets/Atlas.h"
#include "charsets/GameTables.h"
#include "decode/GameFit.h"
#include "intake/GrabLoader.h"

#include "GrabComposer.h"

#include <gtest/gtest.h>

#include <array>
#include <utility>

namespace vt {
namespace {

using test::GrabArt;
using test::GrabMap;

GridGeometry gridOf(int columns, int rows)
{
    GridGeometry grid;
    grid.grab_width = columns;
    grid.grab_height = rows;
    return grid;
}

// Both games' map-size characters in one scheme, in the order asked for.
std::array<std::vector<QImage>, 2> setsOf(int colour, int first)
{
    return {loadCharacters(first, colour, false), loadCharacters(1 - first, colour, false)};
}

// Pairs (game-1 character, game-2 character) that are the same picture in `colour`.
std::vector<std::pair<int, int>> sharedCharacters(int colour)
{
    const auto one = loadCharacters(0, colour, false);
    const auto two = loadCharacters(1, colour, false);
    std::vector<std::pair<int, int>> shared;
    for (int i = 0; i < int(one.size()); ++i)
        for (int j = 0; j < int(two.size()); ++j)
            if (one[std::size_t(i)] == two[std::size_t(j)])
                shared.emplace_back(i, j);
    return shared;
}

bool isShared(const std::vector<std::pair<int, int>>& shared, int game, int character)
{
    for (const auto& [one, two] : shared)
        if ((game == 0 ? one : two) == character)
            return true;
    return false;
}

// A map of the game's characters that the other game shares, in a random order.
GrabMap sharedOnlyMap(int game, const std::vector<std::pair<int, int>>& shared, int columns,
                      int rows, quint64 seed)
{
    test::GrabRandom random(seed);
    GrabMap map = GrabMap::filled(columns, rows, 0);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const auto& pair = shared[std::size_t(random.below(int(shared.size())))];
            map.set(c, r, game == 0 ? pair.first : pair.second);
        }
    return map;
}

GameFitResult fitOf(const QImage& grab, const GridGeometry& grid, int colour, int first)
{
    const auto sets = setsOf(colour, first);
    return fitGames(makeWorkingPictures(grab).working, grid, sets, 88);
}

TEST(GameFit, AMapTellsItsGameWhicheverIsPassedFirstAndSharedCharactersTellNothing)
{
    const auto shared0 = sharedCharacters(0);
    ASSERT_GE(shared0.size(), 4u) << "the games should share characters";
    const struct
    {
        const char* what;
        int game; // whose characters the map is drawn with
        int colour;
        int columns, rows;
        int speckledPercent;
        bool sharedOnly;
    } cases[] = {
        {"game 1, 32 x 32", 0, 0, 32, 32, 0, false},
        {"game 2, 32 x 32", 1, 3, 32, 32, 0, false},
        {"game 2, 16 x 16", 1, 5, 16, 16, 0, false},
        {"game 1, speckled", 0, 4, 32, 32, 30, false},
        {"game 2, speckled", 1, 2, 24, 24, 30, false},
        {"game 1, shared characters only", 0, 0, 32, 32, 0, true},
        {"game 2, shared characters only", 1, 1, 16, 16, 0, true},
    };
    for (const auto& c : cases) {
        const auto shared = sharedCharacters(c.colour);
        const GrabMap map =
            c.sharedOnly ? sharedOnlyMap(c.game, shared, c.columns, c.rows, 3)
                         : GrabMap::random(c.game, c.columns, c.rows, 21 + quint64(c.colour));
        test::GrabNoise noise;
        noise.cellPercent = c.speckledPercent;
        const QImage grab = test::composeMapView(map, GrabArt::shipped(c.game, c.colour), noise);
        const int cells = c.columns * c.rows;
        for (int first : {0, 1}) {
            SCOPED_TRACE(testing::Message() << c.what << ", game " << first + 1 << " first");
            const GameFitResult fit = fitOf(grab, gridOf(c.columns, c.rows), c.colour, first);
            ASSERT_EQ(fit.games.size(), 2u);
            const GameFitScore& own = fit.games[c.game == first ? 0 : 1];
            const GameFitScore& other = fit.games[c.game == first ? 1 : 0];
            if (c.sharedOnly) {
                EXPECT_FALSE(fit.certain);
                EXPECT_EQ(fit.best, -1);
                EXPECT_EQ(fit.decidedBy, GameFitDecider::None);
                EXPECT_EQ(own.perfect, cells);
                EXPECT_EQ(other.perfect, cells);
                EXPECT_EQ(other.total, own.total);
                continue;
            }
            EXPECT_TRUE(fit.certain);
            EXPECT_EQ(fit.best, c.game == first ? 0 : 1);
            EXPECT_NE(fit.decidedBy, GameFitDecider::None);
            EXPECT_LT(other.perfect, own.perfect);
            if (c.speckledPercent == 0) {
                EXPECT_EQ(own.cellsPassing, cells);
                EXPECT_EQ(own.perfect, cells);
                EXPECT_EQ(own.total, quint64(100 * cells));
            } else {
                EXPECT_LT(own.perfect, cells); // the speckles must really cost some cells
            }
        }
    }
}

// The closest call: a map of shared characters with one cell of a character that only one game
// has. That cell alone must decide, for every such character of either game.
TEST(GameFit, OneCharacterThatOnlyOneGameHasDecides)
{
    const int colour = 2;
    const auto shared = sharedCharacters(colour);
    int unshared = 0;
    for (int game : {0, 1}) {
        for (int character = 0; character < char_count[std::size_t(game)]; ++character) {
            if (isShared(shared, game, character))
                continue;
            ++unshared;
            GrabMap map = sharedOnlyMap(game, shared, 8, 8, quint64(character));
            map.set(5, 2, character);
            const QImage grab = test::composeMapView(map, GrabArt::shipped(game, colour));
            for (int first : {0, 1}) {
                const GameFitResult fit = fitOf(grab, gridOf(8, 8), colour, first);
                EXPECT_EQ(fit.best, game == first ? 0 : 1)
                    << "game " << game + 1 << " character " << character << ", game " << first + 1
                    << " first";
            }
        }
    }
    EXPECT_GT(unshared, 0);
}

TEST(GameFit, EdgeCasesOfTheSets)
{
    const GrabMap map = GrabMap::random(1, 8, 8, 4);
    const QImage working =
        makeWorkingPictures(test::composeMapView(map, GrabArt::shipped(1, 0))).working;

    // One set: it is the best, with nothing to be told from.
    const std::vector<std::vector<QImage>> one{loadCharacters(1, 0, false)};
    GameFitResult fit = fitGames(working, gridOf(8, 8), one, 88);
    EXPECT_EQ(fit.best, 0);
    EXPECT_TRUE(fit.certain);
    EXPECT_EQ(fit.games[0].perfect, 64);

    // An empty set fits nothing, and the same set twice is a tie.
    const std::vector<std::vector<QImage>> sets{{}, one[0], one[0]};
    fit = fitGames(working, gridOf(8, 8), sets, 88);
    EXPECT_EQ(fit.games[0].cellsPassing, 0);
    EXPECT_EQ(fit.games[0].total, 0u);
    EXPECT_EQ(fit.best, -1);
    EXPECT_FALSE(fit.certain);

    fit = fitGames(working, gridOf(8, 8), {}, 88);
    EXPECT_TRUE(fit.games.empty());
    EXPECT_EQ(fit.best, -1);
}

} // namespace
} // namespace vt
