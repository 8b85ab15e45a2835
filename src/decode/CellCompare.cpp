#include "decode/CellCompare.h"

#include "pictures/Halftone.h"
#include "pictures/BmpByteImage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace vt {

namespace {

using PaletteBytes = std::array<uchar, kBmpPaletteSize>;
using DiffTable = std::vector<quint16>; // [candidate byte * 256 + cell byte]

constexpr std::size_t kTableSize = 256 * 256;

quint32 colourOf(const uchar* palette, uchar entry)
{
    const uchar* p = palette + 4 * entry;
    return quint32(p[0]) << 16 | quint32(p[1]) << 8 | quint32(p[2]);
}

// The image's 1,024 palette bytes; a short image gets a zero-padded copy in `scratch`.
const uchar* paletteOf(const QByteArray& image, PaletteBytes& scratch)
{
    const auto* d = reinterpret_cast<const uchar*>(image.constData());
    if (static_cast<quint32>(image.size()) >= kBmpPixelOffset)
        return d + kBmpPaletteOffset;
    scratch.fill(0);
    if (static_cast<quint32>(image.size()) > kBmpPaletteOffset)
        std::memcpy(scratch.data(), d + kBmpPaletteOffset, image.size() - kBmpPaletteOffset);
    return scratch.data();
}

const PaletteBytes& halftonePaletteBytes()
{
    static const PaletteBytes bytes = [] {
        PaletteBytes b{};
        const auto& entries = halftoneEntries();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            b[4 * i] = entries[i].blue;
            b[4 * i + 1] = entries[i].green;
            b[4 * i + 2] = entries[i].red;
        }
        return b;
    }();
    return bytes;
}

bool isHalftone(const uchar* palette)
{
    return std::memcmp(palette, halftonePaletteBytes().data(), kBmpPaletteSize) == 0;
}

// Every caller in practice compares halftone pictures with halftone pictures: that table is
// built once and shared read-only.
const DiffTable& halftoneTable()
{
    static const DiffTable table = [] {
        DiffTable t(kTableSize);
        const uchar* p = halftonePaletteBytes().data();
        for (int c = 0; c < 256; ++c)
            for (int m = 0; m < 256; ++m)
                t[c * 256 + m] = static_cast<quint16>(
                    Diff(colourOf(p, static_cast<uchar>(c)), colourOf(p, static_cast<uchar>(m))));
        return t;
    }();
    return table;
}

// Any other pair of palettes: one table per thread for the last pair seen, filled on demand
// (0 marks an entry not computed yet; a similarity is never below 86).
struct OtherPairTable
{
    PaletteBytes candidate{};
    PaletteBytes cell{};
    bool valid = false;
    DiffTable table = DiffTable(kTableSize, 0);

    void use(const uchar* candidatePalette, const uchar* cellPalette)
    {
        if (valid && std::memcmp(candidate.data(), candidatePalette, kBmpPaletteSize) == 0 &&
            std::memcmp(cell.data(), cellPalette, kBmpPaletteSize) == 0)
            return;
        std::memcpy(candidate.data(), candidatePalette, kBmpPaletteSize);
        std::memcpy(cell.data(), cellPalette, kBmpPaletteSize);
        std::fill(table.begin(), table.end(), quint16(0));
        valid = true;
    }

    quint16 operator()(uchar c, uchar m)
    {
        quint16& v = table[std::size_t(c) << 8 | m];
        if (v == 0)
            v = static_cast<quint16>(Diff(colourOf(candidate.data(), c), colourOf(cell.data(), m)));
        return v;
    }
};

// Sum of the similarities over byte positions from..max(length)-1; where one image is shorter,
// its missing bytes count as 0.
template <class Lookup>
quint64 totalOf(const QByteArray& candidate, const QByteArray& cell, quint32 from, Lookup&& diff)
{
    const auto* a = reinterpret_cast<const uchar*>(candidate.constData());
    const auto* b = reinterpret_cast<const uchar*>(cell.constData());
    const std::size_t lenA = static_cast<std::size_t>(candidate.size());
    const std::size_t lenB = static_cast<std::size_t>(cell.size());
    const std::size_t common = std::min(lenA, lenB);
    quint64 sum = 0;
    std::size_t j = from;
    for (; j < common; ++j)
        sum += diff(a[j], b[j]);
    for (; j < lenA; ++j)
        sum += diff(a[j], 0);
    for (; j < lenB; ++j)
        sum += diff(0, b[j]);
    return sum;
}

} // namespace

