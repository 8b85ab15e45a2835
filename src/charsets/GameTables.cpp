#include "charsets/GameTables.h"

namespace vt {

// The build embeds the atlases of the games listed in resources/CMakeLists.txt.
#ifdef VT_SHIPPED_GAMES
static_assert(kGameCount == VT_SHIPPED_GAMES,
              "resources/CMakeLists.txt ships the atlases of a different number of games");
#endif

const QStringList& gameNames()
{
    static const QStringList names = [] {
        QStringList list;
        for (const Game& game : kGames)
            list << QString::fromLatin1(game.name);
        return list;
    }();
    return names;
}

int smallMapGame(int game)
{
    if (hasSmallMaps(game))
        return game;
    for (int g = 0; g < kGameCount; ++g)
        if (kGames[g].smallMaps)
            return g;
    return game;
}

QString characterDescription(int game, int character)
{
    if (game < 0 || game >= kGameCount || character < 0 || character >= kGames[game].charCount())
        return {};
    return QString::fromLatin1(kGames[game].characters[static_cast<std::size_t>(character)].shows);
}

QString atlasName(int game, int colour, bool fullsize)
{
    return QStringLiteral("R%1_%2%3_Atlas")
        .arg(game + 1)
        .arg(colourName(colour), fullsize ? QString() : QStringLiteral("_Map"));
}

} // namespace vt
