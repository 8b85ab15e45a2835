// The cells of a decoded map that the player should look at: those that matched no character,
// and the near-ties, whose runner-up came within kNearTiePoints of a best score below 100 (a
// speck could have tipped them to another character). Kept in reading order, rows top to
// bottom and each row left to right, as the decoding pass meets them.
#pragma once

#include <QColor>
#include <QRect>
#include <QtGlobal>

#include <optional>
#include <vector>

class QPainter;

namespace vt {

enum class CheckReason : quint8
{
    Unmatched, // no character reached the threshold
    NearTie,   // matched, but in doubt: another character scored almost as well, or (in a grab
               // whose cells are nearly all exactly their characters) the cell is not exactly its
};

struct CellToCheck
{
    int column = 0;
    int row = 0;
    CheckReason reason = CheckReason::Unmatched;

    friend bool operator==(const CellToCheck&, const CellToCheck&) = default;
};

class CellsToCheck
{
public:
    // An empty list for a map of `columns` by `rows` cells.
    void reset(int columns, int rows);
    // Adds a cell after those listed; cells must come in reading order.
    void append(int column, int row, CheckReason reason);

    int columns() const { return m_columns; }
    int rows() const { return m_rows; }
    const std::vector<CellToCheck>& cells() const { return m_cells; }
    int count() const { return int(m_cells.size()); }
    int count(CheckReason reason) const;
    bool isEmpty() const { return m_cells.empty(); }

    // The listed cell at (column, row), or nothing.
    std::optional<CellToCheck> at(int column, int row) const;
    // Its place in the list (0 for the first), or -1.
    int indexOf(int column, int row) const;
    // Takes a cell off the list (it has been corrected by hand); false when it was not on it.
    bool remove(int column, int row);
    // Puts a cell back in its place (a correction taken back); nothing when it is listed.
    void insert(const CellToCheck& cell);

    // The first cell after (column, row) in reading order, round to the first after the last;
    // from a place outside the map, the first. Nothing when the list is empty.
    std::optional<CellToCheck> next(int column, int row) const;
    // The same backwards: the last cell before (column, row), round to the last; from outside
    // the map, the last.
    std::optional<CellToCheck> previous(int column, int row) const;

private:
    int order(int column, int row) const { return row * m_columns + column; }
    bool inside(int column, int row) const
    {
        return column >= 0 && column < m_columns && row >= 0 && row < m_rows;
    }
    std::vector<CellToCheck>::const_iterator lowerBound(int column, int row) const;

    int m_columns = 0;
    int m_rows = 0;
    std::vector<CellToCheck> m_cells;
};

// The colours the cells to check are framed in, on the screen and in the picture report:
// magenta for an unmatched cell, yellow for a near-tie.
QColor checkColour(CheckReason reason);

// Frames `cell` (as shown) in the colour of `reason`: a line along its inside edge, with a black
// and then a white line within it where the cell is large enough, so that the frame stands out
// on any art at 3 : 1 or more. The first line is 1 pixel thick, 2 on cells of 48 pixels or more.
void drawCheckFrame(QPainter& painter, const QRect& cell, CheckReason reason);

} // namespace vt
