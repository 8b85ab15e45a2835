#include "charsets/GameTables.h"

namespace vt {

QString atlasName(int game, int colour, bool fullsize)
{
    return QStringLiteral("R%1_%2%3_Atlas")
        .arg(game + 1)
        .arg(colourName(colour), fullsize ? QString() : QStringLiteral("_Map"));
}

} // namespace vt
