// The main window's loading commands: a grab from a file, the clipboard, or the picture
// already shown, and the game and colour selectors that re-analyse or discard.
#include "app/MainForm.h"

#include "app/Controls.h"
#include "pictures/Error.h"
#include "charsets/ColourSelector.h"
#include "pictures/BmpByteImage.h"
#include "intake/GrabLoader.h"
#include "intake/GridLocator.h"

#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>

namespace vt {

namespace {
const QString kReload = QStringLiteral("reload");
const QString kClipboardName = QStringLiteral("<clipboard>");
} // namespace

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
    const bool reload = filename == kReload;
    bool newLoad = !reload;
    editboundbox = false;
    mapboundbox->hide();

    QString name = filename;
    if (!reload) {
        // Read first: a file that cannot be loaded leaves the current grab and its decoded map
        // exactly as they were.
        QImage picture;
        if (filename.isEmpty()) {
            picture = QGuiApplication::clipboard()->image();
            if (picture.isNull())
                return;
            checkGrabSize(picture.size(), QStringLiteral("The picture on the clipboard"));
        } else {
            picture = readGrabFile(filename);
        }
        ResetFields(true);
        grid.grab_width = 32;
        grid.grab_height = 32;
        charcursor->hide();
        const WorkingPictures pictures = makeWorkingPictures(picture);
        fullcolourimage = pictures.fullcolour;
        img_ScreenGrab->setPicture(pictures.working);
        img_ScreenGrab->setAutoSize(false);
        img_filename = filename;
        sb_ScreenGrab->horizontalScrollBar()->setValue(0);
        sb_ScreenGrab->verticalScrollBar()->setValue(0);
    } else {
        name = img_filename;
        // The analysis runs on the picture at its own size, whatever the zoom, and the full-colour
        // copy is kept: reducing the shown 8-bit picture again would lose its colours.
        img_ScreenGrab->setPicture(makeWorkingPictures(fullcolourimage).working);
    }

    const QByteArray hero = bmpByteImage(VorlanCharPanel);
    LocateInput input;
    input.working = &img_ScreenGrab->picture();
    input.start = grid;
    input.selectedGame = cb_game->currentIndex();
    input.newLoad = newLoad;
    input.thresholds = {prob_match, pix_match, vorlan_match};
    input.hero = &hero;
    const LocateResult result = locateGrid(input);

    if (result.recognised)
        screengrab_loaded = true;
    if (result.windowNotFound) {
        grid.originx = grid.originy = grid.mapareax = grid.mapareay = 0;
        statusBar()->showMessage(
            QStringLiteral("No game window found in this grab: it is window-sized, but shows "
                           "neither window marker with the hero beside it. Crop it to the map "
                           "view, or load a grab of the whole game window."));
        return;
    }
    if (result.selectGame >= 0)
        cb_game->setCurrentIndex(result.selectGame);
    if (result.captionsSet)
        for (int i = 0; i < int(result.captions.size()); ++i)
            cb_map_colour->setItemText(i, result.captions[std::size_t(i)]);
    if (result.chosenScheme >= 0) {
        cb_map_colour->setCurrentIndex(result.chosenScheme);
        ExtractCharsFromResource(static_cast<quint8>(result.chosenScheme), true);
    }

    lb_filename->setPath(name.isEmpty() ? kClipboardName : QFileInfo(name).fileName());
    grid = result.grid;
    det = grid;
    UpdateLabels();
    sb_DecodeStart->setEnabled(fullsize_loaded && screengrab_loaded);
    sb_SaveScreenGrab->setEnabled(screengrab_loaded && lb_filename->text() == kClipboardName);
    MainArea->setCurrentIndex(0);
    statusBar()->showMessage(
        result.recognised
            ? QStringLiteral("Map of %1 x %2 cells found; press Decode Map to convert it.")
                  .arg(grid.grab_width)
                  .arg(grid.grab_height)
            : QStringLiteral("This grab is neither a map view nor a game window; the grid is "
                             "a guess that you can move over the map before decoding."));
}

void TMainForm::sb_LoadScreenGrabClick()
{
    const QString path =
        prompts().openPicture(this, QStringLiteral("Load Screengrab"), OpenPictureDialog1);
    if (!path.isEmpty())
        LoadScreenGrab(path);
}

void TMainForm::ScreenGrabFromClipboard()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data && data->hasImage())
        LoadScreenGrab(QString());
}

void TMainForm::cb_gameChange()
{
    if (!img_filename.isEmpty())
        LoadScreenGrab(kReload);
    cb_map_colourChange();
}

void TMainForm::cb_map_colourChange()
{
    ExtractCharsFromResource(static_cast<quint8>(cb_map_colour->currentIndex()), true);
    ResetFields(false);
}

} // namespace vt
