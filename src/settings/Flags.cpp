#include "settings/Flags.h"

#include <algorithm>

namespace vt {

bool IsBitSet(qint32 v, quint8 b)
{
    if (b >= 32)
        return false;
    return (static_cast<quint32>(v) >> b) & 1u;
}

qint32 SetBit(quint8 bit, bool setit)
{
    if (!setit || bit >= 32)
        return 0;
    return static_cast<qint32>(1u << bit);
}

quint8 clampPercent(qint32 stored)
{
    return static_cast<quint8>(std::clamp<qint32>(stored, 0, 100));
}

} // namespace vt
