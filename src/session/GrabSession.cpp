#include "session/GrabSession.h"

#include "charsets/GameTables.h"
#include "intake/GrabLoader.h"
#include "intake/MapEvidence.h"

#include <QPainter>

#include <algorithm>
#include <limits>
#include <optional>

#include <utility>

namespace vt {

namespace {
constexpr std::size_t kSavedOutOfReach = std::numeric_limits<std::size_t>::max();
} // namespace

CarriedState::CarriedState()
{
    for (int i = 0; i < kColourCount; ++i)
        captions[std::size_t(i)] = colourName(i);
}

GrabSession::GrabSession() : captions(CarriedState().captions) {}

const char* locatedByName(LocatedBy how)
{
    switch (how) {
    case LocatedBy::Exact:
        return "exact";
    case LocatedBy::Tolerant:
        return "tolerant";
    case LocatedBy::Scaled:
        return "scaled";
    case LocatedBy::Fallback:
        break;
    }
    return "fallback";
}

int GrabSession::accuracy() const
{
    return accuracyPercent(decoded.errors, grid.grab_width, grid.grab_height);
}

WorkingPictures GrabSession::readGrab(const QString& filename)
{
    return makeWorkingPictures(readGrabFile(filename));
}

void GrabSession::loadFile(const QString& filename)
{
    // Read first: a file that cannot be loaded leaves the grab and its decoded map as they were.
    loadPictures(readGrab(filename), filename);
}

void GrabSession::loadPicture(const QImage& picture)
{
    checkGrabSize(picture.size(), QStringLiteral("The picture on the clipboard"));
    loadPictures(makeWorkingPictures(picture), QString());
}

void GrabSession::loadPictures(WorkingPictures pictures, const QString& filename, bool newLoad)
{
    resetForLoad();
    fullcolourimage = std::move(pictures.fullcolour);
    working = std::move(pictures.working);
    img_filename = filename;
    analyse(newLoad);
}

void GrabSession::reload()
{
    // The analysis runs on the picture at its own size, and the full-colour copy is kept:
    // reducing the 8-bit picture again would lose the grab's colours.
    working = makeWorkingPictures(fullcolourimage).working;
    analyse(false);
}

void GrabSession::closeGrab()
{
    resetForLoad();
    img_filename.clear();
    fullcolourimage = QImage();
    working = QImage();
}

void GrabSession::resetForLoad()
{
    m_decodable = false;
    discardMap();
    colour = 0;
    ExtractCharsFromResource(0, true);
    grid.grab_width = 32;
    grid.grab_height = 32;
}

void GrabSession::analyse(bool newLoad)
{
    const QByteArray hero = ProgramArt::shared().heroBytes();
    LocateInput input;
    input.working = &working;
    input.start = grid;
    input.selectedGame = game;
    input.newLoad = newLoad;
    input.thresholds = prefs.thresholds;
    input.hero = &hero;
    located = locateGrid(input);
    confidence = Confidence{};
    gameFit = GameFitResult{};

    if (located.recognised)
        screengrab_loaded = true;
    if (located.windowNotFound) {
        grid.originx = grid.originy = grid.mapareax = grid.mapareay = 0;
        outcome = LoadOutcome::WindowNotFound;
    } else {
        if (located.selectGame >= 0)
            game = located.selectGame;
        if (located.captionsSet)
            captions = located.captions;
        if (located.chosenScheme >= 0) {
            colour = located.chosenScheme;
            ExtractCharsFromResource(colour, true);
        }
        grid = located.grid;
        det = grid;
        outcome = located.recognised ? LoadOutcome::Located : LoadOutcome::NotRecognised;
        confidence.locatedBy =
            located.recognised && located.valid ? LocatedBy::Exact : LocatedBy::Fallback;
    }

    // The exact analysis stands for the grabs it reads: it is overruled only where most cells
    // of its grid fit no character (or it found no grid). Cells that fit nothing inside a map
    // it found are cells to check, never a reason to move or shrink its grid; only more map
    // beyond its edges (a window's map larger than it read) widens it.
    double exactShare = -1;
    if (outcome != LoadOutcome::WindowNotFound) {
        checkGameByContent(newLoad);
        if (confidence.locatedBy == LocatedBy::Exact)
            exactShare = bestFitShare();
    }
    if (exactShare >= 0.5) {
        if (located.layout != 0 && exactShare < 0.99 && sharpenWindowGrid())
            checkGameByContent(newLoad);
        if (located.layout != 0 && fitWindowToEvidence(newLoad))
            checkGameByContent(newLoad);
    } else if (tolerantInstead(newLoad, hero, exactShare)) {
        checkGameByContent(newLoad);
        // A window found in a capture brought back to 1:1 is sized from its view's cells too.
        if ((grid.mapareax != 0 || grid.mapareay != 0) && fitWindowToEvidence(newLoad))
            checkGameByContent(newLoad);
    }
    det = grid;
    m_decodable = fullsize_char && screengrab_loaded && outcome != LoadOutcome::WindowNotFound;
}

double GrabSession::bestFitShare() const
{
    const int cells = grid.grab_width * grid.grab_height;
    int best = 0;
    for (const GameFitScore& score : gameFit.games)
        best = std::max(best, score.cellsPassing);
    return cells > 0 ? double(best) / cells : 0.0;
}

bool GrabSession::tolerantInstead(bool newLoad, const QByteArray& hero, double exactShare)
{
    TolerantInput input;
    input.working = &working;
    input.fullcolour = &fullcolourimage;
    input.thresholds = prefs.thresholds;
    input.hero = &hero;
    input.characters = shippedCharacters();
    input.game = newLoad ? -1 : game; // a reload holds the user's game
    std::optional<TolerantLocation> found = locateTolerant(input);
    if (!found || found->cells <= 0 || double(found->matched) / found->cells <= exactShare)
        return false;

    if (found->pictures) {
        // A scaled capture brought back to 1:1: both copies, so that the cells copied into the
        // converted map and the previews come from where the decoded cells do.
        fullcolourimage = std::move(found->pictures->fullcolour);
        working = std::move(found->pictures->working);
    }
    screengrab_loaded = true;
    outcome = LoadOutcome::Located;
    located.recognised = located.valid = true;
    located.windowNotFound = false;
    located.grid = found->grid;
    located.detectedGame = found->game;
    located.chosenScheme = found->scheme;
    if (newLoad)
        game = found->game;
    colour = found->scheme;
    ExtractCharsFromResource(colour, true);
    grid = found->grid;
    confidence.locatedBy = found->located_by;
    surveyCaptions();
    return true;
}

// Many characters are the same picture in both games under other indices, so a map decoded
// with the wrong game's characters still scores high. The cells tell the game: the one whose
// characters fit them best. On a fresh load that game is selected; a "reload" (the user's own
// choice of game) keeps the game and only records whether the cells agree.
void GrabSession::checkGameByContent(bool newLoad)
{
    std::vector<std::vector<QImage>> sets;
    sets.reserve(kGameCount);
    for (int g = 0; g < kGameCount; ++g)
        sets.push_back(*ProgramArt::shared().characters(g, colour, false));
    gameFit = fitGames(working, grid, sets, prefs.thresholds.prob_match);

    // Cells that fit neither game tell nothing of it (the grid is in doubt then, not the
    // game). The cells override the game held or the hero's only when they tell the games apart
    // by counts, with a margin; and a map smaller than 32 x 32 only exists in a game with small
    // maps. Otherwise the game stands, uncertain.
    const int cells = grid.grab_width * grid.grab_height;
    const int fitting = gameFit.best;
    const bool told = outcome == LoadOutcome::Located && fitting >= 0 && gameFit.decisive &&
                      gameFit.games[std::size_t(fitting)].cellsPassing * 2 >= cells;
    const bool fullView = grid.grab_width == 32 && grid.grab_height == 32;
    if (newLoad && told && fitting != game && (fullView || hasSmallMaps(fitting))) {
        game = fitting;
        ExtractCharsFromResource(colour, true);
    }
    confidence.gameCertain = told && gameFit.best == game;
}

void GrabSession::selectGame(int newGame)
{
    game = newGame;
    if (canReload())
        reload();
    selectColour(colour);
}

void GrabSession::selectColour(int newColour)
{
    colour = newColour;
    ExtractCharsFromResource(colour, true);
    discardMap();
}

void GrabSession::ExtractCharsFromResource(int col, bool fullsize)
{
    CharacterSet set = ProgramArt::shared().characters(game, col, fullsize);
    (fullsize ? fullsize_char : mapsize_char) = std::move(set);
}

void GrabSession::discardMap()
{
    m_hasMap = false;
    mapPicture = QImage();
    clearHistory();
    check = CellsToCheck{};
    m_drawnFrom.clear();
    m_drawnFor = 0;
    openedTable.clear();
    openedCharRef.reset();
}

// Any change to a picture's pixels gives it a new cache key: what the cells were drawn from
// stands for the picture only while the key is the one it was recorded for.
bool GrabSession::drawnFromHolds(const QImage& picture) const
{
    return !m_drawnFrom.empty() && !picture.isNull() && picture.cacheKey() == m_drawnFor;
}

QImage GrabSession::indexedMapPicture() const
{
    return drawnFromHolds(mapPicture) ? indexedMap(mapPicture, m_drawnFrom) : QImage();
}

void GrabSession::setGrid(const GridGeometry& newGrid)
{
    grid = newGrid;
}

void GrabSession::restoreBounds()
{
    grid = det;
}

void GrabSession::decode(const std::function<void(int)>& progress)
{
    discardMap();
    decoded.reset(grid.grab_width, grid.grab_height);
    ExtractCharsFromResource(colour, false);
    const QImage puzzle = ProgramArt::shared().puzzle();

    DecodeResult result = decodeMap(decodeInput(mapsize_char.get(), &puzzle), progress);
    decoded = std::move(result.decoded);
    mapPicture = std::move(result.picture);
    check = std::move(result.check);
    m_drawnFrom = std::move(result.drawnFrom);
    m_drawnFor = mapPicture.cacheKey();
    m_hasMap = true;

    confidence.meanScore = result.meanBestScore;
    confidence.nearTieShare = result.nearTieShare;
    // The grid holds when it was found, nearly every cell fits one character better than any
    // other (a blurred or reduced capture fits several alike), and every edge of
    // it was seen: on the picture's edge, or with background beyond; in a window, centred in
    // the view as the game draws its maps. A grid off by a pixel, a scale taken wrong, or a
    // piece of a larger map all fail one of these. And where the grab is lossless (no more
    // colours than a palette), most cells are exactly their characters: a grid laid at 1:1 over
    // a capture enlarged by a factor it did not see matches loosely, never exactly.
    const int cells = grid.grab_width * grid.grab_height;
    confidence.mapFound = confidence.locatedBy != LocatedBy::Fallback;
    const bool inWindow = grid.mapareax != 0 || grid.mapareay != 0;
    const QRect view = inWindow ? QRect(int(grid.mapareax), int(grid.mapareay), 512, 480) : QRect();
    const EdgeEvidence edges = edgesOf(working, grid, bothGames(), evidenceThreshold(), view);
    confidence.gridCertain = confidence.mapFound && cells > 0 &&
                             (decoded.errors + quint32(result.nearTies)) * 10 <= quint32(cells) &&
                             result.meanBestScore >= prefs.thresholds.prob_match &&
                             edges.all() && centredInView() &&
                             (result.perfect * 2 >= quint32(cells) || !losslessColours());
}

DecodeInput GrabSession::decodeInput(const std::vector<QImage>* mapsize, const QImage* puzzle) const
{
    DecodeInput input;
    input.working = &working;
    input.fullcolour = &fullcolourimage;
    input.grid = grid;
    input.mapsize = mapsize;
    input.fullsize = fullsize_char.get();
    input.puzzle = puzzle;
    input.prob_match = prefs.thresholds.prob_match;
    input.puzzpiece = prefs.puzzpiece;
    return input;
}

std::vector<CellCandidate> GrabSession::suggestions(int column, int row, std::size_t count) const
{
    return suggestions(std::vector<QPoint>{QPoint(column, row)}, count).front();
}

std::vector<std::vector<CellCandidate>> GrabSession::suggestions(const std::vector<QPoint>& cells,
                                                                 std::size_t count) const
{
    std::vector<std::vector<CellCandidate>> ranked(cells.size());
    if (working.isNull() || cells.empty())
        return ranked;
    // The set the pass compares with: the selected game's in the selected scheme.
    const CharacterSet mapsize = ProgramArt::shared().characters(game, colour, false);
    const DecodeInput input = decodeInput(mapsize.get(), nullptr);
    CellScoring scoring(input);
    for (std::size_t i = 0; i < cells.size(); ++i)
        ranked[i] = scoring.ranked(cells[i].x(), cells[i].y(), count);
    return ranked;
}

QImage GrabSession::grabCell(int column, int row, int size) const
{
    // A map opened without its grab has no pixels of its own: the puzzle piece stands for them.
    if (fullcolourimage.isNull())
        return ProgramArt::shared()
            .puzzle()
            .convertToFormat(QImage::Format_RGB32)
            .scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return enlargedCell(fullcolourimage, cellRect(grid, column, row), size);
}

QRect GrabSession::correctCell(int column, int row, int character)
{
    if (!m_hasMap || column < 0 || column >= decoded.columns() || row < 0 || row >= decoded.rows())
        return {};
    const QRect target(kFullSize * column, kFullSize * row, kFullSize, kFullSize);
    const bool known = fullsize_char && character >= 0 && character < int(fullsize_char->size());
    const QImage tile =
        known ? fullsize_char->at(std::size_t(character)) : grabCell(column, row, kFullSize);
    qint32& entry = decoded.map[std::size_t(column)][std::size_t(row)];

    Correction step;
    step.column = column;
    step.row = row;
    step.before = entry;
    step.after = known ? character : -1;
    step.beforeSquare = mapPicture.copy(target);
    qint32* drawn = drawnFromOf(column, row);
    if (drawn)
        step.drawnBefore = *drawn;
    QPainter painter(&mapPicture);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, tile);
    painter.end();
    entry = step.after;
    step.afterSquare = mapPicture.copy(target);
    // A redrawn cell is looked up in its own pixels, whatever the painter made of the tile.
    if (drawn)
        *drawn = kDrawnOwnPixels;
    m_drawnFor = drawn ? mapPicture.cacheKey() : 0;
    step.checked = check.at(column, row);
    check.remove(column, row);

