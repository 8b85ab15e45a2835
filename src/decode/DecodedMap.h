// The result of a decoding pass: one character index per cell, -1 where nothing matched.
#pragma once

#include <QtGlobal>

#include <vector>

namespace vt {

struct DecodedMap
{
    // Indexed [column][row].
    std::vector<std::vector<qint32>> map;
    quint32 errors = 0;

    int columns() const { return static_cast<int>(map.size()); }
    int rows() const { return map.empty() ? 0 : static_cast<int>(map.front().size()); }
    bool isEmpty() const { return map.empty(); }

    void reset(int columns, int rows)
    {
        map.assign(static_cast<std::size_t>(columns),
                   std::vector<qint32>(static_cast<std::size_t>(rows), 0));
        errors = 0;
    }
};

} // namespace vt
