// vorlan-tesselor-cli: converts grabs and folders of grabs into maps without a window, with
// the same outputs as the window's bulk conversion.
#include "charsets/GameTables.h"
#include "cli/CliOptions.h"
#include "cli/ConvertRun.h"
#include "cli/LibraryOutput.h"
#include "cli/Progress.h"
#include "export/BulkConvert.h"
#include "export/MapTableReader.h"
#include "pictures/Error.h"
#include "session/BulkReport.h"
#include "settings/RegUtils.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include <cmath>
#include <cstdio>
#include <optional>

using namespace vt;

namespace {

const char* outcomeName(GrabReport::Outcome outcome)
{
    switch (outcome) {
    case GrabReport::Outcome::Skipped:
        return "skipped";
    case GrabReport::Outcome::Converted:
        return "converted";
    case GrabReport::Outcome::Failed:
        return "failed";
    }
    return "";
}

QJsonObject jsonOf(const GrabReport& report)
{
    QJsonObject object{
        {QStringLiteral("input"), QDir::toNativeSeparators(report.input)},
        {QStringLiteral("status"), QLatin1String(outcomeName(report.outcome))},
        {QStringLiteral("outputs"), QJsonArray::fromStringList(report.outputs)},
    };
    if (report.analysed) {
        object.insert(QStringLiteral("game"), report.game + 1);
        object.insert(QStringLiteral("scheme"), colourName(report.colour));
        object.insert(QStringLiteral("grid"),
                      QJsonObject{{QStringLiteral("columns"), report.grid.grab_width},
                                  {QStringLiteral("rows"), report.grid.grab_height},
                                  {QStringLiteral("originx"), qint64(report.grid.originx)},
                                  {QStringLiteral("originy"), qint64(report.grid.originy)}});
    }
    if (report.decoded) {
        object.insert(QStringLiteral("errors"), qint64(report.errors));
        object.insert(QStringLiteral("accuracy"), report.accuracy);
        const Confidence& c = report.confidence;
        // The mean best score, and the share of cells a speck could have tipped.
        object.insert(QStringLiteral("confidence"), std::nearbyint(c.meanScore * 10) / 10);
        object.insert(QStringLiteral("near_ties"), std::nearbyint(c.nearTieShare * 1000) / 1000);
        object.insert(QStringLiteral("game_certain"), c.gameCertain);
        object.insert(QStringLiteral("grid_certain"), c.gridCertain);
        object.insert(QStringLiteral("located_by"), QLatin1String(locatedByName(c.locatedBy)));
        // The cells to check by hand, [column, row] in reading order.
        QJsonArray check;
        for (const CellToCheck& cell : report.check.cells())
            check.append(QJsonArray{cell.column, cell.row});
        object.insert(QStringLiteral("check"), check);
        // For each of them, in the same order, the characters most like it: [index, score],
        // best first.
        QJsonArray candidates;
        for (const std::vector<CellCandidate>& ranked : report.candidates) {
            QJsonArray cell;
            for (const CellCandidate& candidate : ranked)
                cell.append(QJsonArray{candidate.index, candidate.score});
            candidates.append(cell);
        }
        object.insert(QStringLiteral("candidates"), candidates);
    }
    if (report.outcome == GrabReport::Outcome::Skipped)
        object.insert(QStringLiteral("error"),
                      QStringLiteral("not a BMP, PNG, GIF or JPEG picture"));
    else if (!report.error.isEmpty())
        object.insert(QStringLiteral("error"), report.error);
    return object;
}

// Files first named, folders expanded to their files (not their sub-folders) in name order.
// A table is taken only where it is named itself: `isTable` marks those.
QStringList grabsOf(const QStringList& inputs, std::vector<bool>& isTable)
{
    QStringList grabs;
    for (const QString& input : inputs) {
        if (QFileInfo(input).isDir()) {
            const QDir folder(input);
            for (const QString& name : listFolder(input)) {
                grabs.append(folder.filePath(name));
                isTable.push_back(false);
            }
        } else {
            grabs.append(input);
            isTable.push_back(tableKindOf(input).has_value());
        }
    }
    return grabs;
}

// Qt's own warnings (an image plug-in's "libpng warning: ...", say) name no file and come
// beside the program's message about the same grab, which does: they are dropped, also under
// -q and --json. Only what would end the program still gets through.
void dropQtWarnings(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(cli::programErrors(), "%s\n", message.toLocal8Bit().constData());
}

void print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toUtf8().constData(), stream);
    std::fflush(stream);
}

} // namespace

