// The main window's loading commands: a grab from a file, the clipboard, or the picture
// already shown, and the game and colour selectors that re-analyse or discard.
#include "app/MainForm.h"

#include "app/Controls.h"
#include "charsets/ColourSelector.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

namespace vt {

void TMainForm::ResetFields(bool colourchange)
{
    if (colourchange) {
        img_ScreenGrab->clearPicture();
        img_ScreenGrab->resize(0, 0);
        img_ScreenGrab->setAutoSize(true);
        sb_DecodeStart->setEnabled(false);
        sb_SaveScreenGrab->setEnabled(false);
        charselect->show();
        lb_MapSize->clear();
        lb_Origin->clear();
        lb_accuracy->clear();
        sh_accuracy->setBrushColor(Qt::black);
        cb_map_colour->setCurrentIndex(0);
        ExtractCharsFromResource(0, true);
    }
    sb_SaveMap->setEnabled(false);
    MainArea->setCurrentIndex(0);
    img_Map->clearPicture();
    img_Map->resize(0, 0);
}

void TMainForm::LoadScreenGrab(const QString& filename)
{
    Q_UNUSED(filename);
}

void TMainForm::sb_LoadScreenGrabClick() {}

void TMainForm::ScreenGrabFromClipboard() {}

void TMainForm::cb_gameChange()
{
    if (!img_filename.isEmpty())
        LoadScreenGrab(QStringLiteral("reload"));
    cb_map_colourChange();
}

void TMainForm::cb_map_colourChange()
{
    ExtractCharsFromResource(static_cast<quint8>(cb_map_colour->currentIndex()), true);
    ResetFields(false);
}

} // namespace vt
