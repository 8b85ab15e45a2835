// The cell comparison written out literally, one palette look-up and one square root per byte,
// the search ending at the first perfect total: the reference that the table-driven
// CompareBitmaps must agree with (tests) and is measured against (benchmarks).
#pragma once

#include "pictures/BmpByteImage.h"

#include <QByteArray>

#include <algorithm>
#include <cmath>
#include <vector>

namespace vt::test::literal {

// A byte beyond the end of an image counts as 0.
inline quint32 getRGB(quint8 colour, const QByteArray& data)
{
    const auto byte = [&](int i) { return i < data.size() ? quint32(quint8(data[i])) : 0u; };
    return byte(54 + 4 * colour) * 65536 + byte(55 + 4 * colour) * 256 + byte(56 + 4 * colour);
}

inline quint32 diff(quint32 a, quint32 b)
{
    const int dR = int(b & 0xFF) - int(a & 0xFF);
    const int dG = int((b >> 8) & 0xFF) - int((a >> 8) & 0xFF);
    const int dB = int((b >> 16) & 0xFF) - int((a >> 16) & 0xFF);
    const double distance =
        std::sqrt(std::pow(0.299 * dR, 2) + std::pow(0.587 * dG, 2) + std::pow(0.114 * dB, 2));
    return 256 - quint32(std::nearbyint(distance));
}

// `scored`, when given, counts the candidates scored before the search ended.
inline quint8 compareBitmaps(const std::vector<QByteArray>& com, const QByteArray& map, int& bigch,
                             quint32 w, quint32 h, int* scored = nullptr)
{
    const quint32 perfect = w * h * 256;
    const quint32 s = OffBits(map);
    quint64 best = 0;
    bigch = 0;
    if (scored)
        *scored = 0;
    for (std::size_t k = 0; k < com.size(); ++k) {
        if (scored)
            ++*scored;
        const int n = std::max(com[k].size(), map.size());
        quint64 total = 0;
        for (int j = int(s); j < n; ++j) {
            const quint8 a = j < com[k].size() ? quint8(com[k][j]) : 0;
            const quint8 b = j < map.size() ? quint8(map[j]) : 0;
            total += diff(getRGB(a, com[k]), getRGB(b, map));
        }
        if (total > best) {
            best = total;
            bigch = int(k);
        }
        if (best == perfect)
            break;
    }
    // Narrow rows carry more padding than pixels (a 1-pixel row scores up to 400): saturate.
    return quint8(std::min(255.0, std::nearbyint(double(best) / double(perfect) * 100)));
}

} // namespace vt::test::literal
