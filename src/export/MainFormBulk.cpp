// The main window's bulk conversion: the session steps through every grab of a folder with the
// same commands the user runs one by one, and the window shows each grab as it goes. Between
// grabs the run takes Esc or its Stop button, and no other input.
#include "app/MainForm.h"

#include "app/Controls.h"
#include "charsets/ColourSelector.h"
#include "export/BulkConvForm.h"
#include "export/BulkConvert.h"
#include "intake/ImageSignature.h"
#include "pictures/Error.h"
#include "session/BulkReport.h"
#include "session/BulkRun.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusBar>

#include <algorithm>
#include <array>
#include <optional>

namespace vt {

namespace {

QString grabsText(int count)
{
    return count == 1 ? QStringLiteral("1 grab") : QStringLiteral("%1 grabs").arg(count);
}

// While a run goes on, the user's input reaches only the Stop button shown in the status line;
// Esc, and closing the main window, ask for a stop as the button does. Installed for the run
// alone, so that every question asked after it is answered as usual.
class BulkStopGuard : public QObject
{
public:
    BulkStopGuard(QMainWindow* window, bool& stop) : m_window(window), m_stop(stop)
    {
        m_stop = false;
        m_button = new QPushButton(QStringLiteral("Stop (Esc)"), window->statusBar());
        m_button->setObjectName(QStringLiteral("sb_StopBulk"));
        m_button->setFocusPolicy(Qt::NoFocus);
        m_button->setStyleSheet(
            QStringLiteral("QPushButton { color: aqua; background: black; border: 1px solid aqua; "
                           "padding: 1px 10px; } QPushButton:pressed { background: #205050; }"));
        QObject::connect(m_button, &QPushButton::clicked, this, [this] { m_stop = true; });
        window->statusBar()->addPermanentWidget(m_button);
        m_button->show();
        QCoreApplication::instance()->installEventFilter(this);
    }

    ~BulkStopGuard() override
    {
        QCoreApplication::instance()->removeEventFilter(this);
        m_window->statusBar()->removeWidget(m_button);
        delete m_button;
    }

    BulkStopGuard(const BulkStopGuard&) = delete;
    BulkStopGuard& operator=(const BulkStopGuard&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
                m_stop = true;
            return true;
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::InputMethod:
            return true;
        case QEvent::Close:
            if (watched != m_window)
                return false;
            m_stop = true;
            event->ignore();
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::Enter:
        case QEvent::HoverEnter:
        case QEvent::HoverMove:
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::TouchBegin:
        case QEvent::TabletPress:
            // The window system hands pointer events to the window, which passes them on to
            // the widget under the pointer: only that widget's copy is judged.
            return watched->isWidgetType() && watched != m_button;
        default:
            return false;
        }
    }

private:
    QMainWindow* m_window;
    bool& m_stop;
    QPushButton* m_button;
};

// The controls that do nothing while a run goes on look disabled for its length; each keeps
// its own state, which the run may change meanwhile, for afterwards.
class BulkControlsOff
{
public:
    explicit BulkControlsOff(TMainForm& main)
        : m_widgets{main.ui.ButtonPanel, main.ui.cb_game, main.ui.cb_map_colour,
                    main.ui.sb_Characters}
    {
        for (QWidget* widget : m_widgets)
            widget->setEnabled(false);
    }
    ~BulkControlsOff()
    {
        for (QWidget* widget : m_widgets)
            widget->setEnabled(true);
    }
    BulkControlsOff(const BulkControlsOff&) = delete;
    BulkControlsOff& operator=(const BulkControlsOff&) = delete;

private:
    std::array<QWidget*, 4> m_widgets;
};

} // namespace

void TMainForm::sb_bulkconvertClick()
{
    if (m_bulk->exec() != QDialog::Accepted || !mayDiscardCorrections())
        return;

    const QString source = m_bulk->Source->path();
    BulkOptions options;
    options.outputDir = m_bulk->Dest->path();
    options.choices = m_bulk->checkedFormats();
    options.pattern = m_bulk->ed_filename->text();
    if (const QString refused = patternLeavesFolder(options.pattern); !refused.isEmpty()) {
        prompts().reportError(this, refused);
        return;
    }
    options.reportPictures = m_bulk->cb_PictureReport->isChecked();
    options.staleTemporaries = std::make_shared<StaleTemporaries>();
    runBulk(source, options);
}

