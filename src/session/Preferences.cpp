#include "session/Preferences.h"

#include "export/OutputFormats.h"
#include "settings/Flags.h"
#include "settings/RegUtils.h"

#include <algorithm>

namespace vt {

Preferences::Preferences() : bulkOutputs(formatsOfFlags(regdefault::Flags)) {}

Preferences readPreferences(StoreAccess access)
{
    const bool repair = access == StoreAccess::Repair;
    const auto integer = [repair](const QString& name, qint32 def) {
        return repair ? GetRegInteger(name, def) : PeekRegInteger(name, def);
    };
    // A value outside its range is used, and in the window stored back, as the nearer end.
    const auto ranged = [&](const QString& name, qint32 def, qint32 low, qint32 high) {
        const qint32 stored = integer(name, def);
        const qint32 used = std::clamp(stored, low, high);
        if (repair && used != stored)
            SetRegInteger(name, used);
        return used;
    };

    Preferences prefs;
    const qint32 flags = integer(reg::Flags, regdefault::Flags);
    prefs.bulkOutputs = formatsOfFlags(flags);
    prefs.puzzpiece = IsBitSet(flags, FlagPuzzlePiece);
    prefs.thresholds.prob_match = quint8(ranged(reg::ProbMatch, regdefault::ProbMatch, 0, 100));
    prefs.thresholds.pix_match = quint8(ranged(reg::PixelMatch, regdefault::PixelMatch, 0, 100));
    prefs.thresholds.vorlan_match =
        quint8(ranged(reg::VorlanMatch, regdefault::VorlanMatch, 0, 100));
    prefs.pattern = repair ? GetRegString(reg::MapName, regdefault::MapName)
                           : PeekRegString(reg::MapName, regdefault::MapName);
    prefs.charRef = ranged(reg::CharRef, regdefault::CharRef, 0, 1);
    return prefs;
}

qint32 flagsValue(const SaveChoices& bulkOutputs, bool puzzpiece)
{
    return flagsOf(bulkOutputs) | SetBit(FlagPuzzlePiece, puzzpiece);
}

} // namespace vt