    // A correction that leaves the cell as it was is nothing to take back.
    if (step.after != step.before || step.afterSquare != step.beforeSquare) {
        m_history.erase(m_history.begin() + std::ptrdiff_t(m_done), m_history.end());
        if (m_savedAt > m_done)
            m_savedAt = kSavedOutOfReach; // the saved corrections were taken back, now lost
        m_history.push_back(std::move(step));
        ++m_done;
    }
    return target;
}

const Correction* GrabSession::nextUndo() const
{
    return canUndo() ? &m_history[m_done - 1] : nullptr;
}

const Correction* GrabSession::nextRedo() const
{
    return canRedo() ? &m_history[m_done] : nullptr;
}

QRect GrabSession::undo()
{
    if (!canUndo())
        return {};
    const Correction& step = m_history[--m_done];
    if (step.checked)
        check.insert(*step.checked);
    return putSquare(step.column, step.row, step.beforeSquare, step.before, step.drawnBefore);
}

QRect GrabSession::redo()
{
    if (!canRedo())
        return {};
    const Correction& step = m_history[m_done++];
    check.remove(step.column, step.row);
    return putSquare(step.column, step.row, step.afterSquare, step.after, kDrawnOwnPixels);
}

QRect GrabSession::putSquare(int column, int row, const QImage& square, qint32 entry, qint32 drawn)
{
    const QRect target(kFullSize * column, kFullSize * row, kFullSize, kFullSize);
    qint32* drawnFrom = drawnFromOf(column, row);
    QPainter painter(&mapPicture);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(target.topLeft(), square);
    painter.end();
    decoded.map[std::size_t(column)][std::size_t(row)] = entry;
    if (drawnFrom)
        *drawnFrom = drawn;
    m_drawnFor = drawnFrom ? mapPicture.cacheKey() : 0;
    return target;
}

