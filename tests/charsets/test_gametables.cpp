#include "charsets/GameTables.h"

#include <gtest/gtest.h>

namespace vt {
namespace {

TEST(GameTables, CharacterCountsAndOwnCodes)
{
    EXPECT_EQ(char_count[0], 33);
    EXPECT_EQ(char_count[1], 35);
    const struct
    {
        int game, character, code;
    } cases[] = {
        {0, 0, 1},    {0, 30, 38},  {0, 31, 6}, {0, 32, 78}, {1, 2, 6}, {1, 16, 12},
        {1, 24, 253}, {1, 31, 254}, {1, 33, 3}, {1, 34, 28}, {1, 3, 3}, {1, 5, 28},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pcRef(c.game, c.character), c.code) << c.game << "/" << c.character;
    // Past the first game's last character the codes are 0.
    EXPECT_EQ(pcRef(0, 33), 0);
    EXPECT_EQ(pcRef(0, 34), 0);
}

TEST(GameTables, NamesAndDescriptionsByGameAndPlace)
{
    EXPECT_EQ(gameNames(),
              QStringList({QStringLiteral("PC Vorlan 1"), QStringLiteral("PC Vorlan 2")}));
    // Each game's own catalogue, and nothing outside its set (the first game ends at 32).
    const struct
    {
        int game, character;
        const char* shows;
    } cases[] = {
        {0, 0, "blank (black)"},
        {0, 31, "rock (boulder)"},
        {0, 32, "wall of small blocks"},
        {0, 33, ""},
        {1, 2, "rock (boulder)"},
        {1, 34, "key in a blue disc"},
        {1, 35, ""},
        {1, -1, ""},
        {2, 0, ""},
        {-1, 0, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(characterDescription(c.game, c.character), QLatin1String(c.shows))
            << c.game << "/" << c.character;
}

TEST(GameTables, ColourSchemes)
{
    const struct
    {
        int colour;
        const char* name;
        std::uint32_t swatch;
    } cases[] = {{0, "Blue", 0xFF0000},    {1, "Cyan", 0xFFFF00},   {2, "Green", 0x00FF00},
                 {3, "Magenta", 0xFF00FF}, {4, "Orange", 0x0099FF}, {5, "Red", 0x0000FF}};
    for (const auto& c : cases) {
        EXPECT_EQ(colourName(c.colour), QLatin1String(c.name));
        EXPECT_EQ(colour_swatch[c.colour], c.swatch);
    }
}

TEST(GameTables, AtlasNames)
{
    EXPECT_EQ(atlasName(1, 4, false), QStringLiteral("R2_Orange_Map_Atlas"));
    EXPECT_EQ(atlasName(0, 0, true), QStringLiteral("R1_Blue_Atlas"));
    EXPECT_EQ(atlasName(1, 3, false).toUpper(), QStringLiteral("R2_MAGENTA_MAP_ATLAS"));
}

} // namespace
} // namespace vt
