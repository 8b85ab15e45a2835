// The main window's loading commands: a grab from a file, the clipboard, or the picture
// already shown, and the game and colour selectors that re-analyse or discard.
#include "app/MainForm.h"

#include "app/Controls.h"
#include "charsets/ColourSelector.h"
#include "charsets/GameTables.h"
#include "settings/RegUtils.h"

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
        ui.img_ScreenGrab->clearPicture();
        ui.img_ScreenGrab->resize(0, 0);
        ui.img_ScreenGrab->setAutoSize(true);
        ui.charstorage->clearPicture(); // the last grab's cell is none of the next one's
        resetCharSelection();
        ui.charselect->show();
        ui.lb_MapSize->clear();
        ui.lb_Origin->clear();
        ui.lb_accuracy->clear();
        ui.sh_accuracy->setBrushColor(Qt::black);
    }
    ui.MainArea->setCurrentIndex(0);
    ui.img_Map->clearPicture();
    ui.img_Map->resize(0, 0);
    showMode();
}

void TMainForm::showMode()
{
    ui.lb_starthint->setVisible(m_session.working.isNull());
    ui.sb_DecodeStart->setEnabled(m_session.canDecode());
    ui.sb_SaveMap->setEnabled(m_session.hasMap());
    if (!m_session.hasMap()) {
        showSuggestions(false);
        ui.lb_trust->clear();
        ui.lb_trust->setToolTip(QString());
    }
    ui.sb_SaveScreenGrab->setEnabled(m_session.canDecode() && m_session.img_filename.isEmpty() &&
                                     !m_session.working.isNull());
}

void TMainForm::showSelection()
{
    ui.cb_game->setCurrentIndex(m_session.game);
    for (int i = 0; i < int(m_session.captions.size()); ++i)
        ui.cb_map_colour->setItemText(i, m_session.captions[std::size_t(i)]);
    ui.cb_map_colour->setCurrentIndex(m_session.colour);
    showCharacters();
}

void TMainForm::LoadScreenGrab(const QString& filename)
{
    const bool reload = filename == kReload;
    if (!reload && !mayDiscardCorrections())
        return;
    editboundbox = false;
    ui.mapboundbox->hide();

    if (reload) {
        m_session.reload();
    } else {
        // The session reads the picture first: one that cannot be loaded leaves the current
        // grab and its decoded map exactly as they were.
        if (filename.isEmpty()) {
            const QImage picture = QGuiApplication::clipboard()->image();
            if (picture.isNull())
                return;
            m_session.loadPicture(picture);
        } else {
            m_session.loadFile(filename);
            rememberFolder(lastGrabFolder, reg::LastGrabFolder, QFileInfo(filename).absolutePath());
        }
        ResetFields(true);
        ui.charcursor->hide();
        ui.img_ScreenGrab->setPicture(m_session.working);
        ui.img_ScreenGrab->setAutoSize(false);
        ui.sb_ScreenGrab->horizontalScrollBar()->setValue(0);
        ui.sb_ScreenGrab->verticalScrollBar()->setValue(0);
    }
    showLoaded();
}

