#include "intake/MapEvidence.h"

#include "decode/CellCompare.h"
#include "pictures/BmpByteImage.h"
#include "pictures/PictureArea.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <tuple>

namespace vt {

namespace {

constexpr int kViewCells = 32;
// A map's own cells fit their characters this well even through JPEG; a window's decoration
// beyond its view, which fits a wall's band or edge loosely, seldom does.
constexpr int kStrong = 92;


// The prepared sets, with which of their characters are a single colour.
struct PreparedSet
{
    CompareCandidates compare;
    std::vector<bool> plain;
};

std::vector<PreparedSet> prepare(const CharacterSets& sets)
{
    std::vector<PreparedSet> prepared;
    prepared.reserve(sets.size());
    for (const std::vector<QByteArray>* set : sets) {
        if (!set || set->empty())
            continue;
        PreparedSet p{CompareCandidates(*set), {}};
        for (const QByteArray& c : *set)
            p.plain.push_back(plainCharacter(c));
        prepared.push_back(std::move(p));
    }
    return prepared;
}

CellShows label(const QImage& working, const QRect& cell, const std::vector<PreparedSet>& sets,
                quint8 evidence, QByteArray& buffer, quint8& bestScore, bool& fits)
{
    bestScore = 0;
    fits = false;
    if (!working.rect().contains(cell))
        return CellShows::Outside;
    CopyPictureArea(working, cell, buffer);
    const bool plain = nearlyPlainCell(buffer);
    CellShows shows = plain ? CellShows::Plain : CellShows::Other;
    for (const PreparedSet& set : sets) {
        int index = 0;
        const int score = set.compare.compare(buffer, index, kCellWidth, kCellHeight);
        fits = fits || score >= evidence;
        if (plain || set.plain[std::size_t(index)])
            continue;
        bestScore = quint8(std::max<int>(bestScore, score));
        if (score >= evidence)
            shows = CellShows::Character;
    }
    return shows;
}

// A strip of the picture (less than a cell across) of one colour nearly throughout, the colour
// of a margin: the one at a corner of the picture outside the strip. A sliver of a cell cut by
// the picture's edge is often one colour too (a wall's last row of pixels), but not the margin's.
bool plainStrip(const QImage& working, const QRect& strip)
{
    const QRect r = strip.intersected(working.rect());
    if (r.isEmpty() || working.format() != QImage::Format_Indexed8)
        return true;
    std::array<int, 256> counts{};
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const uchar* line = working.constScanLine(y);
        for (int x = r.left(); x <= r.right(); ++x)
            ++counts[line[x]];
    }
    const auto most = std::max_element(counts.begin(), counts.end());
    if (*most * 10 < r.width() * r.height() * 9)
        return false;
    const int entry = int(most - counts.begin());
    const QRect all = working.rect();
    for (const QPoint corner : {all.topLeft(), all.topRight(), all.bottomLeft(), all.bottomRight()})
        if (!r.contains(corner) && working.constScanLine(corner.y())[corner.x()] == entry)
            return true;
    return false;
}

} // namespace

bool plainCharacter(const QByteArray& character)
{
    const quint32 s = OffBits(character);
    if (quint32(character.size()) <= s)
        return true;
    return std::all_of(character.cbegin() + s, character.cend(),
                       [&](char c) { return c == character[s]; });
}

bool nearlyPlainCell(const QByteArray& cell)
{
    const quint32 s = OffBits(cell);
    const qsizetype pixels = cell.size() - qsizetype(s);
    if (pixels <= 0)
        return true;
    // By colour, not by palette entry: JPEG's noise on a flat colour near the middle of two
    // palette steps splits it between both.
    const auto colour = [&](uchar entry) { return GetRGB(entry, cell); };
    long sum[3] = {0, 0, 0};
    for (qsizetype i = s; i < cell.size(); ++i) {
        const quint32 c = colour(uchar(cell[i]));
        for (int k = 0; k < 3; ++k)
            sum[k] += (c >> (8 * k)) & 0xFF;
    }
    // Near the mean as the comparison sees colours (luminance-weighted).
    const quint32 mean = quint32(sum[2] / pixels) << 16 | quint32(sum[1] / pixels) << 8 |
                         quint32(sum[0] / pixels);
    int near = 0;
    for (qsizetype i = s; i < cell.size(); ++i)
        near += Diff(colour(uchar(cell[i])), mean) >= 240;
    return near * 10 >= pixels * 9;
}