int main(int argc, char* argv[])
{
    // Nothing here draws on a screen: pictures are read, drawn and written in memory.
    std::FILE* const errors = cli::programErrors();
    qInstallMessageHandler(dropQtWarnings);
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Vorlan Tesselor"));

    const cli::ParseResult parsed = cli::parseCommandLine(QCoreApplication::arguments());
    switch (parsed.action) {
    case cli::ParseResult::Action::Help:
    case cli::ParseResult::Action::Version:
        print(stdout, parsed.text);
        return 0;
    case cli::ParseResult::Action::Error:
        print(errors, parsed.text);
        return 2;
    case cli::ParseResult::Action::Run:
        break;
    }
    const cli::CliOptions& options = parsed.options;
    // A damaged or unreadable settings store: the defaults stand in, and the user is told.
    for (const QString& problem : takeSettingsProblems())
        print(errors, QStringLiteral("vorlan-tesselor-cli: %1\n").arg(problem));

    const QString outputDir = QDir::cleanPath(
        QDir(options.outputDir.isEmpty() ? QDir::currentPath() : options.outputDir).absolutePath());
    if (!QDir().mkpath(outputDir)) {
        print(errors, QStringLiteral("vorlan-tesselor-cli: cannot create the output folder "
                                     "\"%1\".\n")
                          .arg(QDir::toNativeSeparators(outputDir)));
        return 2;
    }

    cli::TableInputs tables;
    tables.game = options.bulk.forcedGame;
    tables.charRef = options.csvCodes;
    const QStringList grabs = grabsOf(options.inputs, tables.isTable);
    const int jobs = options.jobs > 0 ? options.jobs : std::max(1, QThread::idealThreadCount());
    cli::Progress progress(errors, int(grabs.size()), options.quiet);
    int converted = 0;
    int failed = 0;
    int skipped = 0;
    QStringList warnings; // converted grabs whose game or grid is not certain
    int cellsToCheck = 0;
    QStringList removed; // temporaries a killed run left
    std::optional<BulkReportWriter> pictureReport;
    if (!options.report.isEmpty())
        pictureReport.emplace(options.report);
    cli::convertAll(
        grabs, options.prefs, options.bulk, outputDir, jobs, tables,
        [&](int, const GrabReport& report, const QStringList& notes) {
            if (options.json)
                print(stdout, QString::fromUtf8(
                                  QJsonDocument(jsonOf(report)).toJson(QJsonDocument::Compact)) +
                                  QLatin1Char('\n'));
            if (pictureReport)
                pictureReport->add(report);
            removed += report.removedTemporaries;
            switch (report.outcome) {
            case GrabReport::Outcome::Converted:
                ++converted;
                cellsToCheck += report.check.count();
                for (const QString& note : notes)
                    warnings.append(QStringLiteral("vorlan-tesselor-cli: warning: %1\n").arg(note));
                // An opened table was not decoded: there is nothing to doubt.
                if (const QString doubt =
                        report.decoded ? uncertainty(report.confidence) : QString();
                    !doubt.isEmpty())
                    warnings.append(QStringLiteral("vorlan-tesselor-cli: warning: \"%1\": %2.\n")
                                        .arg(QDir::toNativeSeparators(report.input), doubt));
                break;
            case GrabReport::Outcome::Failed:
                ++failed;
                break;
            case GrabReport::Outcome::Skipped:
                ++skipped;
                break;
            }
            progress.grabDone(QFileInfo(report.input).fileName(), report.error,
                              report.outcome == GrabReport::Outcome::Skipped);
        });
    progress.finish();
    bool reportFailed = false;
    if (pictureReport) {
        try {
            pictureReport->finish();
        } catch (const Error& error) {
            print(errors, QStringLiteral("vorlan-tesselor-cli: %1\n").arg(error.message()));
            reportFailed = true;
        }
        removed += pictureReport->removedTemporaries();
    }

    if (!options.quiet) {
        const double seconds = progress.seconds();
        QString summary = QStringLiteral("Converted %1 of %2 grabs into %3 in %4 s")
                              .arg(converted)
                              .arg(converted + failed)
                              .arg(QDir::toNativeSeparators(outputDir))
                              .arg(seconds, 0, 'f', 1);
        // A rate of grabs that were not converted would tell nothing.
        if (converted > 0 && seconds > 0)
            summary += QStringLiteral(" (%1 grabs/s)").arg(converted / seconds, 0, 'f', 1);
        summary += QStringLiteral(", %1 %2 to check")
                       .arg(cellsToCheck)
                       .arg(cellsToCheck == 1 ? QStringLiteral("cell") : QStringLiteral("cells"));
        if (failed > 0)
            summary += QStringLiteral("; %1 failed").arg(failed);
        if (skipped > 0)
            summary += QStringLiteral("; %1 %2 passed over (not pictures)")
                           .arg(skipped)
                           .arg(skipped == 1 ? QStringLiteral("file") : QStringLiteral("files"));
        if (!warnings.isEmpty())
            summary += QStringLiteral("; %1 to check by hand").arg(warnings.size());
        if (!removed.isEmpty())
            summary += QStringLiteral("; removed %1 left by a run that was killed: %2")
                           .arg(removed.size() == 1
                                    ? QStringLiteral("a temporary file")
                                    : QStringLiteral("%1 temporary files").arg(removed.size()),
                                removed.join(QStringLiteral(", ")));
        for (const QString& warning : warnings)
            print(errors, warning);
        if (pictureReport && !reportFailed)
            summary += QStringLiteral("; picture report %1")
                           .arg(QDir::toNativeSeparators(pictureReport->path()));
        print(errors, summary + QStringLiteral(".\n"));
    }
    return failed > 0 || reportFailed ? 1 : 0;
}