void TMainForm::showLoaded()
{
    if (ui.img_ScreenGrab->picture().cacheKey() != m_session.working.cacheKey())
        ui.img_ScreenGrab->setPicture(m_session.working);
    showSelection();
    showMode();
    // The name of the grab shown, whatever its analysis found.
    const QString& name = m_session.img_filename;
    ui.lb_filename->setPath(name.isEmpty() ? kClipboardName : QFileInfo(name).fileName());
    if (m_session.outcome == LoadOutcome::WindowNotFound) {
        // There is no grid: the labels must not go on showing the previous grab's.
        ui.lb_MapSize->clear();
        ui.lb_Origin->clear();
        ui.lb_maparea->clear();
        statusBar()->showMessage(
            QStringLiteral("No game window found in this grab: it is window-sized, but shows "
                           "neither window marker with the hero beside it. Crop it to the map "
                           "view, or load a grab of the whole game window."));
        return;
    }
    UpdateLabels();
    ui.MainArea->setCurrentIndex(0);
    if (m_session.outcome != LoadOutcome::Located) {
        // Decoding stays off until some grab of the run has been recognised.
        statusBar()->showMessage(
            m_session.canDecode()
                ? QStringLiteral("This grab is neither a map view nor a game window; the grid is "
                                 "a guess that you can move over the map before decoding.")
                : QStringLiteral("This grab is neither a map view nor a game window, and no "
                                 "grab before it was, so there is nothing to decode. Crop it to "
                                 "the map view, or load a grab of the whole game window."));
        return;
    }
    if (m_session.confidence.locatedBy == LocatedBy::Fallback) {
        // Recognised, but the map found is of a size the selected game does not draw (a reload
        // with the first game of a small map): the grid is the fallback, not a find.
        statusBar()->showMessage(
            QStringLiteral("No map that %1 draws was found in this grab: the grid is the %2 x %3 "
                           "guess at %4,%5. Choose the other game, or move the grid over the "
                           "map before decoding.")
                .arg(gameNames().value(m_session.game))
                .arg(m_session.grid.grab_width)
                .arg(m_session.grid.grab_height)
                .arg(m_session.grid.originx)
                .arg(m_session.grid.originy));
        return;
    }
    static const char* const kHow[] = {"as it stands", "allowing for blur and margins",
                                       "brought back to its own scale", "by a guess"};
    QString message = QStringLiteral("Map of %1 x %2 cells found %3 (%4)")
                          .arg(m_session.grid.grab_width)
                          .arg(m_session.grid.grab_height)
                          .arg(QLatin1String(kHow[int(m_session.confidence.locatedBy)]),
                               QLatin1String(locatedByName(m_session.confidence.locatedBy)));
    if (!m_session.confidence.gameCertain)
        message += QStringLiteral("; its cells fit both games alike, so check the game");
    statusBar()->showMessage(message + QStringLiteral("; press Decode Map to convert it."));
}

void TMainForm::sb_LoadScreenGrabClick()
{
    const QString path =
        prompts().openPicture(this, QStringLiteral("Load Screengrab"), OpenPictureDialog1,
                              rememberedFolder(lastGrabFolder, reg::LastGrabFolder));
    if (!path.isEmpty())
        LoadScreenGrab(path);
}

void TMainForm::ScreenGrabFromClipboard()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data && data->hasImage())
        LoadScreenGrab(QString());
    else
        statusBar()->showMessage(QStringLiteral("The clipboard holds no picture: copy a "
                                                "screengrab, then press Ctrl+V."));
}

void TMainForm::cb_gameChange()
{
    if (!mayDiscardCorrections())
        return showSelection(); // the selector goes back to the game in use
    editboundbox = false;
    ui.mapboundbox->hide();
    const bool hadMap = m_session.hasMap();
    const bool reload = m_session.canReload();
    m_session.selectGame(ui.cb_game->currentIndex());
    if (reload)
        showLoaded(); // its message tells what the analysis found with this game
    cb_map_colourChange();
    if (hadMap && !reload)
        statusBar()->showMessage(QStringLiteral("The decoded map was discarded with the change "
                                                "of game: press Decode Map to convert the grab "
                                                "again."));
}

void TMainForm::cb_map_colourChange()
{
    if (!mayDiscardCorrections())
        return showSelection();
    const bool hadMap = m_session.hasMap();
    m_session.selectColour(ui.cb_map_colour->currentIndex());
    showCharacters();
    ResetFields(false);
    // The last message may tell how to correct cells of the map just thrown away.
    if (hadMap)
        statusBar()->showMessage(QStringLiteral("The decoded map was discarded with the change "
                                                "of colour scheme: press Decode Map to convert "
                                                "the grab again."));
}

} // namespace vt
