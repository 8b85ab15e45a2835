// The main window's save commands and the clipboard copy.
#include "app/MainForm.h"

#include "app/Controls.h"
#include "charsets/ColourSelector.h"
#include "export/FileNames.h"
#include "export/SaveMap.h"
#include "settings/RegUtils.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

namespace vt {

void TMainForm::SaveMap(const QImage& picture, const QString& filename, const SaveChoices& choices,
                        bool confirmoverwrite)
{
    if (filename.isEmpty()) {
        QGuiApplication::clipboard()->setImage(picture);
        return;
    }
    // Written under the name as given: "map.JPG" stays "map.JPG".
    saveOutputs(picture, RemoveExt(filename), choices, confirmoverwrite, extensionOf(filename));
}

void TMainForm::saveOutputs(const QImage& picture, const QString& base, const SaveChoices& choices,
                            bool confirmoverwrite, const QString& extension)
{
    SaveMapHooks hooks;
    hooks.extension = extension;
    // The gauge goes while the question is open: nothing is being written meanwhile.
    hooks.confirm = [this](const QString& message) {
        const bool shown = ui.ProgressBar1->isVisible();
        SwitchProgress(false);
        const bool yes = prompts().confirm(this, message);
        if (shown)
            SwitchProgress(true);
        return yes;
    };
    hooks.progress = [this](int percent) {
        ui.ProgressBar1->setValue(percent);
        ui.ProgressBar1->repaint(); // the save holds the event loop; show progress as it goes
    };
    SwitchProgress(true);
    QStringList written;
    try {
        written = m_session.saveUnder(picture, base, choices, confirmoverwrite, hooks);
    } catch (...) {
        SwitchProgress(false);
        throw; // guarded shows the error
    }
    SwitchProgress(false);
    if (!written.isEmpty() && &picture == &m_session.mapPicture)
        m_session.markSaved(); // the converted map and its table carry the corrections
    if (!written.isEmpty())
        statusBar()->showMessage(
            QStringLiteral("Saved %1.").arg(written.join(QStringLiteral(", "))));
}

QString TMainForm::rememberedFolder(const QString& field, const QString& valueName) const
{
    // A folder stored by an earlier run may have gone since.
    const QString folder = field.isEmpty() ? PeekRegString(valueName, QString()) : field;
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void TMainForm::rememberFolder(QString& field, const QString& valueName, const QString& folder)
{
    if (folder == field)
        return;
    field = folder;
    SetRegString(valueName, folder);
}

void TMainForm::sb_SaveMapClick()
{
    // An opened map is proposed under its own name, beside it.
    SaveDialog1.fileName = m_session.openedTable.isEmpty()
                               ? proposedDecodeName(m_session.img_filename)
                               : QFileInfo(m_session.openedTable).fileName();
    // The file-type row follows the proposal, so that the dialog shows what will be written.
    const int row = saveDialogRowOf(extensionOf(SaveDialog1.fileName), true);
    if (row >= 0)
        SaveDialog1.filterIndex = row;
    InitiateSave(SaveDialog1);
}

void TMainForm::sb_SaveScreenGrabClick()
{
    InitiateSave(SaveScreenGrabDialog);
}

void TMainForm::InitiateSave(SaveDialogState& dialog)
{
    // Where the user last saved, or else beside the grab.
    dialog.folder = rememberedFolder(lastSaveFolder, reg::LastSaveFolder);
    if (&dialog == &SaveDialog1 && !m_session.openedTable.isEmpty())
        dialog.folder = QFileInfo(m_session.openedTable).absolutePath();
    if (dialog.folder.isEmpty() && !m_session.img_filename.isEmpty())
        dialog.folder = QFileInfo(m_session.img_filename).absolutePath();
    const QString name = prompts().saveFile(this, dialog);
    if (name.isEmpty())
        return;
    rememberFolder(lastSaveFolder, reg::LastSaveFolder, QFileInfo(name).absolutePath());
    // The format is the name's extension, whatever its case.
    const std::optional<OutputFormat> format = saveDialogFormat(extensionOf(name));
    if (!format) {
        const QString message =
            QStringLiteral("Nothing saved: \"%1\" names no format. A name must end in %2 (in "
                           "any case).")
                .arg(QFileInfo(name).fileName(), saveDialogExtensions());
        statusBar()->showMessage(message);
        prompts().reportError(this, message);
        return;
    }
    if (outputFormat(*format).source != OutputSource::Picture && !m_session.hasMap()) {
        statusBar()->showMessage(
            QStringLiteral("Nothing saved: there is no decoded map to write as a table yet."));
        return;
    }
    const QImage& picture = &dialog == &SaveDialog1 ? m_session.mapPicture : m_session.working;
    SaveMap(picture, name, SaveChoices{*format}, true);
}

void TMainForm::SaveToClipboard()
{
    if (!m_session.hasMap()) {
        statusBar()->showMessage(QStringLiteral("There is no converted map to copy yet: Decode "
                                                "Map makes one."));
        return;
    }
    SaveMap(m_session.mapPicture, QString(), SaveChoices{}, false);
    statusBar()->showMessage(QStringLiteral("Copied the converted map (%1 x %2 pixels) to the "
                                            "clipboard.")
                                 .arg(m_session.mapPicture.width())
                                 .arg(m_session.mapPicture.height()));
}

} // namespace vt
