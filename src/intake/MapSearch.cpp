#include "intake/MapSearch.h"

#include "charsets/GameTables.h"
#include "decode/CellCompare.h"
#include "intake/MapEvidence.h"
#include "intake/WindowSearch.h"
#include "pictures/BmpByteImage.h"
#include "pictures/Halftone.h"
#include "pictures/PictureArea.h"

#include <algorithm>
#include <array>
#include <memory>

namespace vt {

namespace tolerant {

namespace {

// How much a cell weighs in a grid's value: a match of a character that is not a single colour
// by how far its score clears prob_match (so that a margin that happens to pass the threshold
// weighs less than the map's own cells), a single-colour match a little against (background
// matches open space anywhere: a grid reaching over more of it is no likelier), an unmatched
// cell against the grid as much as three good matches.
constexpr int kBestWeight = 12;
constexpr int kUnmatchedWeight = 3 * kBestWeight;

int weightOf(int score, bool matched, bool plain, quint8 prob_match)
{
    if (!matched)
        return -kUnmatchedWeight;
    return plain ? -1 : std::min(score - prob_match + 1, kBestWeight);
}

// One game's characters in one scheme, prepared for scoring many cells.
struct CharacterSet
{
    const std::vector<QByteArray>* bytes = nullptr;
    std::unique_ptr<CompareCandidates> compare;
    std::vector<bool> plain; // the character is a single colour (open space)
};


// A cell of one colour nearly throughout: whatever it matches, it says nothing of where a map
// is (a window's background passes for a character now and then, more so under JPEG).
bool nearlyPlain(const QByteArray& cell)
{
    const quint32 s = OffBits(cell);
    if (quint32(cell.size()) <= s)
        return true;
    std::array<int, 256> counts{};
    for (qsizetype i = s; i < cell.size(); ++i)
        ++counts[uchar(cell[i])];
    const int most = *std::max_element(counts.begin(), counts.end());
    return most * 5 >= int(cell.size() - s) * 4;
}

struct CellLabel
{
    int score = 0;
    bool matched = false;
    bool plain = false; // matched a single-colour character
};



class Search
{
public:
    Search(const TolerantInput& input, const QImage& working) : m_input(input), m_working(working)
    {}

    const CharacterSet& set(int game, int scheme)
    {
        auto& slot = m_sets[std::size_t(game * kColourCount + scheme)];
        if (!slot.compare) {
            slot.bytes = &m_input.characters(game, scheme);
            slot.compare = std::make_unique<CompareCandidates>(*slot.bytes);
            for (const QByteArray& c : *slot.bytes)
                slot.plain.push_back(plainCharacter(c));
        }
        return slot;
    }

    std::vector<int> games() const
    {
        return m_input.game >= 0 ? std::vector<int>{m_input.game} : std::vector<int>{0, 1};
    }

    CellLabel label(const QRect& cell, int scheme, const std::vector<int>& games)
    {
        CopyPictureArea(m_working, cell, m_cell);
        CellLabel best;
        for (int game : games) {
            const CharacterSet& s = set(game, scheme);
            if (s.bytes->empty())
                continue;
            int index = 0;
            const int score = s.compare->compare(m_cell, index, kCellWidth, kCellHeight);
            if (score > best.score) {
                best.score = score;
                best.matched = score >= m_input.thresholds.prob_match;
                best.plain = s.plain[std::size_t(index)] || nearlyPlain(m_cell);
            }
        }
        return best;
    }

    // Matched cells of `grid` (every `step`-th) for one game.
    void fit(Candidate& c, int step)
    {
        const CharacterSet& s = set(c.game, c.scheme);
        c.fit = {};
        c.distinct = 0;
        c.weight = 0;
        for (int r = 0; r < c.grid.grab_height; r += step)
            for (int col = 0; col < c.grid.grab_width; col += step) {
                CopyPictureArea(m_working, cellRect(c.grid, col, r), m_cell);
                int index = 0;
                const int score = s.compare->compare(m_cell, index, kCellWidth, kCellHeight);
                ++c.fit.cells;
                const bool matched = score >= m_input.thresholds.prob_match;
                const bool plain = s.plain[std::size_t(index)] || nearlyPlain(m_cell);
                c.weight += weightOf(score, matched, plain, m_input.thresholds.prob_match);
                if (matched) {
                    ++c.fit.matched;
                    c.distinct += !plain;
                }
            }
    }

