#include "DamagedSettings.h"

#include "settings/RegUtils.h"

namespace vt::test {

StartupValues runStartupReads()
{
    StartupValues values;
    values.flags = GetRegInteger(reg::Flags, regdefault::Flags);
    values.probMatch = GetRegInteger(reg::ProbMatch, regdefault::ProbMatch);
    values.pixelMatch = GetRegInteger(reg::PixelMatch, regdefault::PixelMatch);
    values.vorlanMatch = GetRegInteger(reg::VorlanMatch, regdefault::VorlanMatch);
    values.mapName = GetRegString(reg::MapName, regdefault::MapName);
    values.charRef = GetRegInteger(reg::CharRef, regdefault::CharRef);
    return values;
}

} // namespace vt::test
