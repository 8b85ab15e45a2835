// The main window's bulk conversion.
#include "app/MainForm.h"

namespace vt {

void TMainForm::sb_bulkconvertClick() {}

} // namespace vt