quint32 GetRGB(quint8 colour, const QByteArray& data)
{
    const qsizetype at = kBmpPaletteOffset + 4 * qsizetype(colour);
    const auto* d = reinterpret_cast<const uchar*>(data.constData());
    if (data.size() >= at + 3)
        return quint32(d[at]) << 16 | quint32(d[at + 1]) << 8 | quint32(d[at + 2]);
    const auto byte = [&](qsizetype i) { return i < data.size() ? quint32(d[i]) : 0u; };
    return byte(at) << 16 | byte(at + 1) << 8 | byte(at + 2);
}

quint32 Diff(quint32 a, quint32 b)
{
    const double dR = double(int(b & 0xFF) - int(a & 0xFF));
    const double dG = double(int((b >> 8) & 0xFF) - int((a >> 8) & 0xFF));
    const double dB = double(int((b >> 16) & 0xFF) - int((a >> 16) & 0xFF));
    const double r = 0.299 * dR;
    const double g = 0.587 * dG;
    const double bl = 0.114 * dB;
    const double distance = std::sqrt(r * r + g * g + bl * bl);
    return 256u - static_cast<quint32>(std::nearbyint(distance));
}

int pixelMatchPercent(quint32 a, quint32 b)
{
    return static_cast<int>(std::nearbyint(double(Diff(a, b)) / 256.0 * 100.0));
}

namespace {

quint8 scoreOf(quint64 best, quint32 perfect)
{
    if (perfect == 0)
        return 0;
    const double score = std::nearbyint(double(best) / double(perfect) * 100.0);
    return static_cast<quint8>(std::clamp(score, 0.0, 255.0));
}

// Every candidate scored in order, the first one with the best total kept; the search ends at
// the first perfect total. `candidateHalftone` (when known) says which candidates hold the
// halftone palette.
quint8 compareInOrder(const std::vector<QByteArray>& bmp_com, const QByteArray& bmp_map, int& bigch,
                      quint32 w, quint32 h, bool allCandidatesHalftone)
{
    bigch = 0;
    const quint32 perfect = w * h * 256u;
    const quint32 s = OffBits(bmp_map);

    PaletteBytes cellScratch;
    PaletteBytes candidateScratch;
    const uchar* cellPalette = paletteOf(bmp_map, cellScratch);
    const bool cellIsHalftone = isHalftone(cellPalette);
    const quint16* halftone = cellIsHalftone ? halftoneTable().data() : nullptr;

    quint64 best = 0;
    for (std::size_t k = 0; k < bmp_com.size(); ++k) {
        const QByteArray& candidate = bmp_com[k];
        const uchar* candidatePalette = paletteOf(candidate, candidateScratch);
        quint64 total;
        if (halftone && (allCandidatesHalftone || isHalftone(candidatePalette))) {
            total = totalOf(candidate, bmp_map, s,
                            [halftone](uchar c, uchar m) { return halftone[c << 8 | m]; });
        } else {
            thread_local OtherPairTable other;
            other.use(candidatePalette, cellPalette);
            total = totalOf(candidate, bmp_map, s, other);
        }
        if (total > best) {
            best = total;
            bigch = static_cast<int>(k);
        }
        if (best == perfect)
            break;
    }
    return scoreOf(best, perfect);
}

// How many of the n bytes at a and b are equal, eight at a time.
std::size_t equalBytes(const uchar* a, const uchar* b, std::size_t n)
{
    constexpr quint64 low7 = 0x7F7F7F7F7F7F7F7Full;
    std::size_t equal = 0;
    std::size_t j = 0;
    for (; j + 8 <= n; j += 8) {
        quint64 x;
        quint64 y;
        std::memcpy(&x, a + j, 8);
        std::memcpy(&y, b + j, 8);
        const quint64 d = x ^ y;
        // The high bit of each byte of `nonzero` is set where that byte of d is not zero.
        const quint64 nonzero = ((d & low7) + low7) | d;
        // One bit per equal byte, at the bottom of its byte; the multiply sums them in the top.
        const quint64 bits = (~nonzero & ~low7) >> 7;
        equal += std::size_t((bits * 0x0101010101010101ull) >> 56);
    }
    for (; j < n; ++j)
        equal += a[j] == b[j];
    return equal;
}

// The decoding pass's case: halftone pictures of one size whose compared bytes cannot total
// more than a perfect match (no row padding). The search above then yields the first candidate
// with the highest total, which this finds without scoring every byte of every candidate: a
// candidate is dropped as soon as its total can no longer reach a total already known to be
// reached. The likeliest candidate (the one with the most equal bytes) is scored first, so that
// the others are dropped early. Same result, to the index and the score.
quint8 compareFirstBest(const std::vector<QByteArray>& bmp_com, const QByteArray& bmp_map,
                        int& bigch, quint32 perfect, quint32 s)
{
    const quint16* table = halftoneTable().data();
    const auto* cell = reinterpret_cast<const uchar*>(bmp_map.constData()) + s;
    const std::size_t n = std::size_t(bmp_map.size()) - s;
    const std::size_t count = bmp_com.size();
    const auto pixelsOf = [&](std::size_t k) {
        return reinterpret_cast<const uchar*>(bmp_com[k].constData()) + s;
    };
    const auto totalOf = [&](std::size_t k) {
        const uchar* a = pixelsOf(k);
        quint64 sum = 0;
        for (std::size_t j = 0; j < n; ++j)
            sum += table[a[j] << 8 | cell[j]];
        return sum;
    };

    // The likeliest candidate: an exact copy, else the one with the most equal bytes.
    std::size_t seed = count;
    for (std::size_t k = 0; k < count && seed == count; ++k)
        if (std::memcmp(pixelsOf(k), cell, n) == 0)
            seed = k;
    if (seed == count) {
        seed = 0;
        std::size_t seedEqual = 0;
        for (std::size_t k = 0; k < count; ++k) {
            const std::size_t equal = equalBytes(pixelsOf(k), cell, n);
            if (equal > seedEqual) {
                seed = k;
                seedEqual = equal;
            }
        }
    }
    const quint64 seedTotal = totalOf(seed);
    const quint64 most = quint64(n) * 256u; // the highest total any candidate can reach

    quint64 best = 0; // the best total of the candidates scored in full, in order
    bigch = 0;
    for (std::size_t k = 0; k < count; ++k) {
        quint64 total;
        if (k == seed) {
            total = seedTotal;
        } else {
            // Below the bound the candidate cannot be first best: the seed, or an earlier
            // candidate, reaches more.
            const quint64 bound = std::max(best, seedTotal);
            const uchar* a = pixelsOf(k);
            quint64 sum = 0;
            quint64 left = most; // what the bytes not yet scored can add at most
            std::size_t j = 0;
            for (; j < n; ++j) {
                const quint16 similarity = table[a[j] << 8 | cell[j]];
                sum += similarity;
                left -= 256;
                if (sum + left < bound)
                    break;
            }
            if (j < n)
                continue;
            total = sum;
        }
        if (total > best || k == 0) {
            best = total;
            bigch = static_cast<int>(k);
        }
        if (best == most)
            break;
    }
    return scoreOf(best, perfect);
}

} // namespace

