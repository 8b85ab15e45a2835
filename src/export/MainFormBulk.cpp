// The main window's bulk conversion: every grab of a folder loaded, located, decoded and saved
// with the same commands the user runs one by one.
#include "app/MainForm.h"

#include "pictures/Error.h"
#include "charsets/ColourSelector.h"
#include "export/BulkConvForm.h"
#include "export/BulkConvert.h"
#include "intake/ImageSignature.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>

#include "app/Controls.h"

namespace vt {

void TMainForm::sb_bulkconvertClick()
{
    if (m_bulk->exec() != QDialog::Accepted)
        return;

    const QString source = m_bulk->Source->path();
    const QString destination = m_bulk->Dest->path();
    const SaveChoices choices = m_bulk->checkedFormats();
    const QString pattern = m_bulk->ed_filename->text();

    const QStringList names = m_bulk->ListBox1;
    QStringList failures;
    int converted = 0;
    for (int i = 0; i < names.size(); ++i) {
        const QString& name = names[i];
        const QString path = QDir(source).filePath(name);
        if (!IsAnImage(path))
            continue;
        statusBar()->showMessage(
            QStringLiteral("Converting %1 of %2: %3").arg(i + 1).arg(names.size()).arg(name));
        // Let the window repaint between grabs; no input is taken while the run goes on.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

        // A grab that cannot be read is passed over and reported at the end: the others can
        // still be converted.
        try {
            LoadScreenGrab(path);
        } catch (const Error& error) {
            failures.append(error.message());
            continue;
        }
        DecodeScreen();
        if (!sb_SaveMap->isEnabled())
            continue;
        // Joined by hand: an empty pattern names the outputs by their extension alone, inside
        // the destination.
        const QString base = destination + QLatin1Char('/') +
                             expandPattern(pattern, cb_game->currentIndex() + 1, name);
        // A write that fails ends the run: every later grab would fail alike (a destination
        // gone or full). The grab stays decoded in the window, so that it can still be saved
        // elsewhere, and the report keeps what the run did before.
        try {
            saveOutputs(img_Map->picture(), base, choices, false);
        } catch (const Error& error) {
            statusBar()->showMessage(QStringLiteral("Bulk conversion stopped at %1 of %2: %3")
                                         .arg(i + 1)
                                         .arg(names.size())
                                         .arg(name));
            QString report =
                error.message() +
                QStringLiteral("\n\nThe bulk conversion stopped at \"%1\"; %2 "
                               "converted before it, none after it.")
                    .arg(name, converted == 1 ? QStringLiteral("1 grab was")
                                              : QStringLiteral("%1 grabs were").arg(converted));
            if (!failures.isEmpty())
                report += QStringLiteral("\n\nThese grabs could not be converted:\n\n") +
                          failures.join(QLatin1Char('\n'));
            prompts().reportError(this, report);
            return;
        }
        ++converted;
    }
    ResetFields(true);
    statusBar()->showMessage(QStringLiteral("Converted %1 of %2 files into %3.")
                                 .arg(converted)
                                 .arg(names.size())
                                 .arg(QDir::toNativeSeparators(destination)));
    if (!failures.isEmpty())
        prompts().reportError(this, QStringLiteral("These grabs could not be converted:\n\n") +
                                        failures.join(QLatin1Char('\n')));
}

} // namespace vt
