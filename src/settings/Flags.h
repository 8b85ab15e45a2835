// Bits of the "Flags" setting. Bits 0 to 4 are the bulk run's outputs, whose bit numbers sit
// in the output table beside the rest of what names an output (export/OutputFormats.h); bit 5
// is the puzzle-piece choice.
#pragma once

#include <QtGlobal>

namespace vt {

inline constexpr quint8 FlagPuzzlePiece = 5;

// False for bit numbers of 32 and above.
bool IsBitSet(qint32 v, quint8 b);

// 1 << bit when setit and bit < 32, else 0; callers OR the results together.
qint32 SetBit(quint8 bit, bool setit);

// Thresholds are whole percentages; a stored value outside 0..100 is brought into range.
quint8 clampPercent(qint32 stored);

} // namespace vt
