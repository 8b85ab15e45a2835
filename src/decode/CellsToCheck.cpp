#include "decode/CellsToCheck.h"

#include <QPainter>

#include <algorithm>

namespace vt {

void CellsToCheck::reset(int columns, int rows)
{
    m_columns = std::max(columns, 0);
    m_rows = std::max(rows, 0);
    m_cells.clear();
}

void CellsToCheck::append(int column, int row, CheckReason reason)
{
    m_cells.push_back({column, row, reason});
}

int CellsToCheck::count(CheckReason reason) const
{
    return int(std::count_if(m_cells.begin(), m_cells.end(),
                             [reason](const CellToCheck& cell) { return cell.reason == reason; }));
}

std::vector<CellToCheck>::const_iterator CellsToCheck::lowerBound(int column, int row) const
{
    const int key = order(column, row);
    return std::lower_bound(
        m_cells.begin(), m_cells.end(), key,
        [this](const CellToCheck& cell, int k) { return order(cell.column, cell.row) < k; });
}

std::optional<CellToCheck> CellsToCheck::at(int column, int row) const
{
    const int index = indexOf(column, row);
    if (index < 0)
        return std::nullopt;
    return m_cells[std::size_t(index)];
}

int CellsToCheck::indexOf(int column, int row) const
{
    if (!inside(column, row))
        return -1;
    const auto found = lowerBound(column, row);
    if (found == m_cells.end() || found->column != column || found->row != row)
        return -1;
    return int(found - m_cells.begin());
}

bool CellsToCheck::remove(int column, int row)
{
    const int index = indexOf(column, row);
    if (index < 0)
        return false;
    m_cells.erase(m_cells.begin() + index);
    return true;
}

void CellsToCheck::insert(const CellToCheck& cell)
{
    if (!inside(cell.column, cell.row) || indexOf(cell.column, cell.row) >= 0)
        return;
    m_cells.insert(lowerBound(cell.column, cell.row), cell);
}

std::optional<CellToCheck> CellsToCheck::next(int column, int row) const
{
    if (m_cells.empty())
        return std::nullopt;
    if (!inside(column, row))
        return m_cells.front();
    auto after = lowerBound(column, row);
    if (after != m_cells.end() && after->column == column && after->row == row)
        ++after;
    return after == m_cells.end() ? m_cells.front() : *after;
}

std::optional<CellToCheck> CellsToCheck::previous(int column, int row) const
{
    if (m_cells.empty())
        return std::nullopt;
    if (!inside(column, row))
        return m_cells.back();
    const auto at = lowerBound(column, row); // the first at or after the place
    return at == m_cells.begin() ? m_cells.back() : *(at - 1);
}

QColor checkColour(CheckReason reason)
{
    return reason == CheckReason::Unmatched ? QColor(255, 0, 255) : QColor(255, 255, 0);
}

namespace {

// A frame of `width` pixels along the inside of `rect`, drawn as four filled bands: exact
// pixels whatever the painter's pen and antialiasing.
void fillFrame(QPainter& painter, const QRect& rect, int width, const QColor& colour)
{
    if (rect.width() <= 2 * width || rect.height() <= 2 * width) {
        painter.fillRect(rect, colour);
        return;
    }
    painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), width), colour);
    painter.fillRect(QRect(rect.left(), rect.bottom() - width + 1, rect.width(), width), colour);
    painter.fillRect(QRect(rect.left(), rect.top() + width, width, rect.height() - 2 * width),
                     colour);
    painter.fillRect(
        QRect(rect.right() - width + 1, rect.top() + width, width, rect.height() - 2 * width),
        colour);
}

} // namespace

void drawCheckFrame(QPainter& painter, const QRect& cell, CheckReason reason)
{
    const int side = std::min(cell.width(), cell.height());
    const int width = side >= 48 ? 2 : 1;
    fillFrame(painter, cell, width, checkColour(reason));
    // Black stands out at 3 : 1 on anything brighter than a fifth of white's luminance, white
    // on anything darker than a third: together, on every art (blue, where magenta and black
    // both fall short, takes the white).
    if (side >= 8) {
        fillFrame(painter, cell.adjusted(width, width, -width, -width), 1, Qt::black);
        fillFrame(painter, cell.adjusted(width + 1, width + 1, -width - 1, -width - 1), 1,
                  Qt::white);
    }
}

} // namespace vt