// The record of what the cell was drawn from, while it still tells the converted map.
qint32* GrabSession::drawnFromOf(int column, int row)
{
    if (!drawnFromHolds(mapPicture))
        return nullptr;
    return &m_drawnFrom[std::size_t(row) * std::size_t(decoded.columns()) + std::size_t(column)];
}

void GrabSession::clearHistory()
{
    m_history.clear();
    m_done = 0;
    m_savedAt = 0;
}

MapTableSource GrabSession::tableSource() const
{
    MapTableSource table;
    if (m_hasMap)
        table.decoded = &decoded;
    table.colourItemText = captions[std::size_t(colour)];
    table.game = game;
    table.charRef = openedCharRef.value_or(prefs.charRef);
    // The Tiled map's tileset is the full-size characters shown in the side panel.
    table.colour = colour;
    table.characters = fullsize_char.get();
    return table;
}

QStringList GrabSession::saveUnder(const QImage& picture, const QString& base,
                                   const SaveChoices& choices, bool confirmoverwrite,
                                   const SaveMapHooks& hooks)
{
    MapTableSource table = tableSource();
    table.map_text = &map_text;
    // The PNG and GIF files take the converted map at 8 bits as its cells were drawn.
    QImage indexed;
    if ((choices.has(OutputFormat::Png) || choices.has(OutputFormat::Gif)) &&
        drawnFromHolds(picture))
        indexed = indexedMap(picture, m_drawnFrom);
    return SaveMapUnder(picture, base, choices, confirmoverwrite, table, hooks,
                        indexed.isNull() ? nullptr : &indexed);
}

CarriedState GrabSession::carried() const
{
    CarriedState state;
    state.game = game;
    state.screengrab_loaded = screengrab_loaded;
    state.captions = captions;
    return state;
}

void GrabSession::carry(const CarriedState& state)
{
    game = state.game;
    screengrab_loaded = state.screengrab_loaded;
    captions = state.captions;
}

} // namespace vt
