// The command line's run over many grabs: loading, decoding and saving on several threads,
// planning in input order, so that the outputs do not depend on the number of threads.
#pragma once

#include "cli/TableRun.h"
#include "session/BulkRun.h"
#include "session/Preferences.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace vt::cli {

// Converts `inputs` (grab paths, in run order) into `outputDir` with up to `jobs` threads.
// Each thread works with a session of its own and holds one grab at a time, so memory does not
// grow with the number of grabs.
// The inputs `tables` marks are tables, opened in place of a grab (planTable).
// `onReport` gets every grab's report in input order, one call at a time, with what the run
// should tell of it beside (a table read with the defaults).
void convertAll(const QStringList& inputs, const Preferences& prefs, BulkOptions options,
                const QString& outputDir, int jobs, const TableInputs& tables,
                const std::function<void(int index, const GrabReport& report,
                                         const QStringList& notes)>& onReport);

} // namespace vt::cli