LatticeLabels::LatticeLabels(const QImage& working, QPoint origin, int columns, int rows,
                             const CharacterSets& sets, quint8 evidence)
    : m_origin(origin), m_columns(std::max(columns, 0)), m_rows(std::max(rows, 0))
{
    const std::vector<PreparedSet> prepared = prepare(sets);
    m_cells.resize(std::size_t(m_columns) * std::size_t(m_rows), CellShows::Outside);
    m_scores.resize(m_cells.size(), 0);
    m_fits.resize(m_cells.size(), false);
    QByteArray buffer;
    for (int r = 0; r < m_rows; ++r)
        for (int c = 0; c < m_columns; ++c) {
            const std::size_t at = std::size_t(r * m_columns + c);
            bool fits = false;
            m_cells[at] = label(working,
                                QRect(origin + QPoint(kCellWidth * c, kCellHeight * r),
                                      QSize(kCellWidth, kCellHeight)),
                                prepared, evidence, buffer, m_scores[at], fits);
            m_fits[at] = fits;
        }
}

CellShows LatticeLabels::at(int column, int row) const
{
    if (column < 0 || row < 0 || column >= m_columns || row >= m_rows)
        return CellShows::Outside;
    return m_cells[std::size_t(row * m_columns + column)];
}

int LatticeLabels::countScoring(int column, int row, int columns, int rows, int minimum) const
{
    int n = 0;
    for (int r = row; r < row + rows; ++r)
        for (int c = column; c < column + columns; ++c)
            n += at(c, r) == CellShows::Character &&
                 m_scores[std::size_t(r * m_columns + c)] >= minimum;
    return n;
}

int LatticeLabels::countFitting(int column, int row, int columns, int rows) const
{
    int n = 0;
    for (int r = row; r < row + rows; ++r)
        for (int c = column; c < column + columns; ++c)
            n += at(c, r) != CellShows::Outside && m_fits[std::size_t(r * m_columns + c)];
    return n;
}

std::vector<int> LatticeLabels::charactersPerColumn() const
{
    std::vector<int> counts(std::size_t(m_columns), 0);
    for (int c = 0; c < m_columns; ++c)
        counts[std::size_t(c)] = countCharacters(c, 0, 1, m_rows);
    return counts;
}

std::vector<int> LatticeLabels::charactersPerRow() const
{
    std::vector<int> counts(std::size_t(m_rows), 0);
    for (int r = 0; r < m_rows; ++r)
        counts[std::size_t(r)] = countCharacters(0, r, m_columns, 1);
    return counts;
}

int LatticeLabels::countCharacters(int column, int row, int columns, int rows) const
{
    int n = 0;
    for (int r = row; r < row + rows; ++r)
        for (int c = column; c < column + columns; ++c)
            n += at(c, r) == CellShows::Character;
    return n;
}

std::optional<int> centredExtent(const std::vector<int>& counts, int stray)
{
    int total = 0;
    for (int n : counts)
        total += n;
    if (total == 0 || int(counts.size()) != kViewCells)
        return std::nullopt;
    for (int size = 8; size < kViewCells; size += 8) {
        const int first = (kViewCells - size) / 2;
        int inside = 0;
        for (int i = first; i < first + size; ++i)
            inside += counts[std::size_t(i)];
        // A pointer or a tool tip over the background may fit a character here and there; a
        // map's band beyond is dense with them.
        const int outsideCells = (kViewCells - size) * kViewCells;
        if (total - inside <= std::max(stray, outsideCells * stray / 50))
            return size;
    }
    return kViewCells;
}

std::optional<std::pair<int, int>> looseExtent(const std::vector<int>& counts, bool cutFirst,
                                                bool cutLast, int stray)
{
    const int n = int(counts.size());
    int total = 0;
    long weighted = 0;
    for (int i = 0; i < n; ++i) {
        total += counts[std::size_t(i)];
        weighted += long(i) * counts[std::size_t(i)];
    }
    if (total == 0)
        return std::nullopt;
    const double middle = double(weighted) / total;
    for (int size = 8; size <= kViewCells; size += 8) {
        std::optional<std::pair<int, int>> best;
        int bestInside = -1;
        int bestEmpty = 0;
        int bestBeyond = 0;
        double bestDistance = 0;
        for (int start = 0; start < n; ++start) {
            int inside = 0;
            int empty = 0; // lines of the run wholly in the picture with no character: margin
            for (int i = start; i < std::min(n, start + size); ++i) {
                const bool cut = (i == 0 && cutFirst) || (i == n - 1 && cutLast);
                inside += counts[std::size_t(i)];
                empty += counts[std::size_t(i)] == 0 && !cut;
            }
            const int beyond = std::max(0, start + size - n);
            const double distance = std::abs(start + size / 2.0 - 0.5 - middle);
            const auto key = std::tuple(-inside, empty, beyond, distance);
            if (!best || key < std::tuple(-bestInside, bestEmpty, bestBeyond, bestDistance)) {
                best = std::pair(start, size);
                bestInside = inside;
                bestEmpty = empty;
                bestBeyond = beyond;
                bestDistance = distance;
            }
        }
        if (best && total - bestInside <= stray)
            return best;
    }
    return std::nullopt;
}

