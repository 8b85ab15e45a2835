// The command line of vorlan-tesselor-cli.
#pragma once

#include "session/BulkRun.h"
#include "session/Preferences.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace vt::cli {

struct CliOptions
{
    QStringList inputs; // files and folders as given
    QString outputDir;  // empty: the current folder
    int jobs = 0;       // 0: one per processor
    bool json = false;
    bool quiet = false;
    QString report;              // the picture report to write (HTML); empty for none
    Preferences prefs;           // the stored preferences, with the options' changes
    std::optional<int> csvCodes; // --csv-codes (--char-ref) as given: the code mode of tables
    BulkOptions bulk; // outputs, pattern, forced game and colour; outputDir is set by the run
};

struct ParseResult
{
    enum class Action
    {
        Run,
        Help,    // print `text` on standard output, exit 0
        Version, // likewise
        Error    // print `text` on standard error, exit 2
    };
    Action action = Action::Run;
    QString text;
    CliOptions options;
};

// Parses the arguments (the program's name first). The preferences that the command line does
// not set are read from the settings store (or the file of --settings, which this points the
// store at) without writing to it.
ParseResult parseCommandLine(const QStringList& arguments);

} // namespace vt::cli
