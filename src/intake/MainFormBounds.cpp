// The main window's map bounds: the labels of the grid and the box that shows, moves and
// resizes it before decoding.
//
// The box lies over the grab picture and scrolls with it. The grid is kept in picture pixels
// and the box is that grid times the grab's zoom, so that showing, moving and resizing the box
// at any zoom or scroll position edits exactly the grid it shows.
#include "app/MainForm.h"

#include "app/Controls.h"
#include "intake/BoundsEdit.h"

#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace vt {

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
    mapboundbox->setGeometry(boxOnScreen(grid, img_ScreenGrab->scale()));
    mapboundbox->show();
    mapboundbox->raise();
    boundboxedit = quint8(BoxPart::Move);
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
    if (!boundboxmove) {
        // Hover: the pointer shape and the edit mode follow the part of the box under it.
        const BoxPart part = boxPartAt(mapboundbox->size(), at);
        mapboundbox->setCursor(boxPartCursor(part));
        boundboxedit = quint8(part);
        return;
    }
    // Only the second game's maps come in several sizes.
    const double scale = img_ScreenGrab->scale();
    grid = dragBox(BoxPart(boundboxedit), grid, QPoint(bboxX, bboxY), at,
                   img_ScreenGrab->picture().size(), scale, cb_game->currentIndex() == 1);
    mapboundbox->setGeometry(boxOnScreen(grid, scale));
    UpdateLabels();
}

} // namespace vt
