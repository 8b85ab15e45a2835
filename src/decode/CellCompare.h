// How alike two small pictures are: colour similarity with luminance weights, summed per pixel
// over two BMP byte images.
#pragma once

#include "pictures/BmpByteImage.h"

#include <QByteArray>
#include <QtGlobal>

#include <vector>

namespace vt {

// Similarity of two colour values: 256 - Round(weighted distance), 86 (black against white) to
// 256 (identical).
quint32 Diff(quint32 a, quint32 b);

// Round(Diff(a, b) / 256 * 100): how alike two single pixels are, in percent.
int pixelMatchPercent(quint32 a, quint32 b);

// Scores `bmp_map` against every candidate in order and returns the best score,
// Round(best total / (w * h * 256) * 100) (above 100 when rows carry padding bytes), with the
// best candidate's index in `bigch`. The first candidate with the best total wins; the search
// stops at the first perfect total. A byte present in only one of two images of different
// lengths is compared as 0 on the other side.
quint8 CompareBitmaps(const std::vector<QByteArray>& bmp_com, const QByteArray& bmp_map, int& bigch,
                      quint32 w, quint32 h);

// The same comparison with the candidates prepared once for many cells (the decoding pass):
// their palettes are looked at here, not for every cell. Holds on to `bmp_com`, which must
// outlive it unchanged.
class CompareCandidates
{
public:
    explicit CompareCandidates(const std::vector<QByteArray>& bmp_com);

    // CompareBitmaps(bmp_com, bmp_map, bigch, w, h), to the same result.
    quint8 compare(const QByteArray& bmp_map, int& bigch, quint32 w, quint32 h) const;

    // The highest score of the candidates other than `bigch`, when it reaches `floor`; -1 when
    // none does (or there is no other candidate). A candidate is dropped as soon as it can no
    // longer reach `floor` or an earlier runner-up, so a high floor keeps this cheap.
    int runnerUpScore(const QByteArray& bmp_map, int bigch, quint32 w, quint32 h,
                      quint8 floor) const;

private:
    // The decoding pass's case, which the early drop serves: halftone pictures of one size
    // without row padding.
    bool preparedPathFits(const QByteArray& bmp_map, quint32 w, quint32 h) const;

    const std::vector<QByteArray>& m_candidates;
    bool m_allHalftone = false; // every candidate holds the halftone palette
};

} // namespace vt
