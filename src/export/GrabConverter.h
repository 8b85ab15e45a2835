// One grab converted exactly as the window's bulk run converts it (load, working pictures, grid
// location, full-size characters of the chosen scheme, decoding pass, outputs under the
// file-name pattern), with the state that the window carries from one grab to the next made
// explicit, so that a run over many grabs can be split in three stages:
//
//   1. loadGrab       any thread   read the file and reduce it to the working pictures;
//   2. RunPlanner     name order   locate the grid with the carried state, advance that state,
//                                  and claim the output names (cheap);
//   3. finishGrab     any thread   decode and write the outputs (the expensive part).
//
// Whatever the number of threads, every grab gets the same plan, so the outputs are the same.
#pragma once

#include "export/SaveMap.h"
#include "intake/GrabLoader.h"
#include "intake/GridLocator.h"
#include "pictures/GridGeometry.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace vt {

// The preferences a conversion runs with.
struct ConvertSettings
{
    Thresholds thresholds;
    bool puzzpiece = false;
    int charRef = 0; // kCharRefAtlas or kCharRefPc
    QString pattern = QStringLiteral("%s-decode");
    SaveChoices choices{true, false, false, false, true}; // BMP and CSV
    // Forcing holds a selector where the user would put it by hand after each load:
    // - a forced game (selector index) is analysed as a reload with that game chosen: nothing
    //   the analysis detects changes it, and a map size that only the other game draws (both
    //   sides below 32 with the first game) falls back to the 32 x 32 grid at 0,0;
    // - a forced colour (selector index) replaces the survey's choice, whose shares stay in the
    //   captions.
    // -1 leaves the choice to the analysis, as the window's bulk run does.
    int forcedGame = -1;
    int forcedColour = -1;
    // TEMPORARY (until the grab session calls it for the window and the command line alike):
    // the tolerant search where the exact analysis finds no grid or one that decoding
    // contradicts. Off, a conversion is the window's byte for byte.
    bool tolerant = false;
};

// The stored preferences as the window's start-up reads them: the thresholds brought into
// 0..100, "CharRef" into its two items, "Flags" bits 0..5, "MapName". Nothing is written: a
// missing value gives its default and the store is left as it was.
ConvertSettings storedConvertSettings();

// What one grab leaves to the next in the window's bulk run. A run starts from the program's
// start: the first game, no grab loaded, the bare scheme names. (The grid needs no carrying:
// every fresh load starts its analysis from 32 x 32 cells, and the analysis sets the origin.)
struct CarriedState
{
    int game = 0;                    // the game selector's index
    bool screengrab_loaded = false;  // set once any grab passes the size classification
    std::array<QString, 6> captions; // the colour selector's items ("Blue: 87%" after a survey)

    CarriedState();
};

// Stage 1: the grab read and reduced, as LoadScreenGrab does before its analysis.
struct LoadedGrab
{
    enum class Status
    {
        NotAPicture, // fails the signature test: the bulk run passes over it
        Unreadable,  // passes it but cannot be read; `error` says why
        Loaded
    };
    QString path;
    QString name; // the file name without folder: the pattern's %s
    Status status = Status::NotAPicture;
    QString error;
    WorkingPictures pictures;

    // Frees the pictures once the grab is done with.
    void release() { pictures = {}; }
};
LoadedGrab loadGrab(const QString& path);

// Stage 2: what the analysis found and what the grab will be converted with.
struct GrabPlan
{
    bool analysed = false; // a picture was loaded and located
    bool decodes = false;  // a decoded map will be made (the window's Decode Map is enabled)
    QString failure;       // why the grab is not converted (empty for a file that is not a
                           // picture, which is passed over, not failed)
    LocateResult located;
    int game = 0;   // game selector index it is decoded with
    int colour = 0; // colour selector index
    QString colourItemText;
    GridGeometry grid;
    QString base; // outputs are base + extension
    // TEMPORARY (tolerant location, until the grab session takes it over): the grab brought
    // back to 1:1 when the tolerant search found it scaled; decoded in place of the grab's own.
    std::optional<WorkingPictures> tolerantPictures;
};

// The analysis of a loaded grab with the state the previous grabs left; advances `state` to
// what the window holds after this grab. An unreadable grab leaves the state as it was, as the
// window does when loading fails.
GrabPlan planGrab(const LoadedGrab& grab, CarriedState& state, const ConvertSettings& settings,
                  const QString& outputDir);

// The files a plan writes, in order; `shared` marks the Tiled tileset picture, which every map
// of the same game and scheme writes alike.
struct PlannedOutput
{
    QString path;
    bool shared = false;
};
std::vector<PlannedOutput> plannedOutputs(const GrabPlan& plan, const ConvertSettings& settings);

// Plans the grabs of one run in order, and refuses output names that would clash: a name that
// an earlier grab of the run writes (the window's run would silently replace that grab's
// files), and a name that is a grab of the run still to be read. The refused grab fails with
// a message and writes nothing.
class RunPlanner
{
public:
    RunPlanner(ConvertSettings settings, QString outputDir, const QStringList& inputs);

    // Must be called for input 0, 1, 2, ... in turn, with the grab loaded from that input.
    GrabPlan plan(int index, const LoadedGrab& grab);

    const CarriedState& state() const { return m_state; }

private:
    ConvertSettings m_settings;
    QString m_outputDir;
    CarriedState m_state;
    QHash<QString, int> m_lastInput; // absolute path -> last index it is read at
    struct Claim
    {
        int index;
        bool shared;
    };
    QHash<QString, Claim> m_claims;
    QStringList m_names; // input file names, for messages
};

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
    bool decoded = false; // errors and accuracy below hold
    quint32 errors = 0;
    int accuracy = 0;
    QStringList outputs; // files written, in order
};

// Decodes a planned grab and writes its outputs (nothing to decode: the plan's outcome). Each
// file replaces its target only once complete, but is not forced onto the disk one by one.
GrabReport finishGrab(const LoadedGrab& grab, const GrabPlan& plan,
                      const ConvertSettings& settings);

// All three stages for one grab, in one go.
GrabReport convertGrab(const QString& path, CarriedState& state, const ConvertSettings& settings,
                       const QString& outputDir);

} // namespace vt
