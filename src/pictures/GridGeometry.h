// Where the map's grid of 16 x 15-pixel cells lies in a grab.
#pragma once

#include <QRect>
#include <QtGlobal>

namespace vt {

inline constexpr int kCellWidth = 16;
inline constexpr int kCellHeight = 15;

struct GridGeometry
{
    quint32 originx = 0; // pixel of the top-left corner of the map's top-left cell
    quint32 originy = 0;
    qint32 grab_width = 32; // the map's size in cells
    qint32 grab_height = 32;
    quint32 mapareax = 0; // corner of the game window's 512 x 480 map-view area; 0,0 when cropped
    quint32 mapareay = 0;

    friend bool operator==(const GridGeometry&, const GridGeometry&) = default;
};

// The picture rectangle of the map cell in `column`, `row` of `grid`.
inline QRect cellRect(const GridGeometry& grid, int column, int row)
{
    return QRect(int(grid.originx) + kCellWidth * column, int(grid.originy) + kCellHeight * row,
                 kCellWidth, kCellHeight);
}

// 8, 16, 24 or 32.
inline bool IsValidMapSize(qint32 n)
{
    return n > 0 && n <= 32 && n % 8 == 0;
}

} // namespace vt
