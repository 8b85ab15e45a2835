#include "app/UserPrompts.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

namespace vt {

QString DialogPrompts::openPicture(QWidget* parent, const QString& title,
                                   const QStringList& filters, const QString& folder)
{
    return QFileDialog::getOpenFileName(parent, title, folder, filters.join(QStringLiteral(";;")));
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
    Q_UNUSED(prompt); // the platform's folder picker has no prompt line; the caption says it
    return QFileDialog::getExistingDirectory(parent, caption, start);
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

void DialogPrompts::reportError(QWidget* parent, const QString& message)
{
    QMessageBox::critical(parent, QApplication::applicationDisplayName(), message);
}

void DialogPrompts::openUrl(QWidget* parent, const QString& url)
{
    Q_UNUSED(parent);
    QDesktopServices::openUrl(QUrl(url)); // the answer is not used: nothing to report
}

} // namespace vt
