#include "session/BulkRun.h"

#include "export/BulkConvert.h"
#include "intake/ImageSignature.h"
#include "pictures/Error.h"
#include "session/BulkReport.h"

#include <QDir>
#include <QFileInfo>

namespace vt {

namespace {

QString absolute(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

LoadedGrab loadGrab(const QString& path)
{
    LoadedGrab grab;
    grab.path = path;
    grab.name = QFileInfo(path).fileName();
    if (!QFileInfo::exists(path)) {
        // Named, but not there: a failure to tell, not a file to pass over.
        grab.status = LoadedGrab::Status::Unreadable;
        grab.error = QStringLiteral("\"%1\" was not found.").arg(QDir::toNativeSeparators(path));
        return grab;
    }
    if (!IsAnImage(path))
        return grab;
    try {
        grab.pictures = GrabSession::readGrab(path);
        grab.status = LoadedGrab::Status::Loaded;
    } catch (const Error& error) {
        grab.status = LoadedGrab::Status::Unreadable;
        grab.error = error.message();
    }
    return grab;
}

GrabPlan planGrab(GrabSession& session, LoadedGrab& grab, const BulkOptions& options)
{
    GrabPlan plan;
    if (grab.status == LoadedGrab::Status::NotAPicture)
        return plan;
    if (grab.status == LoadedGrab::Status::Unreadable) {
        plan.failure = grab.error;
        return plan;
    }

    // A forced game is analysed as a reload with that game chosen: nothing detected changes it.
    const bool forcedGame = options.forcedGame >= 0;
    if (forcedGame)
        session.game = options.forcedGame;
    session.loadPictures(std::move(grab.pictures), grab.path, !forcedGame);
    grab.pictures = {};
    if (options.forcedColour >= 0 && session.outcome != LoadOutcome::WindowNotFound)
        session.selectColour(options.forcedColour);
    plan.analysed = true;

    if (session.outcome == LoadOutcome::WindowNotFound) {
        plan.failure = QStringLiteral("\"%1\" is the size of a game window, but shows neither "
                                      "window marker with the hero beside it; nothing decoded.")
                           .arg(QDir::toNativeSeparators(grab.path));
        return plan;
    }
    plan.game = session.game;
    plan.colour = session.colour;
    plan.grid = session.grid;
    plan.decodes = session.canDecode();
    // No map found: the grid is the fallback guess. The window's run writes it as it always
    // did (and lists it); the command line writes nothing for it, whatever came before it.
    plan.noMap = session.confidence.locatedBy == LocatedBy::Fallback;
    if (plan.noMap && !options.writeWithoutMap) {
        plan.decodes = false;
        plan.failure = QStringLiteral("\"%1\": no map found (neither a map view nor a game window "
                                      "was recognised); nothing written.")
                           .arg(QDir::toNativeSeparators(grab.path));
        return plan;
    }
    if (!plan.decodes) {
        plan.failure = QStringLiteral("\"%1\" is neither a map view nor a game window, and no grab "
                                      "before it in this run was; nothing decoded.")
                           .arg(QDir::toNativeSeparators(grab.path));
        return plan;
    }
    // Joined by hand: an empty pattern names the outputs by their extension alone, inside the
    // destination.
    plan.base = options.outputDir + QLatin1Char('/') +
                expandPattern(options.pattern, plan.game + 1, grab.name);
    return plan;
}

std::vector<OutputFile> plannedOutputs(const GrabPlan& plan, const BulkOptions& options)
{
    if (!plan.decodes)
        return {};
    return outputFiles(plan.base, options.choices, plan.game, plan.colour);
}

GrabReport finishGrab(GrabSession& session, const LoadedGrab& grab, const GrabPlan& plan,
                      const BulkOptions& options, const std::function<void(int)>& progress)
{
    GrabReport report;
    report.input = grab.path;
    report.analysed = plan.analysed && session.outcome != LoadOutcome::WindowNotFound;
    report.game = plan.game;
    report.colour = plan.colour;
    report.grid = plan.grid;
    if (options.reportPictures && plan.analysed)
        report.grabThumbnail = reportThumbnail(session.fullcolourimage);
    if (!plan.decodes) {
        report.outcome = grab.status == LoadedGrab::Status::NotAPicture
                             ? GrabReport::Outcome::Skipped
                             : GrabReport::Outcome::Failed;
        report.error = plan.failure;
        return report;
    }

    try {
        session.decode(progress);
    } catch (const Error& error) {
        report.outcome = GrabReport::Outcome::Failed;
        report.error = error.message();
        return report;
    }
    report.decoded = true;
    report.errors = session.decoded.errors;
    report.accuracy = session.accuracy();
    report.confidence = session.confidence;
    report.check = session.check;
    if (options.candidates > 0) {
        std::vector<QPoint> cells;
        for (const CellToCheck& cell : session.check.cells())
            cells.emplace_back(cell.column, cell.row);
        report.candidates = session.suggestions(cells, options.candidates);
    }
    if (options.reportPictures)
        report.mapThumbnail = checkedMapThumbnail(session.mapPicture, session.check);

    if (options.staleTemporaries) {
        QStringList targets;
        for (const OutputFile& file : plannedOutputs(plan, options))
            targets.append(file.path);
        report.removedTemporaries = options.staleTemporaries->removeFor(targets);
    }
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

QString uncertainty(const Confidence& confidence)
{
    QStringList doubts;
    if (!confidence.gameCertain)
        doubts.append(QStringLiteral("its cells fit both games alike"));
    if (!confidence.gridCertain)
        doubts.append(confidence.locatedBy == LocatedBy::Fallback
                          ? QStringLiteral("no map was found, the grid is a guess")
                          : QStringLiteral("too many cells fit no character"));
    if (doubts.isEmpty())
        return {};
    return doubts.join(QStringLiteral("; ")) + QStringLiteral(": check the map");
}

void BulkTally::add(const QString& name, const GrabReport& report)
{
    switch (report.outcome) {
    case GrabReport::Outcome::Skipped:
        ++passedOver;
        break;
    case GrabReport::Outcome::Converted:
        ++converted;
        if (!report.confidence.mapFound)
            noMap.append(name);
        else if (const QString doubt = uncertainty(report.confidence); !doubt.isEmpty())
            doubtful.append(QStringLiteral("%1: %2").arg(name, doubt));
        break;
    case GrabReport::Outcome::Failed:
        failures.append(report.error.isEmpty() ? QStringLiteral("\"%1\" gave no map.").arg(name)
                                               : report.error);
        break;
    }
}

QString BulkTally::details() const
{
    QStringList parts;
    auto list = [&parts](const QString& heading, const QStringList& items) {
        if (!items.isEmpty())
            parts.append(heading + QStringLiteral(":\n\n") + items.join(QLatin1Char('\n')));
    };
    list(QStringLiteral("These grabs could not be converted"), failures);
    list(QStringLiteral("No map found in these grabs (each was written on the 32 x 32 guess at "
                        "0,0)"),
         noMap);
    list(QStringLiteral("These grabs were converted, but should be checked"), doubtful);
    list(QStringLiteral("The run was stopped before these grabs"), notReached);
    list(QStringLiteral("These files were passed over: the file-name pattern names them as the "
                        "outputs of other grabs of the folder"),
         earlierOutputs);
    return parts.join(QStringLiteral("\n\n"));
}

QString BulkTally::counts() const
{
    const auto grabs = [](qsizetype n) {
        return n == 1 ? QStringLiteral("1 grab") : QStringLiteral("%1 grabs").arg(n);
    };
    const auto were = [](qsizetype n) {
        return n == 1 ? QStringLiteral("was") : QStringLiteral("were");
    };
    QStringList parts;
    if (!failures.isEmpty())
        parts.append(QStringLiteral("%1 could not be converted").arg(grabs(failures.size())));
    if (!noMap.isEmpty())
        parts.append(QStringLiteral("%1 showed no map").arg(grabs(noMap.size())));
    if (!doubtful.isEmpty())
        parts.append(QStringLiteral("%1 should be checked").arg(grabs(doubtful.size())));
    if (!notReached.isEmpty())
        parts.append(QStringLiteral("%1 %2 not reached")
                         .arg(grabs(notReached.size()), were(notReached.size())));
    if (!earlierOutputs.isEmpty())
        parts.append(QStringLiteral("%1 %2 passed over as outputs of other grabs")
                         .arg(earlierOutputs.size() == 1
                                  ? QStringLiteral("1 file")
                                  : QStringLiteral("%1 files").arg(earlierOutputs.size()),
                              were(earlierOutputs.size())));
    if (parts.isEmpty())
        return QString();
    QString sentence = parts.join(QStringLiteral("; ")) + QLatin1Char('.');
    sentence[0] = sentence[0].toUpper();
    return sentence;
}

GrabReport convertGrab(GrabSession& session, const QString& path, const BulkOptions& options)
{
    LoadedGrab grab = loadGrab(path);
    const GrabPlan plan = planGrab(session, grab, options);
    return finishGrab(session, grab, plan, options);
}

RunPlanner::RunPlanner(BulkOptions options, const QStringList& inputs)
    : m_options(std::move(options))
{
    for (int i = 0; i < inputs.size(); ++i) {
        m_lastInput.insert(absolute(inputs[i]), i);
        m_names.append(QDir::toNativeSeparators(inputs[i]));
    }
}

void RunPlanner::claim(int index, GrabPlan& plan)
{
    const std::vector<OutputFile> outputs = plannedOutputs(plan, m_options);

    // All or nothing: a grab whose names clash claims none of them.
    QHash<QString, Claim> mine;
    for (const OutputFile& output : outputs) {
        const QString key = absolute(output.path);
        const QString shown = QDir::toNativeSeparators(output.path);
        QString clash;
        const auto claimed = m_claims.constFind(key);
        const auto own = mine.constFind(key);
        if (claimed != m_claims.cend() && !(claimed->shared && output.shared))
            clash = QStringLiteral("its output \"%1\" is also written for \"%2\"")
                        .arg(shown, m_names.value(claimed->index));
        else if (own != mine.cend())
            clash = QStringLiteral("two of its outputs are named \"%1\"").arg(shown);
        else if (m_lastInput.value(key, -1) > index)
            clash = QStringLiteral("its output \"%1\" would replace a grab that this run reads "
                                   "later")
                        .arg(shown);
        if (!clash.isEmpty()) {
            plan.decodes = false;
            plan.failure =
                QStringLiteral("\"%1\" is not converted: %2; nothing was written for it.")
                    .arg(m_names.value(index), clash);
            return;
        }
        mine.insert(key, Claim{index, output.shared});
    }
    for (auto it = mine.cbegin(); it != mine.cend(); ++it)
        if (!m_claims.contains(it.key()))
            m_claims.insert(it.key(), it.value());
}

} // namespace vt
