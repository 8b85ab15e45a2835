// The main window's inspection and correction of a decoded map.
#include "app/MainForm.h"

namespace vt {

void TMainForm::img_ScreenGrabMouseMove(QMouseEvent*) {}
void TMainForm::img_ScreenGrabMouseLeave() {}
void TMainForm::CharSelectorClick(PictureControl*) {}
void TMainForm::charcursorMouseDown() {}
void TMainForm::ImageMouseDown(QMouseEvent*) {}
void TMainForm::ImageMouseMove(QMouseEvent*) {}

} // namespace vt
