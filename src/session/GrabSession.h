// One grab being worked on, and the program's commands on it, without a window: the main
// window holds one session and redraws from it, a bulk run steps one session through a folder,
// and the command line runs one session per worker thread.
//
// The state keeps the names the program has always used for it (grid fields, `map` and
// `errors` in `decoded`, the thresholds, `puzzpiece`). A command that fails throws vt::Error and
// leaves the state as the failed step left it; a load that fails changes nothing.
#pragma once

#include "decode/CellsToCheck.h"
#include "decode/DecodedMap.h"
#include "decode/GameFit.h"
#include "decode/MapDecoder.h"
#include "export/MapTableReader.h"
#include "export/SaveMap.h"
#include "intake/GrabLoader.h"
#include "intake/GridLocator.h"
#include "intake/MapEvidence.h"
#include "intake/TolerantLocator.h"
#include "pictures/GridGeometry.h"
#include "session/Preferences.h"
#include "session/ProgramArt.h"

#include <QImage>
#include <QString>

#include <array>
#include <functional>
#include <vector>

namespace vt {

// What a grab leaves to the next one: the selected game, whether any grab has been recognised
// yet, and the colour selector's items ("Blue: 87%" after a survey). A session starts as the
// program starts: the first game, nothing recognised, the bare scheme names.
struct CarriedState
{
    int game = 0;
    bool screengrab_loaded = false;
    std::array<QString, 6> captions;

    CarriedState();
};

// "exact", "tolerant", "scaled", "fallback".
const char* locatedByName(LocatedBy how);

// How far a decoded map can be trusted, beside its accuracy.
struct Confidence
{
    LocatedBy locatedBy = LocatedBy::Fallback;
    bool gameCertain = false; // the cells fit the game's characters better than the other's
    bool gridCertain = false; // the grid was found, nine cells in ten fit, every edge was seen
    bool mapFound = false;    // a map was located: the grid is not the fallback guess
    double meanScore = 0;     // the mean best score of the cells, 0 to 100
    double nearTieShare = 0;  // the share of cells a speck could tip to another character

    bool certain() const { return gameCertain && gridCertain; }
};

// One hand correction of a decoded map: the cell, its entry and its square of the converted
// map before and after, so that undoing it brings back exactly what was there.
struct Correction
{
    int column = 0;
    int row = 0;
    qint32 before = 0;
    qint32 after = 0;
    QImage beforeSquare;
    QImage afterSquare;
    std::optional<CellToCheck> checked; // the cell's place among the cells to check, before
    qint32 drawnBefore = 0;             // what the cell was drawn from, before (for the 8-bit map)
};

// How the last load or "reload" ended.
enum class LoadOutcome
{
    Located,        // the size was recognised and the grid found (or fallen back)
    NotRecognised,  // neither a map view nor a game window: the grid is the 32 x 32 guess
    WindowNotFound, // window-sized, but no game window in it: nothing to decode
};

class GrabSession
{
public:
    GrabSession();

    // ---- Preferences in use ----
    Preferences prefs;

    // ---- The grab ----
    QString img_filename;   // the file loaded; empty for a clipboard picture
    QImage fullcolourimage; // the grab in full colour
    QImage working;         // the grab reduced to the halftone palette: what is analysed and cut
    GridGeometry grid;      // originx, originy, grab_width, grab_height, mapareax, mapareay
    GridGeometry det;       // the det_ copies: the grid as the last analysis found it
    LocateResult located;   // what the last analysis found
    LoadOutcome outcome = LoadOutcome::NotRecognised;
    // The cells scored against each game's characters, for the game by content.
    GameFitResult gameFit;
    // How far the last analysis and decoding pass can be trusted.
    Confidence confidence;

    // ---- Selection, and what carries from grab to grab ----
    int game = 0;   // the game selector's index
    int colour = 0; // the colour selector's index
    std::array<QString, 6> captions;
    bool screengrab_loaded = false; // some grab has passed the size classification

    // ---- Character sets of the selected game and scheme ----
    CharacterSet fullsize_char; // 64 x 64, drawn into the converted map, shown in the side panel
    CharacterSet mapsize_char;  // 16 x 15 at 8 bits, the comparison candidates

