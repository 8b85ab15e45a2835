// The main window's map bounds: the labels of the grid and the box that shows, moves and
// resizes it before decoding.
//
// The box lies over the grab picture and scrolls with it. The grid is kept in picture pixels
// and the box is that grid times the grab's zoom, so that showing, moving and resizing the box
// at any zoom or scroll position edits exactly the grid it shows.
#include "app/MainForm.h"

#include "app/Controls.h"
#include "charsets/GameTables.h"
#include "pictures/Rounding.h"

#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include <cmath>

namespace vt {

namespace {

// Edge zones, in screen pixels of the box, where a drag resizes instead of moving.
constexpr int kEdgeZone = 6;

// Division truncating towards zero, as the resize steps are taken.
int truncatedDiv(int value, int divisor)
{
    return value / divisor;
}

} // namespace

void TMainForm::UpdateLabels()
{
    lb_MapSize->setText(QStringLiteral("%1x%2").arg(grid.grab_width).arg(grid.grab_height));
    lb_Origin->setText(QStringLiteral("%1,%2").arg(grid.originx).arg(grid.originy));
    lb_maparea->setText(QStringLiteral("%1,%2").arg(grid.mapareax).arg(grid.mapareay));
}

void TMainForm::lb_MapSizeMouseEnter()
{
    if (grid.grab_width <= 0 || grid.grab_height <= 0 || sb_SaveMap->isEnabled())
        return;
    const double scale = img_ScreenGrab->scale();
    mapboundbox->setGeometry(roundHalfEven(grid.originx * scale),
                             roundHalfEven(grid.originy * scale),
                             roundHalfEven(kCellWidth * grid.grab_width * scale),
                             roundHalfEven(kCellHeight * grid.grab_height * scale));
    mapboundbox->show();
    mapboundbox->raise();
    boundboxedit = 0;
    boundboxmove = false;
}

void TMainForm::lb_MapSizeMouseLeave()
{
    if (!editboundbox)
        mapboundbox->hide();
}

void TMainForm::lb_MapSizeClick()
{
    if (grid.grab_width > 0 && grid.grab_height > 0 && !sb_SaveMap->isEnabled())
        editboundbox = !editboundbox;
}

void TMainForm::lb_MapSizeDblClick()
{
    if (grid.grab_width <= 0 || grid.grab_height <= 0 || sb_SaveMap->isEnabled())
        return;
    grid.originx = det.originx;
    grid.originy = det.originy;
    grid.grab_width = det.grab_width;
    grid.grab_height = det.grab_height;
    if (mapboundbox->isVisible())
        lb_MapSizeMouseEnter();
    UpdateLabels();
}

void TMainForm::mapboundboxMouseDown(QMouseEvent* event)
{
    boundboxmove = true;
    const QPoint at = event->position().toPoint();
    bboxX = at.x();
    bboxY = at.y();
}

void TMainForm::mapboundboxMouseUp(QMouseEvent*)
{
    boundboxmove = false;
}

void TMainForm::mapboundboxMouseMove(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    const int X = at.x();
    const int Y = at.y();

    if (!boundboxmove) {
        // Hover: the pointer shape and the edit mode follow the part of the box under it.
        const int Wb = mapboundbox->width();
        const int Hb = mapboundbox->height();
        const bool left = X < kEdgeZone;
        const bool right = X > Wb - kEdgeZone;
        const bool top = Y < kEdgeZone;
        const bool bottom = Y > Hb - kEdgeZone;
        Qt::CursorShape shape = Qt::SizeAllCursor;
        if (left || right)
            shape = Qt::SizeHorCursor;
        if (top || bottom)
            shape = Qt::SizeVerCursor;
        if ((left && top) || (right && bottom))
            shape = Qt::SizeFDiagCursor;
        if ((left && bottom) || (right && top))
            shape = Qt::SizeBDiagCursor;
        mapboundbox->setCursor(shape);
        boundboxedit = 0;
        if (left)
            boundboxedit = 1;
        if (right)
            boundboxedit = 2;
        if (top)
            boundboxedit = 3;
        if (bottom)
            boundboxedit = 4;
        if (left && top)
            boundboxedit = 5;
        if (right && bottom)
            boundboxedit = 6;
        if (left && bottom)
            boundboxedit = 7;
        if (right && top)
            boundboxedit = 8;
        return;
    }

    // A drag, worked out in picture pixels.
    const double scale = img_ScreenGrab->scale();
    const int L = int(grid.originx);
    const int T = int(grid.originy);
    const int Wb = kCellWidth * grid.grab_width;
    const int Hb = kCellHeight * grid.grab_height;
    int left = L;
    int top = T;
    int width = Wb;
    int height = Hb;

    if (boundboxedit == 0) {
        // The box follows the pointer to the nearest picture pixel.
        left = roundHalfEven((mapboundbox->x() + X - bboxX) / scale);
        top = roundHalfEven((mapboundbox->y() + Y - bboxY) / scale);
    } else if (hasSmallMaps(cb_game->currentIndex())) {
        // Only a game with small maps resizes: edges move in steps of 8 cells,
        // both opposite edges alike, so the box keeps its centre.
        const int Xs = 64 * truncatedDiv(int(std::floor(X / scale)), 64);
        const int Ys = 60 * truncatedDiv(int(std::floor(Y / scale)), 60);
        const auto inRange = [](int cells) { return cells >= 8 && cells <= 32; };
        const quint8 mode = boundboxedit;
        if (mode == 1 || mode == 5 || mode == 7) {
            const int columns = truncatedDiv(Wb - 2 * Xs, 16);
            if (inRange(columns)) {
                left = L + Xs;
                width = 16 * columns;
            }
        }
        if (mode == 2 || mode == 6 || mode == 8) {
            const int columns = truncatedDiv(2 * Xs - Wb, 16);
            if (inRange(columns)) {
                left = L + Wb - Xs;
                width = 16 * columns;
            }
        }
        if (mode == 3 || mode == 5 || mode == 8) {
            const int rows = truncatedDiv(Hb - 2 * Ys, 15);
            if (inRange(rows)) {
                top = T + Ys;
                height = 15 * rows;
            }
        }
        if (mode == 4 || mode == 6 || mode == 7) {
            const int rows = truncatedDiv(2 * Ys - Hb, 15);
            if (inRange(rows)) {
                top = T + Hb - Ys;
                height = 15 * rows;
            }
        }
    }

    // Only what keeps the box inside the grab is taken.
    const int Wv = img_ScreenGrab->picture().width();
    const int Hv = img_ScreenGrab->picture().height();
    int newLeft = L;
    int newTop = T;
    int newWidth = Wb;
    int newHeight = Hb;
    if (left >= 0 && left + width <= Wv)
        newLeft = left;
    if (top >= 0 && top + height <= Hv)
        newTop = top;
    if (left + width <= Wv)
        newWidth = width;
    if (top + height <= Hv)
        newHeight = height;

    grid.originx = quint32(newLeft);
    grid.originy = quint32(newTop);
    grid.grab_width = newWidth / kCellWidth;
    grid.grab_height = newHeight / kCellHeight;
    mapboundbox->setGeometry(roundHalfEven(newLeft * scale), roundHalfEven(newTop * scale),
                             roundHalfEven(newWidth * scale), roundHalfEven(newHeight * scale));
    UpdateLabels();
}

} // namespace vt
