// Editing the map grid with the bounds box: which part of the box the pointer is over, and
// what a drag on that part does to the grid.
//
// The box shows the grid times the grab's zoom, so positions over the box are in screen pixels
// while the grid stays in picture pixels.
#pragma once

#include "pictures/GridGeometry.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QtGlobal>

namespace vt {

// The parts of the box a drag can take hold of. The values are the edit modes the main window
// keeps in `boundboxedit`.
enum class BoxPart : quint8
{
    Move = 0,
    Left = 1,
    Right = 2,
    Top = 3,
    Bottom = 4,
    TopLeft = 5,
    BottomRight = 6,
    BottomLeft = 7,
    TopRight = 8,
};

// Width of the edge zones, in screen pixels, where a drag resizes instead of moving.
inline constexpr int kBoxEdgeZone = 6;

// The part of a box of `box` screen pixels under `at` (relative to the box's top-left corner).
// A corner wins over its edges; in a box too narrow or too low for two separate zones the
// right and the bottom win over the left and the top.
BoxPart boxPartAt(QSize box, QPoint at);

// The pointer shape shown over `part`: move, the two straight resizes and the two diagonals.
Qt::CursorShape boxPartCursor(BoxPart part);

// Where the box of `grid` lies at `zoom` (screen pixels per picture pixel), rounded half to even.
QRect boxOnScreen(const GridGeometry& grid, double zoom);

// One step of a drag on `part`: `grid` is the grid the box shows now, `pressedAt` the point
// of the box that was pressed and `at` where the pointer is, both in screen pixels relative to
// the box's top-left corner; `picture` is the grab's size in picture pixels.
//
// A move follows the pointer to the nearest picture pixel. The edges and corners resize only
// when `smallMaps` (the game has maps smaller than 32 x 32): both opposite edges move alike in
// steps of 8 cells, so the box keeps its centre, and a step is taken only when it leaves 8 to
// 32 cells. Of the result, the left and top are taken only when the box stays inside the
// picture on that side, and the width and height only when it ends inside the picture;
// everything else, and the map-area corner, keeps its value from `grid`.
GridGeometry dragBox(BoxPart part, const GridGeometry& grid, QPoint pressedAt, QPoint at,
                     QSize picture, double zoom, bool smallMaps);

} // namespace vt