    // ---- The decoded map ----
    DecodedMap decoded; // map and errors of the last pass, corrected by hand since
    // The cells of the last pass to check by hand (unmatched, near-ties), in reading order,
    // less those corrected since (an undone correction puts its cell back).
    CellsToCheck check;
    QImage mapPicture; // the converted map, 64 x 64 pixels a cell
    // The last table written, line by line; kept until the next table is written.
    QStringList map_text;
    // The table the map was opened from (openMap), and the code mode its tables are written in
    // since, so that it saves as it was read; empty and none for a decoded map.
    QString openedTable;
    std::optional<int> openedCharRef;

    // The program's mode: a grab is loaded and analysed (Decode Map can run), and a decoded
    // map exists (it can be saved, inspected and corrected).
    bool canDecode() const { return m_decodable; }
    bool hasMap() const { return m_hasMap; }
    int accuracy() const;

    // ---- Loading ----
    // A picture file (BMP, PNG, GIF or JPEG). Throws vt::Error when it cannot be read; the
    // session is then as it was.
    void loadFile(const QString& filename);
    // A picture from the clipboard (empty name). Throws vt::Error when it is too large.
    void loadPicture(const QImage& picture);
    // Analyses the held grab again with the selected game, from the full-colour copy at its
    // own size; the grid stands where the analysis finds nothing.
    void reload();
    // Drops the grab, as the end of a bulk run does: nothing is loaded, the first scheme is
    // selected, and the file is forgotten, so that a change of game has nothing to reload.
    void closeGrab();
    // A grab from a file is held: a change of game analyses it again.
    bool canReload() const { return !img_filename.isEmpty() && !fullcolourimage.isNull(); }
    // Reads and reduces a file without touching any session: the part of a load that a bulk
    // run may do on another thread. Throws vt::Error.
    static WorkingPictures readGrab(const QString& filename);
    // The rest of a load, from pictures already read. Without `newLoad` the selected game
    // is held, as a "reload" holds it.
    void loadPictures(WorkingPictures pictures, const QString& filename, bool newLoad = true);

    // ---- Selection ----
    // The game selector: a grab loaded from a file and still held is analysed again; then as
    // selectColour.
    void selectGame(int newGame);
    // The colour selector: the full-size characters of the scheme; the decoded map goes.
    void selectColour(int newColour);
    // Cuts the character set of the selected game in scheme `col` (not changing `colour`).
    // Throws vt::Error naming the atlas when it is missing or broken; both sets stay as they
    // were then.
    void ExtractCharsFromResource(int col, bool fullsize);

    // ---- Bounds ----
    // Moves or resizes the grid by hand (only while there is no decoded map).
    void setGrid(const GridGeometry& newGrid);
    // Back to the grid the last analysis found.
    void restoreBounds();

    // ---- Decoding and correction ----
    // Runs the decoding pass over the grid; `progress` gets the percentage done. Throws
    // vt::Error when the map-size characters cannot be read; there is no decoded map then.
    void decode(const std::function<void(int)>& progress = {});
    // Sets cell (column, row) of the decoded map to `character` and redraws it; a character
    // outside the set marks the cell unrecognised and draws the grab's own pixels. Returns the
    // rectangle of the converted map redrawn (empty when the cell is outside the map). The cell
    // is checked then: it leaves `check`. A correction that changes the cell can be undone.
    QRect correctCell(int column, int row, int character);
    // The characters most like cell (column, row) of the grab, best first, at most `count`:
    // each scored against the cell with the comparison the decoding pass uses for this grab
    // (CellScoring). Empty without a grab, or for a cell outside the grid. Throws vt::Error
    // when the map-size characters cannot be read.
    std::vector<CellCandidate> suggestions(int column, int row, std::size_t count = 3) const;
    // The same for each of `cells` (x the column, y the row), in their order.
    std::vector<std::vector<CellCandidate>> suggestions(const std::vector<QPoint>& cells,
                                                        std::size_t count = 3) const;
    // What the grab shows in a cell of the grid, enlarged to size x size; the puzzle piece when
    // there is no grab (a map opened without it).
    QImage grabCell(int column, int row, int size) const;
    // The converted map at 8 bits with its own colours, composed from what its cells were drawn
    // from (indexedMap), as the PNG and GIF files of a save take it. Null when it has more than
    // 256 colours, or when mapPicture was changed other than through decode and correctCell.
    QImage indexedMapPicture() const;