void TMainForm::runBulk(const QString& source, const BulkOptions& options)
{
    const QStringList names = m_bulk->ListBox1;
    const QString destination = QDir::toNativeSeparators(options.outputDir);
    BulkTally tally;
    QString lastDone;  // the grab done last, where a stop leaves the run
    int failedAt = -1; // the grab whose outputs could not be written
    QString failedWrite;
    // Every grab goes into the picture report, those passed over and those that failed too.
    std::optional<BulkReportWriter> pictureReport;
    if (options.reportPictures)
        pictureReport.emplace(QDir(options.outputDir).filePath(kPictureReportName));
    QStringList removed; // temporaries a killed run left
    const auto note = [&pictureReport, &removed](const GrabReport& report) {
        if (pictureReport)
            pictureReport->add(report);
        removed += report.removedTemporaries;
    };
    // Files this pattern would write for other grabs of the listing: a run into its own source
    // folder left them, and they are passed over.
    const QStringList own = ownOutputs(names, options.pattern);
    int total = 0; // the grabs to convert, for the gauge
    for (const QString& name : names)
        total += !own.contains(name) && IsAnImage(QDir(source).filePath(name));
    int done = 0;
    {
        BulkStopGuard guard(this, m_bulkStop);
        // While the run goes on only Stop takes input: the rest looks it.
        const BulkControlsOff off(*this);
        SwitchProgress(true);
        ui.ProgressBar1->setRange(0, std::max(total, 1));
        ui.ProgressBar1->setFormat(QStringLiteral("%v of %m grabs"));
        ui.ProgressBar1->setValue(0);
        for (int i = 0; i < names.size(); ++i) {
            const QString& name = names[i];
            const QString path = QDir(source).filePath(name);
            if (own.contains(name)) {
                tally.earlierOutputs.append(name);
                GrabReport skipped;
                skipped.input = path;
                skipped.error = QStringLiteral("an output of the file-name pattern for another "
                                               "grab of the folder");
                note(skipped);
                continue;
            }
            if (!IsAnImage(path)) {
                ++tally.passedOver;
                GrabReport skipped;
                skipped.input = path;
                skipped.error = QStringLiteral("not a picture");
                note(skipped);
                continue;
            }
            const QString converting =
                QStringLiteral("Converting %1 of %2: %3").arg(i + 1).arg(names.size()).arg(name);
            statusBar()->showMessage(converting);
            // The window repaints between grabs, and takes a stop asked for during the last.
            QCoreApplication::processEvents();
            if (m_bulkStop) {
                for (int j = i; j < names.size(); ++j) {
                    const QString rest = QDir(source).filePath(names[j]);
                    if (!own.contains(names[j]) && IsAnImage(rest)) {
                        tally.notReached.append(names[j]);
                    } else {
                        GrabReport skipped; // still an entry of the listing
                        skipped.input = rest;
                        skipped.error = QStringLiteral("not reached, and not a grab to convert");
                        note(skipped);
                    }
                }
                if (pictureReport)
                    pictureReport->stopped(tally.notReached);
                break;
            }

            LoadedGrab grab = loadGrab(path);
            editboundbox = false;
            ui.mapboundbox->hide();
            const GrabPlan plan = planGrab(m_session, grab, options);
            // A grab that cannot be read leaves the window as it was. The window's own
            // messages for a grab would stand while it is decoded: the run's line is put back
            // at once.
            if (plan.analysed) {
                ResetFields(true);
                showLoaded();
                statusBar()->showMessage(converting);
            }
            const GrabReport report = finishGrab(m_session, grab, plan, options);
            note(report);
            if (report.decoded) {
                showDecoded();
                statusBar()->showMessage(converting);
            }
            if (report.saveFailed) {
                failedAt = i;
                failedWrite = report.error;
                break;
            }
            tally.add(name, report);
            lastDone = name;
            ui.ProgressBar1->setValue(++done);
            emit bulkGrabDone(i + 1, int(names.size()));
        }
        SwitchProgress(false);
        ui.ProgressBar1->setRange(0, 100);
        ui.ProgressBar1->resetFormat();
    }
    // Writes the picture report; what went wrong with it, for the message at the end.
    QString reportProblem;
    if (pictureReport) {
        try {
            pictureReport->finish();
        } catch (const Error& error) {
            reportProblem = error.message();
        }
        removed += pictureReport->removedTemporaries();
    }
    const auto withReport = [&reportProblem](QString message) {
        if (!reportProblem.isEmpty())
            message += (message.isEmpty() ? QString() : QStringLiteral("\n\n")) + reportProblem;
        return message;
    };
    // The box says what happened with the counts; the lists go into its details, so that
    // however many grabs they name, it stays on the screen.
    const auto tell = [this, &tally, &withReport](UserPrompts::Tone tone, const QString& text) {
        QString said = text;
        if (const QString counts = tally.counts(); !counts.isEmpty())
            said += QLatin1Char(' ') + counts;
        prompts().tell(this, tone, said, withReport(tally.details()));
    };

    if (failedAt >= 0) {
        // A write that fails ends the run: every later grab would fail alike (a destination
        // gone or full). The grab stays decoded in the window, so that it can still be saved
        // elsewhere, and the report keeps what the run did before.
        const QString& name = names[failedAt];
        statusBar()->showMessage(QStringLiteral("Bulk conversion stopped at %1 of %2: %3")
                                     .arg(failedAt + 1)
                                     .arg(names.size())
                                     .arg(name));
        tell(UserPrompts::Tone::Error,
             failedWrite +
                 QStringLiteral("\n\nThe bulk conversion stopped at \"%1\"; %2 "
                                "converted before it, none after it.")
                     .arg(name, tally.converted == 1
                                    ? QStringLiteral("1 grab was")
                                    : QStringLiteral("%1 grabs were").arg(tally.converted)));
        return;
    }

    // No grab is shown any more: nothing of the last one may stay in the labels.
    m_session.closeGrab();
    ResetFields(true);
    showSelection();
    ui.lb_filename->clear();
    ui.lb_maparea->clear();

    QString summary = QStringLiteral("%1 of %2 into %3")
                          .arg(tally.converted)
                          .arg(grabsText(tally.grabs()))
                          .arg(destination);
    if (!tally.failures.isEmpty())
        summary += QStringLiteral("; %1 could not be converted").arg(tally.failures.size());
    if (tally.passedOver > 0)
        summary +=
            QStringLiteral("; %1 passed over (not pictures)")
                .arg(tally.passedOver == 1 ? QStringLiteral("1 file")
                                           : QStringLiteral("%1 files").arg(tally.passedOver));
    if (!tally.notReached.isEmpty()) {
        statusBar()->showMessage(QStringLiteral("Bulk conversion stopped: converted %1; %2 not "
                                                "reached.")
                                     .arg(summary)
                                     .arg(tally.notReached.size()));
        const QString converted = tally.converted == 1
                                      ? QStringLiteral("1 grab was")
                                      : QStringLiteral("%1 grabs were").arg(tally.converted);
        const QString where = lastDone.isEmpty() ? QStringLiteral("before its first grab")
                                                 : QStringLiteral("after \"%1\"").arg(lastDone);
        tell(UserPrompts::Tone::Information,
             QStringLiteral("The bulk conversion was stopped %1: %2 converted into %3.")
                 .arg(where, converted, destination));
        return;
    }
    if (!removed.isEmpty())
        summary +=
            QStringLiteral("; removed %1 left by a run that was killed: %2")
                .arg(removed.size() == 1 ? QStringLiteral("a temporary file")
                                         : QStringLiteral("%1 temporary files").arg(removed.size()),
                     removed.join(QStringLiteral(", ")));
    if (pictureReport && reportProblem.isEmpty())
        summary += QStringLiteral("; the picture report is %1")
                       .arg(QDir::toNativeSeparators(pictureReport->path()));
    statusBar()->showMessage(QStringLiteral("Converted %1.").arg(summary));
    if (!tally.details().isEmpty())
        tell(tally.failures.isEmpty() ? UserPrompts::Tone::Warning : UserPrompts::Tone::Error,
             QStringLiteral("Converted %1 of %2 into %3.")
                 .arg(tally.converted)
                 .arg(grabsText(tally.grabs()))
                 .arg(destination));
    else if (!reportProblem.isEmpty())
        prompts().tell(this, UserPrompts::Tone::Warning, reportProblem, QString());
}

} // namespace vt
