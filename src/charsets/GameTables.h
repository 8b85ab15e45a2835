// The constant tables of the games and the six colour schemes. Everything the program knows
// about a game is its row in kGames; a further game is one more row (and its art).
#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <iterator>

namespace vt {

inline constexpr int kColourCount = 6;
// Room for the characters of the game with the most; every game keeps this many code entries.
inline constexpr int kMaxChars = 35;
// The window layouts the grid location knows, in the order it tries them: A, then B.
inline constexpr int kLayoutCount = 2;

// One character of a game, in atlas order.
struct CharacterEntry
{
    std::uint8_t code = 0;       // the game's own code, written by the table export
    const char* shows = nullptr; // what it shows, as a player would name it
};

// Where a game's window draws its parts, relative to the window marker found at (RX, RY).
struct WindowPlaces
{
    // The hero's top-left corner: (RX + heroRight, RY + heroDown).
    std::uint32_t heroRight, heroDown;
    // The map-view area's corner: (RX - viewLeft, RY - viewUp).
    std::uint32_t viewLeft, viewUp;
};

struct Game
{
    const char* name;                                 // the game selector's item
    std::array<CharacterEntry, kMaxChars> characters; // atlas order; the places after stay empty
    std::array<WindowPlaces, kLayoutCount> window;    // by layout: A, then B
    bool smallMaps; // besides 32 x 32, maps of 8, 16 or 24 columns or rows exist