quint8 CompareBitmaps(const std::vector<QByteArray>& bmp_com, const QByteArray& bmp_map, int& bigch,
                      quint32 w, quint32 h)
{
    return CompareCandidates(bmp_com).compare(bmp_map, bigch, w, h);
}

CompareCandidates::CompareCandidates(const std::vector<QByteArray>& bmp_com) : m_candidates(bmp_com)
{
    PaletteBytes scratch;
    m_allHalftone = std::all_of(bmp_com.begin(), bmp_com.end(), [&](const QByteArray& candidate) {
        return isHalftone(paletteOf(candidate, scratch));
    });
}

quint8 CompareCandidates::compare(const QByteArray& bmp_map, int& bigch, quint32 w, quint32 h) const
{
    const quint32 perfect = w * h * 256u;
    const quint32 s = OffBits(bmp_map);
    const qsizetype size = bmp_map.size();
    const bool sameSizes =
        std::all_of(m_candidates.begin(), m_candidates.end(),
                    [size](const QByteArray& candidate) { return candidate.size() == size; });
    PaletteBytes scratch;
    if (m_allHalftone && !m_candidates.empty() && perfect > 0 && sameSizes &&
        qsizetype(s) <= size && quint64(size - s) <= quint64(w) * h &&
        isHalftone(paletteOf(bmp_map, scratch)))
        return compareFirstBest(m_candidates, bmp_map, bigch, perfect, s);
    return compareInOrder(m_candidates, bmp_map, bigch, w, h, m_allHalftone);
}

} // namespace vt
