// The grab session's evidence of where its map is: a window's grid sharpened and sized from
// the cells of its view, the captions surveyed on the grid taken, and what a grid must show to
// be certain.
#include "session/GrabSession.h"

#include "charsets/GameTables.h"
#include "intake/MapEvidence.h"

#include <QSet>

#include <algorithm>
#include <cstdlib>

namespace vt {

// The sets a cell may show, both games in the selected scheme.
CharacterSets GrabSession::bothGames() const
{
    const CharacterSource source = shippedCharacters();
    CharacterSets sets;
    for (int g = 0; g < kGameCount; ++g)
        sets.push_back(&source(g, colour));
    return sets;
}

// A window's map read a pixel or two off (its marker blurred by JPEG): the same grid moved by
// up to two pixels either way, where strictly more cells fit.
bool GrabSession::sharpenWindowGrid()
{
    const std::vector<QByteArray>& characters = shippedCharacters()(game, colour);
    const quint8 threshold = prefs.thresholds.prob_match;
    GridGeometry best = grid;
    int bestMatched = fitOfGrid(working, grid, characters, threshold).matched;
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
            if ((dx == 0 && dy == 0) || int(grid.originx) + dx < 0 || int(grid.originy) + dy < 0)
                continue;
            GridGeometry moved = grid;
            moved.originx = quint32(int(grid.originx) + dx);
            moved.originy = quint32(int(grid.originy) + dy);
            const int matched = fitOfGrid(working, moved, characters, threshold).matched;
            if (matched > bestMatched) {
                bestMatched = matched;
                best = moved;
            }
        }
    if (best == grid)
        return false;
    grid = best;
    located.grid = best;
    return true;
}

// The map's size in a window from the cells of its view: the smallest centred size outside
// which no characters show (but strays). A grid the exact analysis read smaller grows to it; one
// it read larger (a frame line under a sprite or blurred by JPEG, a background as dark as blank
// cells) shrinks to it.
bool GrabSession::fitWindowToEvidence(bool newLoad)
{
    const QPoint view(int(grid.mapareax), int(grid.mapareay));
    const QPoint phase = QPoint(int(grid.originx), int(grid.originy)) -
                         centredOrigin(view, grid.grab_width, grid.grab_height);
    const LatticeLabels cells(working, view + phase, 32, 32, bothGames(), evidenceThreshold());
    const std::vector<int> columns = cells.charactersPerColumn();
    const std::vector<int> rows = cells.charactersPerRow();
    const auto sized = [](const std::vector<int>& counts, int current) {
        return centredExtent(counts, 2).value_or(current);
    };
    const int w = sized(columns, grid.grab_width);
    const int h = sized(rows, grid.grab_height);
    if (w == grid.grab_width && h == grid.grab_height)
        return false;
    const QPoint origin = centredOrigin(view + phase, w, h);
    grid.grab_width = w;
    grid.grab_height = h;
    grid.originx = quint32(std::max(0, origin.x()));
    grid.originy = quint32(std::max(0, origin.y()));
    located.grid = grid;
    // A map below the full view is the second game's.
    if (newLoad && (w < 32 || h < 32) && !hasSmallMaps(game)) {
        game = smallMapGame(game);
        ExtractCharsFromResource(colour, true);
    }
    surveyCaptions();
    return true;
}

quint8 GrabSession::evidenceThreshold() const
{
    return evidenceScore(prefs.thresholds.prob_match);
}

// The colour survey over the grid as it now stands, as the exact analysis takes it, so that the
// captions (and the table's first line) are the grab's own whichever grab came before.
void GrabSession::surveyCaptions()
{
    const SchemeSurvey survey = surveySchemes(
        working, QRect(int(grid.originx), int(grid.originy), kCellWidth * grid.grab_width,
                       kCellHeight * grid.grab_height));
    if (survey.captionsSet)
        captions = survey.captions;
}

// The grid's area holds no more colours than a palette: a lossless capture.
bool GrabSession::losslessColours() const
{
    const QRect area = QRect(int(grid.originx), int(grid.originy), kCellWidth * grid.grab_width,
                             kCellHeight * grid.grab_height)
                           .intersected(fullcolourimage.rect());
    if (area.isEmpty())
        return false;
    const QImage rgb = fullcolourimage.format() == QImage::Format_RGB32
                           ? fullcolourimage
                           : fullcolourimage.convertToFormat(QImage::Format_RGB32);
    QSet<QRgb> colours;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            colours.insert(line[x] | 0xFF000000u);
            if (colours.size() > 256)
                return false;
        }
    }
    return true;
}

// A map in a window lies centred in its 512 x 480 view (within two pixels).
bool GrabSession::centredInView() const
{
    if (grid.mapareax == 0 && grid.mapareay == 0)
        return true;
    const QPoint expected = centredOrigin(QPoint(int(grid.mapareax), int(grid.mapareay)),
                                          grid.grab_width, grid.grab_height);
    return std::abs(expected.x() - int(grid.originx)) <= 2 &&
           std::abs(expected.y() - int(grid.originy)) <= 2;
}

} // namespace vt