    constexpr int charCount() const
    {
        int n = 0;
        while (n < kMaxChars && characters[static_cast<std::size_t>(n)].shows)
            ++n;
        return n;
    }
};

// The games, in game selector order; the game number in resource names is the index plus 1.
inline constexpr Game kGames[] = {
    {"PC Vorlan 1",
     {{
         {1, "blank (black)"},
         {2, "diamond"},
         {3, "egg (white)"},
         {7, "brick wall"},
         {8, "brick wall, rounded top-left corner"},
         {9, "brick wall, rounded top-right corner"},
         {10, "brick wall, rounded bottom-left corner"},
         {11, "brick wall, rounded bottom-right corner"},
         {12, "brick wall, edged on the left"},
         {13, "brick wall, edged on the right"},
         {14, "brick wall, edged on top"},
         {15, "brick wall, edged at the bottom"},
         {16, "safe"},
         {17, "two upright rounded brick pillars"},
         {18, "earth"},
         {19, "earth, second pattern"},
         {20, "green speckled ground"},
         {21, "gold bars"},
         {22, "smooth wall, edged on top"},
         {23, "smooth wall, edged at the bottom"},
         {24, "four rounded brick blocks"},
         {25, "smooth wall, edged on the left"},
         {26, "smooth wall, edged on the right"},
         {28, "key"},
         {29, "smooth wall"},
         {30, "smooth wall, rounded top-left corner"},
         {31, "smooth wall, rounded top-right corner"},
         {32, "smooth wall, rounded bottom-left corner"},
         {33, "smooth wall, rounded bottom-right corner"},
         {34, "two flat rounded brick blocks, one above the other"},
         {38, "the Vorlan (hero figure)"},
         {6, "rock (boulder)"},
         {78, "wall of small blocks"},
     }},
     {{
         {102, 102, 549, 174}, // A
         {18, 295, 514, 3},    // B
     }},
     false},
    {"PC Vorlan 2",
     {{
         {1, "blank (black)"},
         {2, "diamond"},
         {6, "rock (boulder)"},
         {3, "egg (white)"},
         {16, "safe"},
         {28, "key"},
         {25, "blue glowing cloud"},
         {29, "cage holding a diamond, with a padlock"},
         {24, "four rounded square blocks"},
         {7, "brick wall"},
         {8, "brick wall, rounded top-left corner"},
         {9, "brick wall, rounded top-right corner"},
         {10, "brick wall, edged on the left"},
         {13, "brick wall, edged on the right"},
         {14, "brick wall, edged on top"},
         {15, "brick wall, edged at the bottom"},
         {12, "brick wall, rounded bottom-left corner"},
         {11, "brick wall, rounded bottom-right corner"},
         {18, "earth crossed by black tracks"},
         {19, "earth with curved black tracks"},
         {20, "earth with curved black tracks, second arrangement"},
         {22, "dotted wall"},
         {30, "dotted wall, rounded top-left corner"},
         {31, "dotted wall, rounded top-right corner"},
         {253, "concentric coloured squares"},
         {38, "the Vorlan (hero figure)"},
         {80, "orange octagonal tile with a red and yellow lozenge"},
         {35, "skull"},
         {32, "dotted wall, rounded bottom-left corner"},
         {33, "dotted wall, rounded bottom-right corner"},
         {78, "orange disc"},
         {254, "second skull"},
         {5, "brick wall with a gold top"},
         {3, "egg (yellow, speckled)"},
         {28, "key in a blue disc"},
     }},
     {{
         {34, 136, 549, 147}, // A
         {18, 360, 514, 3},   // B
     }},
     true},
};

inline constexpr int kGameCount = static_cast<int>(std::size(kGames));

namespace detail {
// A row's characters run without a gap from place 0, and every one has a code (codes start at
// 1). The hero picture is the same for every game, so within a layout only its place tells the
// games apart: no two games may share one.
constexpr bool gameRowsAreSound()
{
    for (const Game& game : kGames) {
        if (game.charCount() == 0)
            return false;
        for (int i = 0; i < kMaxChars; ++i) {
            const CharacterEntry& c = game.characters[static_cast<std::size_t>(i)];
            if ((i < game.charCount()) != (c.code != 0) || (i >= game.charCount() && c.shows))
                return false;
        }
    }
    for (int layout = 0; layout < kLayoutCount; ++layout)
        for (int a = 0; a < kGameCount; ++a)
            for (int b = a + 1; b < kGameCount; ++b) {
                const WindowPlaces& p = kGames[a].window[static_cast<std::size_t>(layout)];
                const WindowPlaces& q = kGames[b].window[static_cast<std::size_t>(layout)];
                if (p.heroRight == q.heroRight && p.heroDown == q.heroDown)
                    return false;
            }
    return true;
}
} // namespace detail
static_assert(detail::gameRowsAreSound(), "a row of kGames is malformed");

// Number of characters of each game, by game selector index.
inline constexpr std::array<std::uint8_t, kGameCount> char_count = [] {
    std::array<std::uint8_t, kGameCount> counts{};
    for (int g = 0; g < kGameCount; ++g)
        counts[static_cast<std::size_t>(g)] = static_cast<std::uint8_t>(kGames[g].charCount());
    return counts;
}();

// Items of the game selector, in selector order.
const QStringList& gameNames();

// The game's own code of a character, 0 for a place after the game's last character.
inline std::uint8_t pcRef(int game, int character)
{
    return kGames[game].characters[static_cast<std::size_t>(character)].code;
}

// True when the game draws maps smaller than 32 x 32; false for an unknown game.
inline bool hasSmallMaps(int game)
{
    return game >= 0 && game < kGameCount && kGames[game].smallMaps;
}

// The game a map smaller than the full view must come from: `game` itself when it has such
// maps, otherwise the first game that has them.
int smallMapGame(int game);

// Colour scheme names, by colour selector index.
inline constexpr std::array<const char*, kColourCount> colour_names{"Blue",    "Cyan",   "Green",
                                                                    "Magenta", "Orange", "Red"};

// Swatch of each scheme as a colour value: blue * 65536 + green * 256 + red.
inline constexpr std::array<std::uint32_t, kColourCount> colour_swatch{
    0xFF0000, 0xFFFF00, 0x00FF00, 0xFF00FF, 0x0099FF, 0x0000FF};

inline QString colourName(int colour)
{
    return QString::fromLatin1(colour_names[static_cast<std::size_t>(colour)]);
}

// What character `character` of a game shows, as a player would name it; empty outside the set.
QString characterDescription(int game, int character);

// Name of an atlas resource, e.g. "R2_Magenta_Map_Atlas". Resource lookups ignore case.
QString atlasName(int game, int colour, bool fullsize);

} // namespace vt