    // ---- Opening a map ----
    // Takes `table` (read from `path`) as the decoded map, its codes read as characters of game
    // `game` in code mode `charRef` (a Tiled map's own game and mode stand instead; one that
    // names neither is read as the first game's, with atlas references), in the scheme it
    // names, drawn as the decoding pass draws it. With `grab`, that picture is loaded and
    // analysed as a load would; where it cannot be read, or its grid is of another size than
    // the map, it is refused and the map opened without a grab (unmatched cells then show the
    // puzzle piece). Returns what the player should be told: a Tiled map read with the
    // defaults, a refused grab. Throws vt::Error, the session unchanged, when a code names no
    // character. Corrections and undo work on the map as on a decoded one; its cells to check
    // are the unmatched ones.
    QStringList openMap(const QString& path, const MapTableFile& table, int game, int charRef,
                        const QString& grab = QString());
    // A picture beside the table `path` that may be its grab: the table's name less its
    // extension and any " Decode" / "-decode" the save added, then the name as it stands, with
    // the extension of a picture the program loads; empty when there is none.
    static QString grabBesideTable(const QString& path);

    // ---- Correction history ----
    // Every correction that changed the map since its decoding pass can be taken back, down to
    // the decoded map, and put in again until a new correction is made. A new pass, a load, a
    // change of game or colour and closing the grab empty the history. `errors` and the
    // accuracy stay those of the pass throughout.
    bool canUndo() const { return m_done > 0; }
    bool canRedo() const { return m_done < m_history.size(); }
    // The correction that undo (redo) would act on; nullptr when there is none.
    const Correction* nextUndo() const;
    const Correction* nextRedo() const;
    // Takes back the last correction, or puts the last one taken back in again; returns the
    // rectangle of the converted map redrawn, empty when there is nothing to do.
    QRect undo();
    QRect redo();
    // The map carries corrections that neither the last save nor the decoding pass has: work
    // that a new pass, load or selection would throw away.
    bool unsavedCorrections() const { return m_done != 0 && m_done != m_savedAt; }
    // The map as it stands now has been saved.
    void markSaved() { m_savedAt = m_done; }

    // ---- Saving ----
    // The decoded map's table, the Tiled map's tileset and their names, as they stand now.
    MapTableSource tableSource() const;
    // Writes `picture` (the converted map or the working picture) and the decoded map under
    // `base` (extensions added per output); the files written, or a SaveError (SaveMapUnder).
    // A table written is also kept in map_text.
    QStringList saveUnder(const QImage& picture, const QString& base, const SaveChoices& choices,
                          bool confirmoverwrite, const SaveMapHooks& hooks);

    // ---- What carries from grab to grab ----
    CarriedState carried() const;
    void carry(const CarriedState& state);

private:
    void resetForLoad(); // the state a fresh load starts from
    // What the decoding pass reads of this grab, with the map-size characters `mapsize`.
    DecodeInput decodeInput(const std::vector<QImage>* mapsize, const QImage* puzzle) const;
    void analyse(bool newLoad);
    void checkGameByContent(bool newLoad);
    double bestFitShare() const;
    bool tolerantInstead(bool newLoad, const QByteArray& hero, double exactShare);
    bool sharpenWindowGrid();
    bool fitWindowToEvidence(bool newLoad);
    void surveyCaptions();
    CharacterSets bothGames() const;
    quint8 evidenceThreshold() const;
    bool centredInView() const;
    bool losslessColours() const;
    void discardMap();
    void clearHistory();
    QRect putSquare(int column, int row, const QImage& square, qint32 entry, qint32 drawn);
    bool drawnFromHolds(const QImage& picture) const;
    qint32* drawnFromOf(int column, int row);

    bool m_decodable = false;
    bool m_hasMap = false;
    std::vector<Correction> m_history; // oldest first; the first m_done of them are in effect
    std::size_t m_done = 0;
    // The number of corrections in effect when the map was last saved (0: the decoded map);
    // the largest size_t once the map saved can no longer be reached by undo and redo.
    std::size_t m_savedAt = 0;
    // What each cell of mapPicture was drawn from (DecodeResult::drawnFrom), and the cache key
    // of the picture it tells.
    std::vector<qint32> m_drawnFrom;
    qint64 m_drawnFor = 0;
};

} // namespace vt