EdgeEvidence edgesOf(const QImage& working, const GridGeometry& grid, const CharacterSets& sets,
                     quint8 evidence, const QRect& view)
{
    EdgeEvidence seen;
    const int w = grid.grab_width;
    const int h = grid.grab_height;
    const QRect map(int(grid.originx), int(grid.originy), kCellWidth * w, kCellHeight * h);
    const QRect picture = working.rect();
    if (w <= 0 || h <= 0 || !picture.contains(map)) {
        seen.cutsCells = true;
        return seen;
    }
    // The ring of cells around the map on its lattice.
    const LatticeLabels ring(working, map.topLeft() - QPoint(kCellWidth, kCellHeight), w + 2,
                             h + 2, sets, evidence);
    // A stray character beyond a long edge (a sprite that fits one by chance) does not end it.
    const auto quiet = [](int characters, int span) { return characters <= span / 16; };
    const auto side = [&](int gap, const QRect& strip, int characters, int strong, int span,
                          bool onView) {
        if (gap == 0)
            return true; // on the picture's edge
        // The window's view ends its map; what lies beyond is the window's own decoration,
        // whose bands and edges fit walls loosely, but not as a row of the map fits them.
        if (onView)
            return strong * 2 <= span;
        if (gap < (strip.width() == map.width() ? kCellHeight : kCellWidth))
            return plainStrip(working, strip); // a sliver of the picture beyond
        return quiet(characters, span);
    };
    const auto near = [&view](int a, int b) { return !view.isNull() && std::abs(a - b) <= 2; };
    const int gapLeft = map.left() - picture.left();
    const int gapTop = map.top() - picture.top();
    const int gapRight = picture.right() - map.right();
    const int gapBottom = picture.bottom() - map.bottom();
    // And the map's own line along each edge shows characters: a grid that reaches a row of
    // background past the map (a piece of it cut off by the picture's edge) has not seen it.
    // The map's own line: characters, or cells that fit one (a border of plain walls) in half.
    const auto mapLine = [&ring](int c, int r, int columns, int rows) {
        return ring.countCharacters(c, r, columns, rows) > 0 ||
               ring.countFitting(c, r, columns, rows) * 2 >= columns * rows;
    };
    seen.left = mapLine(1, 1, 1, h) &&
                side(gapLeft, QRect(picture.left(), map.top(), gapLeft, map.height()),
                     ring.countCharacters(0, 1, 1, h), ring.countScoring(0, 1, 1, h, kStrong), h,
                     near(map.left(), view.left()));
    seen.top = mapLine(1, 1, w, 1) &&
               side(gapTop, QRect(map.left(), picture.top(), map.width(), gapTop),
                    ring.countCharacters(1, 0, w, 1), ring.countScoring(1, 0, w, 1, kStrong), w,
                    near(map.top(), view.top()));
    seen.right = mapLine(w, 1, 1, h) &&
                 side(gapRight, QRect(map.right() + 1, map.top(), gapRight, map.height()),
                      ring.countCharacters(w + 1, 1, 1, h),
                      ring.countScoring(w + 1, 1, 1, h, kStrong), h, near(map.right(), view.right()));
    seen.bottom = mapLine(1, h, w, 1) &&
                  side(gapBottom, QRect(map.left(), map.bottom() + 1, map.width(), gapBottom),
                       ring.countCharacters(1, h + 1, w, 1),
                       ring.countScoring(1, h + 1, w, 1, kStrong), w,
                       near(map.bottom(), view.bottom()));
    return seen;
}

QPoint centredOrigin(QPoint view, int columns, int rows)
{
    return view + QPoint((kViewCells - columns) * kCellWidth / 2,
                         (kViewCells - rows) * kCellHeight / 2);
}

} // namespace vt
