// The main window's Open Map command: a table the program wrote, back as the decoded map, to
// go on correcting it.
#include "app/MainForm.h"

#include "app/Controls.h"
#include "charsets/GameTables.h"
#include "export/MapTable.h"
#include "export/MapTableReader.h"
#include "settings/RegUtils.h"

#include <QFileInfo>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>

namespace vt {

void TMainForm::OpenMapExecute()
{
    if (!mayDiscardCorrections())
        return;
    // Maps are saved where the last save went.
    const QString path =
        prompts().openPicture(this, QStringLiteral("Open Map"), OpenMapDialog,
                              rememberedFolder(lastSaveFolder, reg::LastSaveFolder));
    if (!path.isEmpty())
        OpenMapFile(path);
}

void TMainForm::OpenMapFile(const QString& path)
{
    const MapTableFile table = readMapTable(path);
    const QString name = QFileInfo(path).fileName();
    int game = m_session.game;
    int charRef = m_session.prefs.charRef;
    if (table.kind == TableKind::Csv) {
        // A table names only its scheme: the player says the rest, the preference's code first.
        game = prompts().chooseItem(this, QStringLiteral("Open Map"),
                                    QStringLiteral("Which game is \"%1\" a map of?").arg(name),
                                    gameNames());
        if (game < 0)
            return;
        const int first = charRef == kCharRefPc ? kCharRefPc : kCharRefAtlas;
        const int second = first == kCharRefPc ? kCharRefAtlas : kCharRefPc;
        const auto modeText = [](int mode) {
            return mode == kCharRefPc ? QStringLiteral("As PC references")
                                      : QStringLiteral("As references into atlas");
        };
        const int chosen =
            prompts().chooseItem(this, QStringLiteral("Open Map"),
                                 QStringLiteral("How does \"%1\" name the characters?").arg(name),
                                 {modeText(first), modeText(second)});
        if (chosen < 0)
            return;
        charRef = chosen == 0 ? first : second;
    }
    const QString besideGrab = GrabSession::grabBesideTable(path);
    const bool withGrab = !besideGrab.isEmpty() && prompts().useGrabBeside(this, besideGrab);

    const QStringList notes =
        m_session.openMap(path, table, game, charRef, withGrab ? besideGrab : QString());
    editboundbox = false;
    ui.mapboundbox->hide();
    ResetFields(true);
    ui.charcursor->hide();
    if (!m_session.working.isNull()) {
        ui.img_ScreenGrab->setPicture(m_session.working);
        ui.img_ScreenGrab->setAutoSize(false);
        ui.sb_ScreenGrab->horizontalScrollBar()->setValue(0);
        ui.sb_ScreenGrab->verticalScrollBar()->setValue(0);
    }
    showSelection();
    UpdateLabels();
    ui.lb_filename->setPath(
        m_session.img_filename.isEmpty() ? name : QFileInfo(m_session.img_filename).fileName());
    showDecoded();
    if (!notes.isEmpty())
        statusBar()->showMessage(notes.join(QLatin1Char(' ')) + QLatin1Char(' ') +
                                 statusBar()->currentMessage());
}

} // namespace vt
