// The main window's character sets: the side panel's full-size tiles and the hidden map-size
// candidates.
#include "app/MainForm.h"

namespace vt {

void TMainForm::ExtractCharsFromResource(quint8 col, bool fullsize)
{
    Q_UNUSED(col);
    Q_UNUSED(fullsize);
}

} // namespace vt