    // The game and scheme that fit `grid` best, with the fit.
    // The game and scheme that fit `grid` best, the games told apart on every `step`-th cell
    // (at least every other one), the winner then measured on every `step`-th.
    Candidate evaluate(const GridGeometry& grid, int step)
    {
        const QRect area(int(grid.originx), int(grid.originy), kCellWidth * grid.grab_width,
                         kCellHeight * grid.grab_height);
        const int scheme = surveyScheme(m_working, area, 2);
        const int sampled = std::max(step, 2);
        std::optional<Candidate> best;
        double otherShare = 0;
        for (int game : games()) {
            // The first game's levels always fill the view.
            if (game == 0 && (grid.grab_width < 32 || grid.grab_height < 32))
                continue;
            Candidate c{grid, game, scheme, {}, 0, 0, 0};
            fit(c, sampled);
            if (!best || c.value() > best->value()) {
                if (best)
                    otherShare = best->fit.share();
                best = c;
            } else {
                otherShare = std::max(otherShare, c.fit.share());
            }
        }
        if (!best)
            return Candidate{grid, 0, scheme, {}, 0, 0, 0};
        if (step != sampled)
            fit(*best, step);
        best->otherShare = otherShare;
        return *best;
    }

    // The origin moved by up to 2 pixels either way, keeping the best fit.
    Candidate refine(const Candidate& start)
    {
        if (start.fit.share() >= 0.98)
            return evaluate(start.grid, 1);
        Candidate best = start;
        fit(best, 3);
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) {
                // A map cut by the picture's edge may begin outside it, by less than a cell.
                if ((dx == 0 && dy == 0) || int(start.grid.originx) + dx <= -kCellWidth ||
                    int(start.grid.originy) + dy <= -kCellHeight)
                    continue;
                Candidate c = start;
                c.grid.originx = quint32(int(c.grid.originx) + dx);
                c.grid.originy = quint32(int(c.grid.originy) + dy);
                fit(c, 3);
                if (c.value() > best.value())
                    best = c;
            }
        return evaluate(best.grid, 1);
    }

    // The map's size inside a window's view: centred, so only the size is open.
    std::optional<GridGeometry> inView(QPoint view, int game)
    {
        const QRect viewArea(view, QSize(512, 480));
        const int scheme = surveyScheme(m_working, viewArea, 3);
        const std::vector<int> all{game};
        // The central 8 x 8 cells are the map's whatever its size: they settle the corner.
        QPoint bestShift;
        int bestTotal = -1;
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) {
                int total = 0;
                for (int r = 12; r < 20; r += 2)
                    for (int c = 12; c < 20; c += 2)
                        total += label(QRect(view + QPoint(dx + 16 * c, dy + 15 * r),
                                             QSize(kCellWidth, kCellHeight)),
                                       scheme, all)
                                     .score;
                if (total > bestTotal) {
                    bestTotal = total;
                    bestShift = QPoint(dx, dy);
                }
            }
        view += bestShift;
        // The size from the view's cells: the smallest centred map outside which no character
        // shows (cells that fit nothing, covered or blurred, neither shrink nor grow it).
        const LatticeLabels cells(m_working, view, 32, 32, {set(game, scheme).bytes},
                                  evidenceScore(m_input.thresholds.prob_match));
        const std::vector<int> columns = cells.charactersPerColumn();
        const std::vector<int> rows = cells.charactersPerRow();
        const std::optional<int> w = centredExtent(columns, 2);
        const std::optional<int> h = centredExtent(rows, 2);
        if (!w || !h)
            return std::nullopt;
        const QPoint origin = centredOrigin(view, *w, *h);
        GridGeometry g;
        // A window cut off at the picture's edge keeps its map whole: the grid may begin
        // outside the picture (the caller pads the picture to it).
        g.originx = quint32(origin.x());
        g.originy = quint32(origin.y());
        g.grab_width = *w;
        g.grab_height = *h;
        g.mapareax = quint32(view.x());
        g.mapareay = quint32(view.y());
        return g;
    }

    // A map view somewhere near the middle of the picture, with margins of anything around it:
    // the grid's phase from the middle cells, then the extent that fits best.
    std::vector<GridGeometry> loose()
    {
        std::vector<GridGeometry> grids;
        for (int game : games())
            if (const auto grid = loose(game))
                grids.push_back(*grid);
        return grids;
    }

