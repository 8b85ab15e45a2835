// The stored preferences as one value: what a session works with and what the bulk run writes.
// The window and the command line read them through the same function, the one place that
// knows how each stored value becomes a preference.
#pragma once

#include "export/SaveMap.h"
#include "intake/GridLocator.h"
#include "settings/Defaults.h"

#include <QString>

namespace vt {

struct Preferences
{
    Thresholds thresholds; // prob_match, pix_match, vorlan_match
    bool puzzpiece = false;
    int charRef = regdefault::CharRef; // kCharRefAtlas or kCharRefPc
    SaveChoices bulkOutputs;           // "Flags" bits 0..4, the bulk run's outputs
    QString pattern = regdefault::MapName;

    Preferences();
};

enum class StoreAccess
{
    // The window's start-up: a missing value is written with its default, a threshold outside
    // 0..100 and a code choice outside its two items are stored back as the value used.
    Repair,
    // The command line: nothing is written, the store is left as it was.
    ReadOnly,
};

Preferences readPreferences(StoreAccess access);

// The "Flags" value for these bulk outputs and puzzle-piece choice.
qint32 flagsValue(const SaveChoices& bulkOutputs, bool puzzpiece);

} // namespace vt
