// The main window's save commands and the clipboard copy.
#include "app/MainForm.h"

namespace vt {

void TMainForm::sb_SaveMapClick() {}
void TMainForm::sb_SaveScreenGrabClick() {}
void TMainForm::InitiateSave(SaveDialogState&) {}
void TMainForm::SaveToClipboard() {}

} // namespace vt
