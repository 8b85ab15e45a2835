// The main window's decoding pass.
#include "app/MainForm.h"

namespace vt {

void TMainForm::DecodeScreen() {}

} // namespace vt
