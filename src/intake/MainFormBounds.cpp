// The main window's map bounds: the labels of the grid and the box that moves and resizes it.
#include "app/MainForm.h"

#include "app/Controls.h"

#include <QLabel>

namespace vt {

void TMainForm::UpdateLabels()
{
    lb_MapSize->setText(QStringLiteral("%1x%2").arg(grid.grab_width).arg(grid.grab_height));
    lb_Origin->setText(QStringLiteral("%1,%2").arg(grid.originx).arg(grid.originy));
    lb_maparea->setText(QStringLiteral("%1,%2").arg(grid.mapareax).arg(grid.mapareay));
}

void TMainForm::lb_MapSizeMouseEnter() {}
void TMainForm::lb_MapSizeMouseLeave() {}
void TMainForm::lb_MapSizeClick() {}
void TMainForm::lb_MapSizeDblClick() {}
void TMainForm::mapboundboxMouseDown(QMouseEvent*) {}
void TMainForm::mapboundboxMouseMove(QMouseEvent*) {}
void TMainForm::mapboundboxMouseUp(QMouseEvent*) {}

} // namespace vt
