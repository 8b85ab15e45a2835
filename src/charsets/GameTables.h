// The constant tables of the two games and the six colour schemes.
#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

namespace vt {

inline constexpr int kGameCount = 2;
inline constexpr int kColourCount = 6;
inline constexpr int kMaxChars = 35;

// Items of the game selector, in selector order.
inline const QStringList& gameNames()
{
    static const QStringList names{QStringLiteral("PC Vorlan 1"), QStringLiteral("PC Vorlan 2")};
    return names;
}

// Number of characters of each game, by game selector index.
inline constexpr std::array<std::uint8_t, kGameCount> char_count{33, 35};

// Colour scheme names, by colour selector index.
inline constexpr std::array<const char*, kColourCount> colour_names{"Blue",    "Cyan",   "Green",
                                                                    "Magenta", "Orange", "Red"};

// Swatch of each scheme as a colour value: blue * 65536 + green * 256 + red.
inline constexpr std::array<std::uint32_t, kColourCount> colour_swatch{
    0xFF0000, 0xFFFF00, 0x00FF00, 0xFF00FF, 0x0099FF, 0x0000FF};

// The game's own code of every character, game g and character i at g * 35 + i.
// Game 1 has 33 characters; its two trailing entries are never read.
inline constexpr std::array<std::uint8_t, kGameCount * kMaxChars> pc_ref{
    // PC Vorlan 1
    1, 2, 3, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 28, 29,
    30, 31, 32, 33, 34, 38, 6, 78, 0, 0,
    // PC Vorlan 2
    1, 2, 6, 3, 16, 28, 25, 29, 24, 7, 8, 9, 10, 13, 14, 15, 12, 11, 18, 19, 20, 22, 30, 31, 253,
    38, 80, 35, 32, 33, 78, 254, 5, 3, 28};

inline std::uint8_t pcRef(int game, int character)
{
    return pc_ref[static_cast<std::size_t>(game * kMaxChars + character)];
}

inline QString colourName(int colour)
{
    return QString::fromLatin1(colour_names[static_cast<std::size_t>(colour)]);
}

// What character `character` of a game shows, as a player would name it.
QString characterDescription(int game, int character);

// Name of an atlas resource, e.g. "R2_Magenta_Map_Atlas". Resource lookups ignore case.
QString atlasName(int game, int colour, bool fullsize);

} // namespace vt
