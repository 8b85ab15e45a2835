#include "decode/CellCompare.h"

#include "pictures/BmpByteImage.h"
#include "pictures/Halftone.h"

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

// The same as losses, 256 minus the similarity (at most 170), one byte each: half the size.
const std::vector<uchar>& halftoneLossTable()
{
    static const std::vector<uchar> table = [] {
        std::vector<uchar> t(kTableSize);
        const DiffTable& similarity = halftoneTable();
        for (std::size_t i = 0; i < kTableSize; ++i)
            t[i] = static_cast<uchar>(256 - similarity[i]);
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

// One candidate's total against the cell, every byte scored: through the shared table when both
// hold the halftone palette (`halftone` is that table when the cell does, else null; and
// `candidateHalftone` says the candidate is known to), else through the table of their pair.
quint64 candidateTotal(const QByteArray& candidate, const QByteArray& bmp_map, quint32 s,
                       const uchar* cellPalette, const quint16* halftone, bool candidateHalftone)
{
    PaletteBytes candidateScratch;
    const uchar* candidatePalette = paletteOf(candidate, candidateScratch);
    if (halftone && (candidateHalftone || isHalftone(candidatePalette)))
        return totalOf(candidate, bmp_map, s,
                       [halftone](uchar c, uchar m) { return halftone[c << 8 | m]; });
    thread_local OtherPairTable other;
    other.use(candidatePalette, cellPalette);
    return totalOf(candidate, bmp_map, s, other);
}

// The least total that scores `floor` or more (perfect > 0).
quint64 leastTotalScoring(quint8 floor, quint32 perfect)
{
    if (floor == 0)
        return 0;
    quint64 t = quint64(std::max(0.0, std::floor((floor - 0.5) * perfect / 100.0)));
    while (t > 0 && scoreOf(t - 1, perfect) >= floor)
        --t;
    while (scoreOf(t, perfect) < floor)
        ++t;
    return t;
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
    const uchar* cellPalette = paletteOf(bmp_map, cellScratch);
    const quint16* halftone = isHalftone(cellPalette) ? halftoneTable().data() : nullptr;

    quint64 best = 0;
    for (std::size_t k = 0; k < bmp_com.size(); ++k) {
        const quint64 total =
            candidateTotal(bmp_com[k], bmp_map, s, cellPalette, halftone, allCandidatesHalftone);
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

// What a candidate's n bytes lose against the cell's: n * 256 (a perfect total) minus the
// candidate's total, through the halftone loss table. Counted until it exceeds `allowed`, when the
// amount returned is only known to be above it. Equal bytes lose nothing, so words of eight
// equal bytes are passed over whole.
quint64 lossOf(const uchar* a, const uchar* cell, std::size_t n, const uchar* table,
               quint64 allowed)
{
    quint64 loss = 0;
    std::size_t j = 0;
    for (; j + 8 <= n; j += 8) {
        quint64 x;
        quint64 y;
        std::memcpy(&x, a + j, 8);
        std::memcpy(&y, cell + j, 8);
        if (x == y)
            continue;
        for (std::size_t b = j; b < j + 8; ++b)
            loss += table[a[b] << 8 | cell[b]];
        if (loss > allowed)
            return loss;
    }
    for (; j < n; ++j)
        loss += table[a[j] << 8 | cell[j]];
    return loss;
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
    const uchar* table = halftoneLossTable().data();
    const auto* cell = reinterpret_cast<const uchar*>(bmp_map.constData()) + s;
    const std::size_t n = std::size_t(bmp_map.size()) - s;
    const std::size_t count = bmp_com.size();
    const auto pixelsOf = [&](std::size_t k) {
        return reinterpret_cast<const uchar*>(bmp_com[k].constData()) + s;
    };
    const quint64 most = quint64(n) * 256u; // the highest total any candidate can reach

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
    const quint64 seedTotal = most - lossOf(pixelsOf(seed), cell, n, table, most);

    quint64 best = 0; // the best total of the candidates scored in full, in order
    bigch = 0;
    for (std::size_t k = 0; k < count; ++k) {
        quint64 total;
        if (k == seed) {
            total = seedTotal;
        } else {
            // Below the bound the candidate cannot be first best: the seed, or an earlier
            // candidate, reaches more.
            const quint64 allowed = most - std::max(best, seedTotal);
            const quint64 loss = lossOf(pixelsOf(k), cell, n, table, allowed);
            if (loss > allowed)
                continue;
            total = most - loss;
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

// The runner-up in the same case: candidates are dropped as soon as they can no longer reach
// the floor or beat the runner-up known so far (an equal total would score the same).
int runnerUpFirstBest(const std::vector<QByteArray>& bmp_com, const QByteArray& bmp_map, int bigch,
                      quint32 perfect, quint32 s, quint8 floor)
{
    const uchar* table = halftoneLossTable().data();
    const auto* cell = reinterpret_cast<const uchar*>(bmp_map.constData()) + s;
    const std::size_t n = std::size_t(bmp_map.size()) - s;
    const quint64 floorTotal = leastTotalScoring(floor, perfect);
    const quint64 most = quint64(n) * 256u;

    bool found = false;
    quint64 runnerUp = 0;
    for (std::size_t k = 0; k < bmp_com.size(); ++k) {
        if (int(k) == bigch)
            continue;
        const quint64 bound = found ? std::max(runnerUp + 1, floorTotal) : floorTotal;
        if (bound > most)
            break;
        const auto* a = reinterpret_cast<const uchar*>(bmp_com[k].constData()) + s;
        const quint64 loss = lossOf(a, cell, n, table, most - bound);
        if (loss > most - bound)
            continue;
        runnerUp = most - loss;
        found = true;
    }
    return found ? scoreOf(runnerUp, perfect) : -1;
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

bool CompareCandidates::preparedPathFits(const QByteArray& bmp_map, quint32 w, quint32 h) const
{
    const quint32 s = OffBits(bmp_map);
    const qsizetype size = bmp_map.size();
    const bool sameSizes =
        std::all_of(m_candidates.begin(), m_candidates.end(),
                    [size](const QByteArray& candidate) { return candidate.size() == size; });
    PaletteBytes scratch;
    return m_allHalftone && !m_candidates.empty() && w * h * 256u > 0 && sameSizes &&
           qsizetype(s) <= size && quint64(size - s) <= quint64(w) * h &&
           isHalftone(paletteOf(bmp_map, scratch));
}

quint8 CompareCandidates::compare(const QByteArray& bmp_map, int& bigch, quint32 w, quint32 h) const
{
    if (preparedPathFits(bmp_map, w, h))
        return compareFirstBest(m_candidates, bmp_map, bigch, w * h * 256u, OffBits(bmp_map));
    return compareInOrder(m_candidates, bmp_map, bigch, w, h, m_allHalftone);
}

int CompareCandidates::runnerUpScore(const QByteArray& bmp_map, int bigch, quint32 w, quint32 h,
                                     quint8 floor) const
{
    const quint32 perfect = w * h * 256u;
    const quint32 s = OffBits(bmp_map);
    if (perfect == 0) { // every score is 0
        const bool bigchIsOne = bigch >= 0 && std::size_t(bigch) < m_candidates.size();
        const bool other = m_candidates.size() > (bigchIsOne ? 1u : 0u);
        return other && floor == 0 ? 0 : -1;
    }
    if (preparedPathFits(bmp_map, w, h))
        return runnerUpFirstBest(m_candidates, bmp_map, bigch, perfect, s, floor);

    PaletteBytes cellScratch;
    const uchar* cellPalette = paletteOf(bmp_map, cellScratch);
    const quint16* halftone = isHalftone(cellPalette) ? halftoneTable().data() : nullptr;
    int runnerUp = -1;
    for (std::size_t k = 0; k < m_candidates.size(); ++k) {
        if (int(k) == bigch)
            continue;
        const quint64 total =
            candidateTotal(m_candidates[k], bmp_map, s, cellPalette, halftone, m_allHalftone);
        runnerUp = std::max(runnerUp, int(scoreOf(total, perfect)));
    }
    return runnerUp >= int(floor) ? runnerUp : -1;
}

} // namespace vt
