// A bulk run: every grab of a list loaded, located, decoded and saved under the file-name
// pattern by one GrabSession, as the user would do it grab by grab. The window's bulk run and
// the command line run this same code.
//
// One grab goes in three stages, so that a run over many grabs can load and decode on several
// threads, one session each, while every grab is located in run order with the state the grabs
// before it left (CarriedState):
//
//   1. loadGrab    any thread   read the file and reduce it to the working pictures;
//   2. planGrab    run order    locate the grid with the carried state and name the outputs;
//   3. finishGrab  any thread   decode and write the outputs (the expensive part).
//
// Whatever the number of threads, every grab gets the same plan, so the outputs are the same.
#pragma once

#include "export/FileWrite.h"
#include "export/OutputFormats.h"
#include "export/SaveMap.h"
#include "intake/GrabLoader.h"
#include "session/GrabSession.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace vt {

// How a run converts: the outputs, their names, and what the user holds fixed.
struct BulkOptions
{
    QString outputDir;
    QString pattern = regdefault::MapName;
    SaveChoices choices;
    // Forcing holds a selector where the user would put it by hand after each load:
    // - a forced game (selector index) is analysed as a reload with that game chosen: nothing
    //   the analysis detects changes it, and a map size that only the other game draws (both
    //   sides below 32 with the first game) falls back to the 32 x 32 grid at 0,0;
    // - a forced colour (selector index) replaces the survey's choice, whose shares stay in the
    //   captions.
    // -1 leaves the choice to the analysis, as the window's bulk run does.
    int forcedGame = -1;
    int forcedColour = -1;
    // Each file is forced onto the disk before it replaces its target (the window's way); a
    // run over many grabs from the command line leaves the pace to the disk.
    bool syncEachFile = true;
    // Each report carries thumbnails of the grab and of its converted map, for a picture
    // report of the run (BulkReportWriter).
    bool reportPictures = false;
    // A grab in which no map was found (the grid is the fallback guess) is decoded and written
    // all the same, as the window's run does; the command line writes nothing for it.
    bool writeWithoutMap = true;
    // When set, the temporaries of each grab's outputs that a killed run left are removed
    // before they are written, and named in its report (GrabReport::removedTemporaries).
    std::shared_ptr<StaleTemporaries> staleTemporaries;
    // How many of the characters most like each cell to check each report names
    // (GrabReport::candidates); none by default.
    std::size_t candidates = 0;
};

// Stage 1: the grab read and reduced.
struct LoadedGrab
{
    enum class Status
    {
        NotAPicture, // fails the signature test: the run passes over it
        Unreadable,  // passes it but cannot be read; `error` says why
        Loaded
    };
    QString path;
    QString name; // the file name without folder: the pattern's %s
    Status status = Status::NotAPicture;
    QString error;
    WorkingPictures pictures;
};
LoadedGrab loadGrab(const QString& path);

// Stage 2: what the analysis found and what the grab will be converted with.
struct GrabPlan
{
    bool analysed = false; // a picture was loaded and located
    bool decodes = false;  // a decoded map will be made (Decode Map is enabled)
    QString failure;       // why the grab is not converted (empty for a file that is not a
                           // picture, which is passed over, not failed)
    bool noMap = false;    // no map was found: the grid is the fallback guess
    int game = 0;          // game selector index it is decoded with
    int colour = 0;        // colour selector index
    GridGeometry grid;
    QString base; // outputs are base + extension
};

// Loads the grab's pictures into `session` and locates its grid there, as the user's load
// would with the session's selection; `session` afterwards holds what the window holds after
// this grab. An unreadable grab leaves the session as it was.
GrabPlan planGrab(GrabSession& session, LoadedGrab& grab, const BulkOptions& options);

// The files a plan writes, in order: the same list the save writes (outputFiles).
std::vector<OutputFile> plannedOutputs(const GrabPlan& plan, const BulkOptions& options);

// Stage 3: how a grab ended.
struct GrabReport
{
    enum class Outcome
    {
        Skipped, // not a picture
        Converted,
        Failed
    };
    Outcome outcome = Outcome::Skipped;
    QString input; // the path as given
    QString error;
    bool analysed = false; // game, scheme and grid below hold
    int game = 0;          // selector index
    int colour = 0;
    GridGeometry grid;
    bool decoded = false; // errors, accuracy and confidence below hold
    quint32 errors = 0;
    int accuracy = 0;
    Confidence confidence;
    CellsToCheck check;      // the decoded map's cells to check
    // With BulkOptions::candidates: for each cell of `check`, in its order, the characters
    // most like it, best first (GrabSession::suggestions).
    std::vector<std::vector<CellCandidate>> candidates;
    bool saveFailed = false; // the outputs could not be written (the run's destination fails)
    QStringList outputs;     // files written, in order
    QStringList removedTemporaries; // a killed run's temporaries of them, removed first
    // With BulkOptions::reportPictures: the grab once analysed, the converted map with its
    // cells to check framed once decoded (reportThumbnail, checkedMapThumbnail).
    QImage grabThumbnail;
    QImage mapThumbnail;
};

// What to check by hand in a decoded map whose game or grid is not certain ("the game is
// uncertain", ...); empty for a certain one.
QString uncertainty(const Confidence& confidence);

// Decodes a planned grab in `session` (which planned it) and writes its outputs; a plan that
// does not decode reports its failure. `progress` (may be empty) follows the decoding pass.
GrabReport finishGrab(GrabSession& session, const LoadedGrab& grab, const GrabPlan& plan,
                      const BulkOptions& options, const std::function<void(int)>& progress = {});

// All three stages for one grab, in one go.
GrabReport convertGrab(GrabSession& session, const QString& path, const BulkOptions& options);

// What a run has done so far, counted grab by grab, for the report at its end: every grab that
// gave no map is named with the reason, as the command line names it.
struct BulkTally
{
    int converted = 0;
    int passedOver = 0;         // files that are not pictures
    QStringList failures;       // why each grab gave no map or was not written
    QStringList doubtful;       // "name: what to check", for converted grabs not certain
    QStringList noMap;          // converted grabs in which no map was found
    QStringList notReached;     // the grabs a stopped run did not come to
    QStringList earlierOutputs; // files passed over as outputs of the pattern for other grabs

    // Counts a grab by its report; `name` is its file name.
    void add(const QString& name, const GrabReport& report);
    // The grabs met: converted, failed and not reached.
    int grabs() const { return converted + int(failures.size() + notReached.size()); }
    // The lists of grabs to tell, each under its heading; empty when all went well.
    QString details() const;
    // How many each list holds, as a sentence ("2 grabs could not be converted; 5 grabs were
    // not reached."); empty when all went well.
    QString counts() const;
};

// Refuses output names that would clash within a run: a name that an earlier grab of the run
// writes (it would silently replace that grab's files), and a name that is a grab of the run
// still to be read. A refused plan does not decode and writes nothing.
class RunPlanner
{
public:
    RunPlanner(BulkOptions options, const QStringList& inputs);

    // Must be called for input 0, 1, 2, ... in turn, with the plan made for that input.
    void claim(int index, GrabPlan& plan);

private:
    BulkOptions m_options;
    QHash<QString, int> m_lastInput; // absolute path -> last index it is read at
    struct Claim
    {
        int index;
        bool shared;
    };
    QHash<QString, Claim> m_claims;
    QStringList m_names; // input file names, for messages
};

} // namespace vt