    std::optional<GridGeometry> loose(int game)
    {
        const int W = m_working.width();
        const int H = m_working.height();
        if (W < kCellWidth * 8 || H < kCellHeight * 8)
            return std::nullopt;
        const QPoint centre(W / 2, H / 2);
        // The scheme from the very middle, which is the map's even with wide margins on one side.
        const QRect middle =
            QRect(centre - QPoint(24, 22), QSize(48, 45)).intersected(m_working.rect());
        const int scheme = surveyScheme(m_working, middle, 1);
        int bestTotal = -1;
        QPoint phase;
        for (int g : {game})
            for (int py = 0; py < kCellHeight; ++py)
                for (int px = 0; px < kCellWidth; ++px) {
                    const int i0 = (centre.x() - px) / kCellWidth - 2;
                    const int j0 = (centre.y() - py) / kCellHeight - 2;
                    int total = 0;
                    for (int j = j0; j < j0 + 4; ++j)
                        for (int i = i0; i < i0 + 4; ++i)
                            total += label(QRect(px + kCellWidth * i, py + kCellHeight * j,
                                                 kCellWidth, kCellHeight),
                                           scheme, {g})
                                         .score;
                    if (total > bestTotal) {
                        bestTotal = total;
                        phase = QPoint(px, py);
                    }
                }
        // The lattice at that phase over the whole picture, the cells cut by its edges
        // included (a crop may cut the map), and the extent the characters on it support.
        const int firstColumn = phase.x() > 0 ? -1 : 0;
        const int firstRow = phase.y() > 0 ? -1 : 0;
        const int columns = (W - phase.x() + kCellWidth - 1) / kCellWidth - firstColumn;
        const int rows = (H - phase.y() + kCellHeight - 1) / kCellHeight - firstRow;
        const QPoint origin(phase.x() + kCellWidth * firstColumn,
                            phase.y() + kCellHeight * firstRow);
        const LatticeLabels cells(m_working, origin, columns, rows, {set(game, scheme).bytes},
                                  evidenceScore(m_input.thresholds.prob_match));
        const std::vector<int> perColumn = cells.charactersPerColumn();
        const std::vector<int> perRow = cells.charactersPerRow();
        // Margins of another program's window may fit a character here and there.
        int characters = 0;
        for (int n : perColumn)
            characters += n;
        const int stray = std::max(2, characters / 20);
        // A line cut by the picture's edge may be the map's first or last.
        const auto across = looseExtent(perColumn, firstColumn < 0,
                                        origin.x() + kCellWidth * columns > W, stray);
        const auto down =
            looseExtent(perRow, firstRow < 0, origin.y() + kCellHeight * rows > H, stray);
        if (!across || !down)
            return std::nullopt;
        GridGeometry g;
        g.originx = quint32(origin.x() + kCellWidth * across->first);
        g.originy = quint32(origin.y() + kCellHeight * down->first);
        g.grab_width = across->second;
        g.grab_height = down->second;
        return g;
    }

    // How well the best phase of the lattice fits characters in the middle of the picture:
    // the scores of the 4 x 4 cells there that match a character of more than one colour.
    long patchScore()
    {
        const QPoint centre(m_working.width() / 2, m_working.height() / 2);
        const QRect middle =
            QRect(centre - QPoint(24, 22), QSize(48, 45)).intersected(m_working.rect());
        const int scheme = surveyScheme(m_working, middle, 1);
        long best = 0;
        for (int py = 0; py < kCellHeight; ++py)
            for (int px = 0; px < kCellWidth; ++px) {
                const int i0 = (centre.x() - px) / kCellWidth - 2;
                const int j0 = (centre.y() - py) / kCellHeight - 2;
                long total = 0;
                for (int j = j0; j < j0 + 4; ++j)
                    for (int i = i0; i < i0 + 4; ++i) {
                        const QRect cell(px + kCellWidth * i, py + kCellHeight * j, kCellWidth,
                                         kCellHeight);
                        if (!m_working.rect().contains(cell))
                            continue;
                        const CellLabel l = label(cell, scheme, games());
                        if (l.matched && !l.plain)
                            total += l.score;
                    }
                best = std::max(best, total);
            }
        return best;
    }

private:
    const TolerantInput& m_input;
    const QImage& m_working;
    std::array<CharacterSet, kGameCount * kColourCount> m_sets;
    QByteArray m_cell;
};

} // namespace

