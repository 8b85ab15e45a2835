// What the cells around a map tell of its extent, and whether a grid's edges were seen. A grid
// is only as good as the evidence around it: beyond each edge of a map lies the picture's edge
// (on a cell boundary), background (plain, or cells that fit no character), or the layout-B
// frame; a row beyond an edge that still fits characters means the map goes on there.
//
// The cells are labelled on the lattice of the grid (16 x 15-pixel cells at its phase): a cell
// shows a character (it fits one that is not a single colour), is plain (nearly one colour),
// shows something else (a sprite, decoration, a character too damaged to fit), or lies at
// least partly outside the picture.
#pragma once

#include "pictures/GridGeometry.h"

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QRect>

#include <optional>
#include <utility>
#include <vector>

namespace vt {

// A cell fitting a character this well (or at the preferences' threshold, when lower) counts as
// evidence of the map's extent: JPEG leaves many of a map's cells below the threshold, while a
// plain background never shows a character at all.
inline constexpr int kEvidenceScore = 80;

inline quint8 evidenceScore(quint8 prob_match)
{
    return quint8(prob_match < kEvidenceScore ? prob_match : kEvidenceScore);
}

enum class CellShows : quint8
{
    Character,
    Plain,
    Other,
    Outside,
};

// The candidates a cell may show: one or more games' map-size characters as byte images
// (16 x 15, 8 bits, halftone palette).
using CharacterSets = std::vector<const std::vector<QByteArray>*>;

// Labels of a lattice of cells whose top-left cell is at `origin` (which may lie outside the
// picture), `columns` x `rows` cells.
class LatticeLabels
{
public:
    LatticeLabels(const QImage& working, QPoint origin, int columns, int rows,
                  const CharacterSets& sets, quint8 evidence);

    int columns() const { return m_columns; }
    int rows() const { return m_rows; }
    QPoint origin() const { return m_origin; }
    // Outside for cells beyond the lattice.
    CellShows at(int column, int row) const;
    int countCharacters(int column, int row, int columns, int rows) const;
    // Cells showing a character, per column of the lattice and per row.
    std::vector<int> charactersPerColumn() const;
    std::vector<int> charactersPerRow() const;
    // Cells inside the picture that fit some character (a single-colour one too).
    int countFitting(int column, int row, int columns, int rows) const;
    // Cells showing a character that scores at least `minimum`.
    int countScoring(int column, int row, int columns, int rows, int minimum) const;

private:
    QPoint m_origin;
    int m_columns = 0;
    int m_rows = 0;
    std::vector<CellShows> m_cells;
    std::vector<quint8> m_scores; // best score of a character that is not a single colour
    std::vector<bool> m_fits;     // some character, single-coloured or not, fits
};

// A character picture of a single colour (open space, a plain wall).
bool plainCharacter(const QByteArray& character);

// A cell of one colour nearly throughout (nine pixels in ten near its mean colour, as the
// comparison sees colours).
bool nearlyPlainCell(const QByteArray& cell);

// The valid size along one axis (8, 16, 24, 32) of a map centred in a window's view, from the
// characters on the 32 cells of `counts` (per column or per row of the view): the smallest
// centred span outside which lie at most `stray` cells showing characters, or `stray` in 50 of
// the cells outside when more. Nothing when no characters show at all.
std::optional<int> centredExtent(const std::vector<int>& counts, int stray);

// The extent along one axis of a map anywhere on a lattice, from the characters on each line
// (`counts`): the smallest valid size (8, 16, 24, 32) some run of which holds all but `stray`
// of them; the run holding the most, then with the fewest lines without a character (margin),
// then reaching least past the lattice's end, then nearest their middle. A first or last line
// cut by the picture's edge (`cutFirst`, `cutLast`) shows too little to be margin: a map cut
// there may begin or end in it. First line and size; nothing when no characters show.
std::optional<std::pair<int, int>> looseExtent(const std::vector<int>& counts, bool cutFirst,
                                                bool cutLast, int stray);

// Which edges of `grid` were seen, and whether it cuts cells at the picture's edge.
struct EdgeEvidence
{
    bool left = false;
    bool top = false;
    bool right = false;
    bool bottom = false;
    bool cutsCells = false; // part of the grid lies outside the picture
    bool all() const { return left && top && right && bottom && !cutsCells; }
};

// An edge is seen where the map's own line along it shows characters and it lies on the
// picture's edge, or the line of cells beyond it (within the picture) shows no more than a stray
// character; a strip narrower than a cell between the grid and the picture's edge must be plain.
// In a window (`view` its 512 x 480 view), an edge on the view's boundary is seen unless the
// line beyond fits characters as closely as a map's own row does in half its cells.
EdgeEvidence edgesOf(const QImage& working, const GridGeometry& grid, const CharacterSets& sets,
                     quint8 evidence, const QRect& view = {});

// Where a map of `columns` x `rows` cells centred in the 512 x 480 view at `view` has its
// top-left cell.
QPoint centredOrigin(QPoint view, int columns, int rows);

} // namespace vt
