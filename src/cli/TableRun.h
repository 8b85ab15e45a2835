// Tables named on the command line: a map the program wrote (".csv", ".tmx", ".json"), opened
// instead of decoded and written out in the run's other outputs.
#pragma once

#include "session/BulkRun.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace vt::cli {

struct TableInputs
{
    // By input index: the input is a table named as a file. A folder's files never are, so a
    // run over a folder of outputs does not convert them again.
    std::vector<bool> isTable;
    int game = -1;              // --game for a ".csv" table (selector index); -1: not given
    std::optional<int> charRef; // --csv-codes as given: how a ".csv" table names characters,
                                // and the code mode every table's outputs are written in

    bool at(int index) const
    {
        return index >= 0 && std::size_t(index) < isTable.size() && isTable[std::size_t(index)];
    }
};

// Opens the table `path` in `session` as Open Map does, without a grab, and names its outputs
// as a grab's of that name would be named. A ".csv" table needs the game (`tables.game`); its
// code mode is `tables.charRef`, else the stored preference. A table that cannot be opened
// gives a plan that does not decode, with the reason. `notes` gets what the run should tell.
GrabPlan planTable(GrabSession& session, const QString& path, const BulkOptions& options,
                   const TableInputs& tables, QStringList& notes);

// Writes the outputs of an opened table (the map as opened, its table as read).
GrabReport finishTable(GrabSession& session, const QString& path, const GrabPlan& plan,
                       const BulkOptions& options);

} // namespace vt::cli
