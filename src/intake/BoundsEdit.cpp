#include "intake/BoundsEdit.h"

#include "pictures/Rounding.h"

#include <cmath>

namespace vt {

namespace {

bool movesLeftEdge(BoxPart part)
{
    return part == BoxPart::Left || part == BoxPart::TopLeft || part == BoxPart::BottomLeft;
}

bool movesRightEdge(BoxPart part)
{
    return part == BoxPart::Right || part == BoxPart::BottomRight || part == BoxPart::TopRight;
}

bool movesTopEdge(BoxPart part)
{
    return part == BoxPart::Top || part == BoxPart::TopLeft || part == BoxPart::TopRight;
}

bool movesBottomEdge(BoxPart part)
{
    return part == BoxPart::Bottom || part == BoxPart::BottomRight || part == BoxPart::BottomLeft;
}

// The map sizes a resize may produce, in cells.
bool isResizableCount(int cells)
{
    return cells >= 8 && cells <= 32;
}

} // namespace

BoxPart boxPartAt(QSize box, QPoint at)
{
    const bool left = at.x() < kBoxEdgeZone;
    const bool right = at.x() > box.width() - kBoxEdgeZone;
    const bool top = at.y() < kBoxEdgeZone;
    const bool bottom = at.y() > box.height() - kBoxEdgeZone;
    // Later rules override earlier ones, which settles the zones of a very small box.
    BoxPart part = BoxPart::Move;
    if (left)
        part = BoxPart::Left;
    if (right)
        part = BoxPart::Right;
    if (top)
        part = BoxPart::Top;
    if (bottom)
        part = BoxPart::Bottom;
    if (left && top)
        part = BoxPart::TopLeft;
    if (right && bottom)
        part = BoxPart::BottomRight;
    if (left && bottom)
        part = BoxPart::BottomLeft;
    if (right && top)
        part = BoxPart::TopRight;
    return part;
}

Qt::CursorShape boxPartCursor(BoxPart part)
{
    switch (part) {
    case BoxPart::Left:
    case BoxPart::Right:
        return Qt::SizeHorCursor;
    case BoxPart::Top:
    case BoxPart::Bottom:
        return Qt::SizeVerCursor;
    case BoxPart::TopLeft:
    case BoxPart::BottomRight:
        return Qt::SizeFDiagCursor;
    case BoxPart::BottomLeft:
    case BoxPart::TopRight:
        return Qt::SizeBDiagCursor;
    case BoxPart::Move:
        break;
    }
    return Qt::SizeAllCursor;
}

QRect boxOnScreen(const GridGeometry& grid, double zoom)
{
    return QRect(roundHalfEven(grid.originx * zoom), roundHalfEven(grid.originy * zoom),
                 roundHalfEven(kCellWidth * grid.grab_width * zoom),
                 roundHalfEven(kCellHeight * grid.grab_height * zoom));
}

GridGeometry dragBox(BoxPart part, const GridGeometry& grid, QPoint pressedAt, QPoint at,
                     QSize picture, double zoom, bool smallMaps)
{
    // Worked out in picture pixels.
    const int L = int(grid.originx);
    const int T = int(grid.originy);
    const int Wb = kCellWidth * grid.grab_width;
    const int Hb = kCellHeight * grid.grab_height;
    int left = L;
    int top = T;
    int width = Wb;
    int height = Hb;

    if (part == BoxPart::Move) {
        // The pointer's place over the view less the point it holds the box by.
        const QRect box = boxOnScreen(grid, zoom);
        left = roundHalfEven((box.x() + at.x() - pressedAt.x()) / zoom);
        top = roundHalfEven((box.y() + at.y() - pressedAt.y()) / zoom);
    } else if (smallMaps) {
        // The pointer's place in the box, in whole steps of 4 cells; each edge moves by one
        // step, so the size changes by 8 cells. Division truncates towards zero.
        const int Xs = 64 * (int(std::floor(at.x() / zoom)) / 64);
        const int Ys = 60 * (int(std::floor(at.y() / zoom)) / 60);
        if (movesLeftEdge(part)) {
            const int columns = (Wb - 2 * Xs) / kCellWidth;
            if (isResizableCount(columns)) {
                left = L + Xs;
                width = kCellWidth * columns;
            }
        }
        if (movesRightEdge(part)) {
            const int columns = (2 * Xs - Wb) / kCellWidth;
            if (isResizableCount(columns)) {
                left = L + Wb - Xs;
                width = kCellWidth * columns;
            }
        }
        if (movesTopEdge(part)) {
            const int rows = (Hb - 2 * Ys) / kCellHeight;
            if (isResizableCount(rows)) {
                top = T + Ys;
                height = kCellHeight * rows;
            }
        }
        if (movesBottomEdge(part)) {
            const int rows = (2 * Ys - Hb) / kCellHeight;
            if (isResizableCount(rows)) {
                top = T + Hb - Ys;
                height = kCellHeight * rows;
            }
        }
    }

    // Only what keeps the box inside the grab is taken.
    GridGeometry result = grid;
    if (left >= 0 && left + width <= picture.width())
        result.originx = quint32(left);
    if (top >= 0 && top + height <= picture.height())
        result.originy = quint32(top);
    if (left + width <= picture.width())
        result.grab_width = width / kCellWidth;
    if (top + height <= picture.height())
        result.grab_height = height / kCellHeight;
    return result;
}

} // namespace vt
