// The main window's map bounds: the labels of the grid and the box that shows, moves and
// resizes it before decoding.
//
// The box lies over the grab picture and scrolls with it. The grid is kept in picture pixels
// and the box is that grid times the grab's zoom, so that showing, moving and resizing the box
// at any zoom or scroll position edits exactly the grid it shows.
#include "app/MainForm.h"

#include "app/Controls.h"
#include "charsets/GameTables.h"
#include "intake/BoundsEdit.h"

#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace vt {

namespace {

// The box edits the grid of a grab that is loaded and analysed, as long as no decoded map
// relies on it. Before any grab the grid holds only its defaults: there is nothing to outline.
bool boundsEditable(const GrabSession& session)
{
    return session.canDecode() && !session.hasMap() && session.grid.grab_width > 0 &&
           session.grid.grab_height > 0;
}

} // namespace

void TMainForm::UpdateLabels()
{
    ui.lb_MapSize->setText(
        QStringLiteral("%1x%2").arg(m_session.grid.grab_width).arg(m_session.grid.grab_height));
    ui.lb_Origin->setText(
        QStringLiteral("%1,%2").arg(m_session.grid.originx).arg(m_session.grid.originy));
    ui.lb_maparea->setText(
        QStringLiteral("%1,%2").arg(m_session.grid.mapareax).arg(m_session.grid.mapareay));
}

void TMainForm::lb_MapSizeMouseEnter()
{
    if (!boundsEditable(m_session))
        return;
    ui.mapboundbox->setGeometry(boxOnScreen(m_session.grid, ui.img_ScreenGrab->scale()));
    ui.mapboundbox->show();
    ui.mapboundbox->raise();
    boundboxedit = quint8(BoxPart::Move);
    boundboxmove = false;
}

void TMainForm::lb_MapSizeMouseLeave()
{
    if (!editboundbox)
        ui.mapboundbox->hide();
}

void TMainForm::lb_MapSizeClick()
{
    if (boundsEditable(m_session))
        editboundbox = !editboundbox;
}

void TMainForm::lb_MapSizeDblClick()
{
    if (!boundsEditable(m_session))
        return;
    m_session.restoreBounds();
    if (ui.mapboundbox->isVisible())
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
        const BoxPart part = boxPartAt(ui.mapboundbox->size(), at);
        ui.mapboundbox->setCursor(boxPartCursor(part));
        boundboxedit = quint8(part);
        return;
    }
    // Only a game with small maps lets the box take other sizes than 32 x 32.
    const double scale = ui.img_ScreenGrab->scale();
    m_session.setGrid(dragBox(BoxPart(boundboxedit), m_session.grid, QPoint(bboxX, bboxY), at,
                              m_session.working.size(), scale,
                              hasSmallMaps(ui.cb_game->currentIndex())));
    ui.mapboundbox->setGeometry(boxOnScreen(m_session.grid, scale));
    UpdateLabels();
}

} // namespace vt
