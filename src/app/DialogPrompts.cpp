#include "app/UserPrompts.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QUrl>
#include <QVBoxLayout>

namespace vt {

QString DialogPrompts::openPicture(QWidget* parent, const QString& title,
                                   const QStringList& filters, const QString& folder)
{
    return QFileDialog::getOpenFileName(parent, title, folder, filters.join(QStringLiteral(";;")));
}

int DialogPrompts::chooseItem(QWidget* parent, const QString& title, const QString& question,
                              const QStringList& items)
{
    bool ok = false;
    const QString item = QInputDialog::getItem(parent, title, question, items, 0, false, &ok);
    return ok ? int(items.indexOf(item)) : -1;
}

bool DialogPrompts::useGrabBeside(QWidget* parent, const QString& grab)
{
    return QMessageBox::question(
               parent, QStringLiteral("Open Map"),
               QStringLiteral("The picture \"%1\" lies beside the map. Open the map with it as "
                              "its grab, so that cells can be compared with the grab and copied "
                              "from it?")
                   .arg(QFileInfo(grab).fileName()),
               QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

QString DialogPrompts::saveFile(QWidget* parent, SaveDialogState& state)
{
    QFileDialog dialog(parent, state.title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The save command asks about existing files itself, once for every output it writes.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setNameFilters(state.filters);
    if (state.filterIndex >= 0 && state.filterIndex < state.filters.size())
        dialog.selectNameFilter(state.filters[state.filterIndex]);
    dialog.setDefaultSuffix(state.defaultSuffix);
    // The folder decides where it opens; a last name kept with its folder keeps only its name.
    if (!state.folder.isEmpty())
        dialog.setDirectory(state.folder);
    if (!state.fileName.isEmpty())
        dialog.selectFile(state.folder.isEmpty() ? state.fileName
                                                 : QFileInfo(state.fileName).fileName());

    // A name typed without an extension takes the one of the chosen file-type row.
    auto rowSuffix = [&dialog, &state] {
        const int row = static_cast<int>(state.filters.indexOf(dialog.selectedNameFilter()));
        const QString filter = row >= 0 ? state.filters[row] : QString();
        const qsizetype star = filter.lastIndexOf(QStringLiteral("*."));
        return star < 0 ? state.defaultSuffix : filter.mid(star + 2).chopped(1);
    };
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, rowSuffix] { dialog.setDefaultSuffix(rowSuffix()); });
    dialog.setDefaultSuffix(rowSuffix());

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    state.filterIndex = static_cast<int>(state.filters.indexOf(dialog.selectedNameFilter()));
    state.fileName = dialog.selectedFiles().constFirst();
    return state.fileName;
}

QString DialogPrompts::pickFolder(QWidget* parent, const QString& caption, const QString& prompt,
                                  const QString& start)
{
    // The platforms' own folder pickers take a caption but no prompt line: Qt's folder view
    // goes inside a dialog of ours, under the prompt.
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("FolderPicker"));
    dialog.setWindowTitle(caption);
    auto* rows = new QVBoxLayout(&dialog);
    auto* promptLine = new QLabel(prompt, &dialog);
    promptLine->setObjectName(QStringLiteral("prompt"));
    rows->addWidget(promptLine);

    auto* folders = new QFileDialog(&dialog, caption, start);
    folders->setWindowFlags(Qt::Widget);
    folders->setOption(QFileDialog::DontUseNativeDialog, true);
    folders->setOption(QFileDialog::ShowDirsOnly, true);
    folders->setFileMode(QFileDialog::Directory);
    rows->addWidget(folders);
    QObject::connect(folders, &QFileDialog::finished, &dialog, &QDialog::done);
    dialog.resize(560, 400);

    if (dialog.exec() != QDialog::Accepted || folders->selectedFiles().isEmpty())
        return {};
    return folders->selectedFiles().constFirst();
}

bool DialogPrompts::confirm(QWidget* parent, const QString& message)
{
    return QMessageBox::question(parent, QApplication::applicationDisplayName(), message,
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

bool DialogPrompts::discardCorrections(QWidget* parent)
{
    // No is the default: a stray Enter must not cost the user their work.
    return QMessageBox::question(
               parent, QApplication::applicationDisplayName(),
               QStringLiteral("The cells you corrected by hand have not been saved, and this "
                              "throws them away.\n\nGo on and lose the corrections? (Choose No, "
                              "then Save Map, to keep them.)"),
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

namespace {

// A message box over the window it is for, centred on it.
void showBox(QWidget* parent, QMessageBox::Icon icon, const QString& text, const QString& details)
{
    QWidget* window = parent ? parent->window() : nullptr;
    QMessageBox box(icon, QApplication::applicationDisplayName(), text, QMessageBox::Ok, window);
    box.setObjectName(QStringLiteral("MessageBox"));
    if (!details.isEmpty())
        box.setDetailedText(details); // a scrolling field, of the box's own size
    if (window) {
        box.adjustSize();
        box.move(window->frameGeometry().center() - box.rect().center());
    }
    box.exec();
}

} // namespace

void DialogPrompts::reportError(QWidget* parent, const QString& message)
{
    // A message whose lines would take more than a third of a laptop's screen keeps its first
    // paragraph in sight and the rest in the details.
    const qsizetype split = message.indexOf(QStringLiteral("\n\n"));
    if (message.count(QLatin1Char('\n')) > 12 && split > 0)
        showBox(parent, QMessageBox::Critical,
                message.left(split) + QStringLiteral("\n\nShow Details... lists the rest."),
                message.mid(split + 2));
    else
        showBox(parent, QMessageBox::Critical, message, QString());
}

void DialogPrompts::tell(QWidget* parent, Tone tone, const QString& text, const QString& details)
{
    const QMessageBox::Icon icon = tone == Tone::Error     ? QMessageBox::Critical
                                   : tone == Tone::Warning ? QMessageBox::Warning
                                                           : QMessageBox::Information;
    showBox(parent, icon, text, details);
}

void DialogPrompts::openUrl(QWidget* parent, const QString& url)
{
    Q_UNUSED(parent);
    QDesktopServices::openUrl(QUrl(url)); // the answer is not used: nothing to report
}

} // namespace vt
