#include "cli/ConvertRun.h"

#include "cli/LibraryOutput.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace vt::cli {

namespace {

QString unexpected(const QString& path, const std::exception& error)
{
    return QStringLiteral("\"%1\" could not be converted: %2")
        .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(error.what()));
}

LoadedGrab load(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        LoadedGrab missing;
        missing.path = path;
        missing.name = info.fileName();
        missing.status = LoadedGrab::Status::Unreadable;
        missing.error =
            QStringLiteral("\"%1\" does not exist.").arg(QDir::toNativeSeparators(path));
        return missing;
    }
    try {
        // The program's own message names a file that cannot be read; libpng's does not.
        const LibraryOutputDropped quiet;
        return loadGrab(path);
    } catch (const std::exception& error) { // out of memory, say: this grab fails, the run goes on
        LoadedGrab failed;
        failed.path = path;
        failed.name = info.fileName();
        failed.status = LoadedGrab::Status::Unreadable;
        failed.error = unexpected(path, error);
        return failed;
    }
}

} // namespace

void convertAll(const QStringList& inputs, const Preferences& prefs, BulkOptions options,
                const QString& outputDir, int jobs, const TableInputs& tables,
                const std::function<void(int index, const GrabReport& report,
                                         const QStringList& notes)>& onReport)
{
    const int count = int(inputs.size());
    options.outputDir = outputDir;
    RunPlanner planner(options, inputs);
    // What the grabs so far leave to the next, handed from session to session in run order.
    CarriedState carried;

    std::mutex mutex;
    std::condition_variable planned;
    int nextToPlan = 0;
    std::vector<std::optional<GrabReport>> reports(static_cast<std::size_t>(count));
    std::vector<QStringList> notes(static_cast<std::size_t>(count));
    int nextToReport = 0;
    std::atomic<int> nextToTake{0};

    const auto work = [&] {
        GrabSession session;
        session.prefs = prefs;
        for (;;) {
            const int index = nextToTake++;
            if (index >= count)
                return;
            // A table is read where it is planned: opening one is quick.
            const bool table = tables.at(index);
            LoadedGrab grab;
            if (table) {
                grab.path = inputs[index];
                grab.name = QFileInfo(grab.path).fileName();
            } else {
                grab = load(inputs[index]);
            }

            // Plans are made strictly in input order: each one depends on the grabs before it.
            // The thread holding the earliest unplanned grab never waits, so this cannot stall.
            GrabPlan plan;
            {
                std::unique_lock lock(mutex);
                planned.wait(lock, [&] { return nextToPlan == index; });
                try {
                    if (table) {
                        plan = planTable(session, grab.path, options, tables,
                                         notes[std::size_t(index)]);
                    } else {
                        session.carry(carried);
                        plan = planGrab(session, grab, options);
                        if (grab.status == LoadedGrab::Status::Loaded)
                            carried = session.carried();
                    }
                    planner.claim(index, plan);
                } catch (const std::exception& error) {
                    plan = GrabPlan{};
                    plan.failure = unexpected(grab.path, error);
                    grab.status = LoadedGrab::Status::Unreadable;
                }
                ++nextToPlan;
            }
            planned.notify_all();

            GrabReport report;
            try {
                report = table ? finishTable(session, grab.path, plan, options)
                               : finishGrab(session, grab, plan, options);
            } catch (const std::exception& error) {
                report = GrabReport{};
                report.input = grab.path;
                report.outcome = GrabReport::Outcome::Failed;
                report.error = unexpected(grab.path, error);
            }
            grab.pictures = {};

            std::lock_guard lock(mutex);
            reports[std::size_t(index)] = std::move(report);
            while (nextToReport < count && reports[std::size_t(nextToReport)]) {
                onReport(nextToReport, *reports[std::size_t(nextToReport)],
                         notes[std::size_t(nextToReport)]);
                reports[std::size_t(nextToReport)].reset();
                ++nextToReport;
            }
        }
    };

    const int threads = std::clamp(jobs, 1, std::max(count, 1));
    if (threads == 1) {
        work();
        return;
    }
    std::vector<std::thread> pool;
    pool.reserve(std::size_t(threads));
    for (int i = 0; i < threads; ++i)
        pool.emplace_back(work);
    for (std::thread& thread : pool)
        thread.join();
}

} // namespace vt::cli