long patchScore(const TolerantInput& input, const QImage& working)
{
    Search search(input, working);
    return search.patchScore();
}

// Every place a grid may be in a picture at 1:1: the exact analysis's, the windows' and, when
// no window fits, a loose map view; the best after refining each.
std::optional<Candidate> locateAtOneToOne(const TolerantInput& input, const QImage& working)
{
    Search search(input, working);
    std::optional<Candidate> best;
    const auto consider = [&](const GridGeometry& grid) {
        const Candidate c = search.refine(search.evaluate(grid, 3));
        if (c.fit.cells > 0 && (!best || c.value() > best->value()))
            best = c;
    };

    const int side = std::max(working.width(), working.height());
    if (side <= 1024) {
        LocateInput exact;
        exact.working = &working;
        exact.hero = input.hero;
        exact.thresholds = input.thresholds;
        exact.selectedGame = std::max(input.game, 0);
        exact.newLoad = input.game < 0;
        const LocateResult located = locateGrid(exact);
        if (located.valid && !located.windowNotFound)
            consider(located.grid);
        if (best && best->fit.share() >= 0.98)
            return best;
    }

    const std::vector<tolerant::WindowHit> hits =
        tolerant::findWindows(working, *input.hero, input.thresholds, input.game);
    for (std::size_t i = 0; i < hits.size() && i < 3; ++i) {
        if (const auto grid = search.inView(hits[i].view, hits[i].game))
            consider(*grid);
        if (best && best->fit.share() >= 0.98 && best->distinct * 4 >= best->fit.cells)
            break;
    }
    if (best && best->fit.share() >= 0.9)
        return best;
    for (const GridGeometry& grid : search.loose())
        consider(grid);
    return best;
}

} // namespace tolerant

GridFit fitOfGrid(const QImage& working, const GridGeometry& grid,
                  const std::vector<QByteArray>& characters, quint8 prob_match, int step)
{
    GridFit fit;
    const CompareCandidates compare(characters);
    QByteArray cell;
    for (int r = 0; r < grid.grab_height; r += step)
        for (int c = 0; c < grid.grab_width; c += step) {
            CopyPictureArea(working, cellRect(grid, c, r), cell);
            int index = 0;
            const int score = compare.compare(cell, index, kCellWidth, kCellHeight);
            fit.matched += score >= prob_match;
            fit.scores += score;
            ++fit.cells;
        }
    return fit;
}

int surveyScheme(const QImage& working, const QRect& area, int step)
{
    // Each palette entry's nearest reference colour: the six swatches, then four neutrals.
    static const std::array<int, 256> nearest = [] {
        std::array<quint32, 10> refs{};
        for (int i = 0; i < kColourCount; ++i)
            refs[std::size_t(i)] = colour_swatch[std::size_t(i)];
        refs[6] = 0x000000;
        refs[7] = 0x00CCCC;
        refs[8] = 0xFFFFFF;
        refs[9] = 0x777777;
        std::array<int, 256> table{};
        const auto& entries = halftoneEntries();
        for (int e = 0; e < 256; ++e) {
            const quint32 v = quint32(entries[std::size_t(e)].blue) << 16 |
                              quint32(entries[std::size_t(e)].green) << 8 |
                              entries[std::size_t(e)].red;
            quint32 bestDistance = 1000;
            for (int k = 0; k < 10; ++k) {
                const quint32 d = 256 - Diff(refs[std::size_t(k)], v);
                if (d < bestDistance) {
                    bestDistance = d;
                    table[std::size_t(e)] = k;
                }
            }
        }
        return table;
    }();
    const QRect r = area.intersected(working.rect());
    if (working.format() != QImage::Format_Indexed8 || r.isEmpty())
        return 0;
    std::array<long, 10> counts{};
    for (int y = r.top(); y <= r.bottom(); y += step) {
        const uchar* line = working.constScanLine(y);
        for (int x = r.left(); x <= r.right(); x += step)
            ++counts[std::size_t(nearest[line[x]])];
    }
    return int(std::max_element(counts.begin(), counts.begin() + kColourCount) - counts.begin());
}

} // namespace vt
