// The main window's bulk conversion: the session steps through every grab of a folder with the
// same commands the user runs one by one, and the window shows each grab as it goes.
#include "app/MainForm.h"

#include "app/Controls.h"
#include "export/BulkConvForm.h"
#include "pictures/Error.h"
#include "session/BulkReport.h"
#include "session/BulkRun.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QProgressBar>
#include <QStatusBar>

#include <optional>

namespace vt {

void TMainForm::sb_bulkconvertClick()
{
    if (m_bulk->exec() != QDialog::Accepted)
        return;

    const QString source = m_bulk->Source->path();
    BulkOptions options;
    options.outputDir = m_bulk->Dest->path();
    options.choices = m_bulk->checkedFormats();
    options.pattern = m_bulk->ed_filename->text();
    options.reportPictures = m_bulk->cb_PictureReport->isChecked();
    // Every grab goes into the report, those passed over and those that failed as well.
    std::optional<BulkReportWriter> pictureReport;
    if (options.reportPictures)
        pictureReport.emplace(QDir(options.outputDir).filePath(kPictureReportName));
    const auto note = [&pictureReport](const GrabReport& report) {
        if (pictureReport)
            pictureReport->add(report);
    };
    // Writes the report; what went wrong with it, for the message at the end.
    const auto finishReport = [&pictureReport]() -> QString {
        if (!pictureReport)
            return {};
        try {
            pictureReport->finish();
        } catch (const Error& error) {
            return error.message();
        }
        return {};
    };

    const QStringList names = m_bulk->ListBox1;
    QStringList failures;
    QStringList doubtful; // converted, but with a game or grid that is not certain
    int converted = 0;
    for (int i = 0; i < names.size(); ++i) {
        const QString& name = names[i];
        LoadedGrab grab = loadGrab(QDir(source).filePath(name));
        if (grab.status == LoadedGrab::Status::NotAPicture) {
            GrabReport skipped;
            skipped.input = grab.path;
            note(skipped);
            continue;
        }
        statusBar()->showMessage(
            QStringLiteral("Converting %1 of %2: %3").arg(i + 1).arg(names.size()).arg(name));
        // Let the window repaint between grabs; no input is taken while the run goes on.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

        // A grab that cannot be read is passed over and reported at the end: the others can
        // still be converted.
        if (grab.status == LoadedGrab::Status::Unreadable) {
            failures.append(grab.error);
            GrabReport unreadable;
            unreadable.input = grab.path;
            unreadable.outcome = GrabReport::Outcome::Failed;
            unreadable.error = grab.error;
            note(unreadable);
            continue;
        }
        editboundbox = false;
        ui.mapboundbox->hide();
        const GrabPlan plan = planGrab(m_session, grab, options);
        ResetFields(true);
        showLoaded();
        if (!plan.decodes) {
            if (pictureReport) // passed over without a message, but the report tells why
                note(finishGrab(m_session, grab, plan, options));
            continue;
        }

        SwitchProgress(true);
        const GrabReport report = finishGrab(m_session, grab, plan, options, [this](int percent) {
            ui.ProgressBar1->setValue(percent);
            ui.ProgressBar1->repaint();
        });
        SwitchProgress(false);
        note(report);
        if (report.decoded)
            showDecoded();
        if (report.outcome == GrabReport::Outcome::Converted) {
            ++converted;
            if (const QString doubt = uncertainty(report.confidence); !doubt.isEmpty())
                doubtful.append(QStringLiteral("%1: %2").arg(name, doubt));
            continue;
        }
        if (!report.saveFailed) {
            failures.append(report.error);
            continue;
        }
        // A write that fails ends the run: every later grab would fail alike (a destination
        // gone or full). The grab stays decoded in the window, so that it can still be saved
        // elsewhere, and the report keeps what the run did before.
        statusBar()->showMessage(QStringLiteral("Bulk conversion stopped at %1 of %2: %3")
                                     .arg(i + 1)
                                     .arg(names.size())
                                     .arg(name));
        QString message =
            report.error + QStringLiteral("\n\nThe bulk conversion stopped at \"%1\"; %2 "
                                          "converted before it, none after it.")
                               .arg(name, converted == 1
                                              ? QStringLiteral("1 grab was")
                                              : QStringLiteral("%1 grabs were").arg(converted));
        if (!failures.isEmpty())
            message += QStringLiteral("\n\nThese grabs could not be converted:\n\n") +
                       failures.join(QLatin1Char('\n'));
        if (const QString problem = finishReport(); !problem.isEmpty())
            message += QStringLiteral("\n\n") + problem;
        prompts().reportError(this, message);
        return;
    }
    m_session.closeGrab();
    ResetFields(true);
    showSelection();
    QString done = QStringLiteral("Converted %1 of %2 files into %3.")
                       .arg(converted)
                       .arg(names.size())
                       .arg(QDir::toNativeSeparators(options.outputDir));
    QStringList report;
    if (const QString problem = finishReport(); !problem.isEmpty())
        report.append(problem);
    else if (pictureReport)
        done += QStringLiteral(" The picture report is %1.")
                    .arg(QDir::toNativeSeparators(pictureReport->path()));
    statusBar()->showMessage(done);
    if (!failures.isEmpty())
        report.append(QStringLiteral("These grabs could not be converted:\n\n") +
                      failures.join(QLatin1Char('\n')));
    if (!doubtful.isEmpty())
        report.append(QStringLiteral("These grabs were converted, but should be checked:\n\n") +
                      doubtful.join(QLatin1Char('\n')));
    if (!report.isEmpty())
        prompts().reportError(this, report.join(QStringLiteral("\n\n")));
}

} // namespace vt
