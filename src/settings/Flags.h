// Bits of the "Flags" setting: the bulk run's five outputs and the puzzle-piece choice.
#pragma once

#include <QtGlobal>

namespace vt {

enum FlagBit : quint8
{
    FlagSaveBmp = 0,
    FlagSaveGif = 1,
    FlagSavePng = 2,
    FlagSaveJpeg = 3,
    FlagSaveCsv = 4,
    FlagPuzzlePiece = 5,
};

// False for bit numbers of 32 and above.
bool IsBitSet(qint32 v, quint8 b);

// 1 << bit when setit and bit < 32, else 0; callers OR the results together.
qint32 SetBit(quint8 bit, bool setit);

// Thresholds are whole percentages; a stored value outside 0..100 is brought into range.
quint8 clampPercent(qint32 stored);

} // namespace vt
