// The decoding pass: every cell of the grid scored against the game's characters, the decoded
// map, and the converted map picture drawn with full-size characters.
#pragma once

#include "decode/CellCompare.h"
#include "decode/CellsToCheck.h"
#include "decode/DecodedMap.h"
#include "pictures/GridGeometry.h"
#include "settings/Defaults.h"

#include <QColor>
#include <QImage>
#include <QPoint>

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

// What a cell of the converted map was drawn from, beside a character's index.
inline constexpr qint32 kDrawnOwnPixels = -1; // pixels of its own: the grab's, or a redrawn cell
inline constexpr qint32 kDrawnPuzzle = -2;    // the puzzle piece

// How much to trust a near-tie: a runner-up within this many points of the best score.
inline constexpr int kNearTiePoints = 2;

struct DecodeResult
{
    DecodedMap decoded;
    QImage picture; // 64 x grab_width by 64 x grab_height, 32 bits
    // What each cell was drawn from, row by row (row * columns + column): the character's
    // index, kDrawnPuzzle or kDrawnOwnPixels. indexedMap composes the map at 8 bits from it.
    std::vector<qint32> drawnFrom;

    // How sure the pass was, beside the accuracy. The mean of every cell's best score, matched
    // or not (0 to 100).
    double meanBestScore = 0;
    // Cells whose best score is below 100 with a runner-up within kNearTiePoints of it: a
    // speck could have tipped them to another character. Their share of all cells, 0 to 1.
    quint32 nearTies = 0;
    quint32 perfect = 0; // cells exactly a character (score 100)
    double nearTieShare = 0;
    // The unmatched cells and the matched near-ties, in reading order: what the player should
    // look at. An unmatched cell is listed as unmatched whatever its runner-up.
    CellsToCheck check;
};

// One character's score against a cell: its index in the character set and the score (0 to
// 100), as the decoding pass gives it.
struct CellCandidate
{
    int index = 0;
    int score = 0;
    friend bool operator==(const CellCandidate&, const CellCandidate&) = default;
};

// The comparison of the grid's cells with the characters, as the decoding pass makes it for a
// grab: the pass scores every cell through it, and the suggestions for a doubtful cell rank
// the characters through it, so whatever comparison a grab is decoded with, its suggestions
// follow. Reads `working`, `grid` and `mapsize` of the input, which must outlive it.
class CellScoring
{
public:
    explicit CellScoring(const DecodeInput& input);

    // The best score of cell (column, row) and the first character reaching it in `best`.
    quint8 best(int column, int row, int& best);
    // The best score of the characters other than `best`, when it reaches `floor`; else -1.
    int runnerUp(int column, int row, int best, quint8 floor);
    // Every character's score against the cell, best first (by index among equals); at most
    // `count`. Empty for a cell outside the grid.
    std::vector<CellCandidate> ranked(int column, int row, std::size_t count);

private:
    const QByteArray& cut(int column, int row);
    quint8 compare(const std::vector<QByteArray>& candidates, int& best);

    const DecodeInput& m_input;
    std::vector<QByteArray> m_candidates;
    CompareCandidates m_compare; // the candidates' palettes checked once
    QByteArray m_cell;
    QPoint m_cut{-1, -1}; // the cell held in m_cell
};

// Runs the pass. `progress` (may be empty) gets the percentage done each time it changes.
// Cells reaching past the grab's edge are scored and drawn like any other, with black there.
DecodeResult decodeMap(const DecodeInput& input, const std::function<void(int)>& progress = {});

// The converted map of a map made elsewhere (a table read back), drawn as the pass draws it:
// a cell of character i from (*input.fullsize)[i]; an unmatched cell (negative) from the grab's
// own pixels, or as the puzzle piece with `puzzpiece`, and always so without a full-colour
// grab. Only `fullsize`, `puzzle`, `puzzpiece`, `fullcolour` (may be null) and `grid` are
// read; the cells to check are the unmatched ones. `decoded` must hold only characters of
// `fullsize` and negatives.
DecodeResult drawMap(const DecodedMap& decoded, const DecodeInput& input);

// The converted map `picture` at 8 bits a pixel with its own colours, in the order met, pixel
// for pixel, composed cell by cell as DecodeResult::drawnFrom tells (64 x 64 pixels a cell):
// the first cell drawn from a character or the puzzle piece is looked up and the others copy
// its entries, so only those and the cells of pixels of their own are read, and those only
// where a pixel differs from the one before or the row above. No look-up per pixel, as the
// PNG and GIF files want. `drawnFrom` must tell the picture as it is (cells drawn from the same
// source hold the same pixels). Null when the map has more than 256 colours or `drawnFrom`
// does not hold one entry per cell.
QImage indexedMap(const QImage& picture, const std::vector<qint32>& drawnFrom);

// The grab's own pixels of a cell, as an unmatched cell shows them: 16 x 15 enlarged to
// 32 x 32, then to 64 x 64, both by pixel replication.
QImage enlargedCell(const QImage& fullcolour, const QRect& cell, int size);

// 100 minus the share of unmatched cells, in whole percent (halves to even).
int accuracyPercent(quint32 errors, int columns, int rows);

// The colour band of an accuracy: red below 25, magenta to 49, yellow to 74, green above.
QColor accuracyColour(int accuracy);

} // namespace vt
