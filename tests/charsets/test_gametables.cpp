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
