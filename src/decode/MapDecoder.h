// The decoding pass: every cell of the grid scored against the game's characters, the decoded
// map, and the converted map picture drawn with full-size characters.
#pragma once

#include "decode/DecodedMap.h"
#include "pictures/GridGeometry.h"
#include "settings/Defaults.h"

#include <QColor>
#include <QImage>

#include <functional>
#include <vector>

namespace vt {

inline constexpr int kFullSize = 64;          // pixels per cell of the converted map
inline constexpr int kMapDotsPerMeter = 3780; // 96 dots per inch, recorded in the map's files

struct DecodeInput
{
    const QImage* working = nullptr;    // the grab at 8 bits, halftone palette
    const QImage* fullcolour = nullptr; // the grab in full colour
    GridGeometry grid;
    const std::vector<QImage>* mapsize = nullptr;  // the candidates, 16 x 15, 8 bits
    const std::vector<QImage>* fullsize = nullptr; // 64 x 64 pictures drawn for matched cells
    const QImage* puzzle = nullptr; // 64 x 64, drawn for unmatched cells when puzzpiece
    quint8 prob_match = regdefault::ProbMatch;
    bool puzzpiece = false;
};

// How much to trust a near-tie: a runner-up within this many points of the best score.
inline constexpr int kNearTiePoints = 2;

struct DecodeResult
{
    DecodedMap decoded;
    QImage picture; // 64 x grab_width by 64 x grab_height, 32 bits
    // The same map at 8 bits a pixel with its own colours, in the order they were met: pixel for
    // pixel `picture`, drawn beside it from the colours of the characters and cells drawn, so
    // that a PNG or GIF file takes its indices without a look-up per pixel. Null when the map
    // has more than 256 colours (cells copied from a grab in full colour).
    QImage indexed;

    // How sure the pass was, beside the accuracy. The mean of every cell's best score, matched
    // or not (0 to 100).
    double meanBestScore = 0;
    // Cells whose best score is below 100 with a runner-up within kNearTiePoints of it: a
    // speck could have tipped them to another character. Their share of all cells, 0 to 1.
    quint32 nearTies = 0;
    double nearTieShare = 0;
};

// Runs the pass. `progress` (may be empty) gets the percentage done each time it changes.
// Cells reaching past the grab's edge are scored and drawn like any other, with black there.
DecodeResult decodeMap(const DecodeInput& input, const std::function<void(int)>& progress = {});

// Redraws `area` of `indexed` (the converted map at 8 bits, as DecodeResult::indexed) from
// the pixels of `picture` (the converted map) there, adding the colours its table lacks. False
// when they would take the table past 256 colours, or the two pictures do not fit each other:
// `indexed` is then no longer `picture` and must be dropped.
bool indexMapArea(QImage& indexed, const QImage& picture, const QRect& area);

// The grab's own pixels of a cell, as an unmatched cell shows them: 16 x 15 enlarged to
// 32 x 32, then to 64 x 64, both by pixel replication.
QImage enlargedCell(const QImage& fullcolour, const QRect& cell, int size);

// 100 minus the share of unmatched cells, in whole percent (halves to even).
int accuracyPercent(quint32 errors, int columns, int rows);

// The colour band of an accuracy: red below 25, magenta to 49, yellow to 74, green above.
QColor accuracyColour(int accuracy);

} // namespace vt
