#include "cli/TableRun.h"

#include "export/BulkConvert.h"
#include "export/MapTableReader.h"

#include <QDir>
#include <QFileInfo>

namespace vt::cli {

GrabPlan planTable(GrabSession& session, const QString& path, const BulkOptions& options,
                   const TableInputs& tables, QStringList& notes)
{
    GrabPlan plan;
    try {
        const MapTableFile table = readMapTable(path);
        if (table.kind == TableKind::Csv && tables.game < 0) {
            plan.failure = QStringLiteral("\"%1\" does not say which game it is of: give it with "
                                          "--game 1 or --game 2.")
                               .arg(QDir::toNativeSeparators(path));
            return plan;
        }
        notes = session.openMap(path, table, tables.game,
                                tables.charRef.value_or(session.prefs.charRef));
        // The outputs in the code mode asked for; otherwise as the table was read.
        if (tables.charRef)
            session.openedCharRef = *tables.charRef;
    } catch (const Error& error) {
        plan.failure = error.message();
        return plan;
    }
    plan.analysed = true;
    plan.decodes = true;
    plan.game = session.game;
    plan.colour = session.colour;
    plan.grid = session.grid;
    plan.base = options.outputDir + QLatin1Char('/') +
                expandPattern(options.pattern, plan.game + 1, QFileInfo(path).fileName());
    return plan;
}

GrabReport finishTable(GrabSession& session, const QString& path, const GrabPlan& plan,
                       const BulkOptions& options)
{
    GrabReport report;
    report.input = path;
    report.analysed = plan.analysed;
    report.game = plan.game;
    report.colour = plan.colour;
    report.grid = plan.grid;
    if (!plan.decodes) {
        report.outcome = GrabReport::Outcome::Failed;
        report.error = plan.failure;
        return report;
    }
    report.errors = session.decoded.errors;
    report.check = session.check;
    SaveMapHooks hooks;
    hooks.syncEachFile = options.syncEachFile;
    try {
        report.outputs =
            session.saveUnder(session.mapPicture, plan.base, options.choices, false, hooks);
    } catch (const SaveError& error) {
        report.outputs = error.written();
        report.outcome = GrabReport::Outcome::Failed;
        report.error = error.message();
        report.saveFailed = true;
        return report;
    }
    report.outcome = GrabReport::Outcome::Converted;
    return report;
}

} // namespace vt::cli
