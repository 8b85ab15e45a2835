#include "charsets/GameTables.h"

namespace vt {

namespace {
const char* const kGame1[] = {
    "blank (black)",
    "diamond",
    "egg (white)",
    "brick wall",
    "brick wall, rounded top-left corner",
    "brick wall, rounded top-right corner",
    "brick wall, rounded bottom-left corner",
    "brick wall, rounded bottom-right corner",
    "brick wall, edged on the left",
    "brick wall, edged on the right",
    "brick wall, edged on top",
    "brick wall, edged at the bottom",
    "safe",
    "two upright rounded brick pillars",
    "earth",
    "earth, second pattern",
    "green speckled ground",
    "gold bars",
    "smooth wall, edged on top",
    "smooth wall, edged at the bottom",
    "four rounded brick blocks",
    "smooth wall, edged on the left",
    "smooth wall, edged on the right",
    "key",
    "smooth wall",
    "smooth wall, rounded top-left corner",
    "smooth wall, rounded top-right corner",
    "smooth wall, rounded bottom-left corner",
    "smooth wall, rounded bottom-right corner",
    "two flat rounded brick blocks, one above the other",
    "the Vorlan (hero figure)",
    "rock (boulder)",
    "wall of small blocks",
};

const char* const kGame2[] = {
    "blank (black)",
    "diamond",
    "rock (boulder)",
    "egg (white)",
    "safe",
    "key",
    "blue glowing cloud",
    "cage holding a diamond, with a padlock",
    "four rounded square blocks",
    "brick wall",
    "brick wall, rounded top-left corner",
    "brick wall, rounded top-right corner",
    "brick wall, edged on the left",
    "brick wall, edged on the right",
    "brick wall, edged on top",
    "brick wall, edged at the bottom",
    "brick wall, rounded bottom-left corner",
    "brick wall, rounded bottom-right corner",
    "earth crossed by black tracks",
    "earth with curved black tracks",
    "earth with curved black tracks, second arrangement",
    "dotted wall",
    "dotted wall, rounded top-left corner",
    "dotted wall, rounded top-right corner",
    "concentric coloured squares",
    "the Vorlan (hero figure)",
    "orange octagonal tile with a red and yellow lozenge",
    "skull",
    "dotted wall, rounded bottom-left corner",
    "dotted wall, rounded bottom-right corner",
    "orange disc",
    "second skull",
    "brick wall with a gold top",
    "egg (yellow, speckled)",
    "key in a blue disc",
};
} // namespace

QString characterDescription(int game, int character)
{
    if (character < 0 || character >= char_count[static_cast<std::size_t>(game)])
        return {};
    return QString::fromLatin1(game == 0 ? kGame1[character] : kGame2[character]);
}

QString atlasName(int game, int colour, bool fullsize)
{
    return QStringLiteral("R%1_%2%3_Atlas")
        .arg(game + 1)
        .arg(colourName(colour), fullsize ? QString() : QStringLiteral("_Map"));
}

} // namespace vt
