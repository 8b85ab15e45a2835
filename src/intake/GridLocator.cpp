#include "intake/GridLocator.h"

#include "charsets/GameTables.h"
#include "decode/CellCompare.h"
#include "pictures/ByteImageReader.h"
#include "pictures/PictureArea.h"

#include <QRect>

#include <array>
#include <vector>

namespace vt {

namespace {

// The window layouts the search knows, tried in this order; kGames keeps its places per layout
// in the same order. Where the hero and the map view lie relative to the marker found at
// (RX, RY) is the game's own. RX is one right of the run's first pixel, RY its row as read (one
// below the row it lies on, through the byte image's row rule).
struct WindowLayout
{
    char name;
    quint32 sx, sy; // where the marker scan starts
    quint32 colour; // marker colour, compared exactly
    quint32 length; // marker run length, exactly
};

constexpr int kHeroSize = 34; // the hero picture and the area cut for its check
constexpr quint32 kBlack = 0x000000;
constexpr quint32 kMarkerRed = 13260;   // red 204, green 51, blue 0
constexpr quint32 kFrameOrange = 33023; // red 255, green 128, blue 0

constexpr WindowLayout kLayouts[kLayoutCount] = {
    {'A', 549, 147, kBlack, 204},
    {'B', 514, 3, kMarkerRed, 124},
};

// The survey's references: the six swatches in colour selector order, then four neutrals that
// count for no scheme (black, yellow 204/204/0, white, grey 119).
constexpr int kSchemeRefs = kColourCount;
constexpr std::array<quint32, 10> kSurveyRefs{
    colour_swatch[0], colour_swatch[1], colour_swatch[2], colour_swatch[3], colour_swatch[4],
    colour_swatch[5], 0x000000,         0x00CCCC,         0xFFFFFF,         0x777777};

// counter / total x 100 rounded to the nearest whole percent, halves to even, in integers: in
// floating point an exact half such as 276 / 480 (57.5) comes out a hair below and reads 57.
qint64 sharePercent(qint64 counter, qint64 total)
{
    const qint64 scaled = counter * 100;
    const qint64 whole = scaled / total;
    const qint64 twiceRest = 2 * (scaled % total);
    if (twiceRest > total || (twiceRest == total && whole % 2 != 0))
        return whole + 1;
    return whole;
}

// Answers per palette entry, built once per analysis: a grab uses at most 256 colours, so no
// pixel needs a square root of its own.
using EntryFlags = std::array<bool, 256>;

class Analysis
{
public:
    explicit Analysis(const LocateInput& input)
        : m_in(input), m_thresholds(input.thresholds), m_grid(input.start),
          m_game(input.selectedGame)
    {}

    LocateResult run();

private:
    // Stage 1: true when the picture's size is recognised.
    bool classifySize();
    // Stage 2 with the hero check: true when a window was found.
    bool findWindow();
    bool scanForMarker(const WindowLayout& layout, const EntryFlags& isMarker, quint32& rx,
                       quint32& ry);
    std::optional<int> checkHero(int layout, quint32 rx, quint32 ry) const;
    void findMapLayoutA();
    void findMapLayoutB();
    void surveyColours();

    EntryFlags entriesWhere(auto&& predicate) const
    {
        EntryFlags flags{};
        for (int v = 0; v < 256; ++v)
            flags[std::size_t(v)] = predicate(m_reader.colours()[std::size_t(v)]);
        return flags;
    }
    bool alike(quint32 a, quint32 b) const
    {
        return pixelMatchPercent(a, b) >= m_thresholds.pix_match;
    }
    quint8 at(quint32 x, quint32 y) const { return m_reader.byteAt(x, y); }

    const LocateInput& m_in;
    const Thresholds m_thresholds;
    LocateResult m_result;
    ByteImageReader m_reader;
    quint32 m_width = 0;
    quint32 m_height = 0;
    GridGeometry m_grid;
    int m_game;              // the tentative game
    bool m_detected = false; // the game-detected mark
    bool m_valid = false;
    bool m_mapView = false;
};

bool Analysis::classifySize()
{
    const QImage& picture = *m_in.working;
    m_width = static_cast<quint32>(picture.width());
    m_height = static_cast<quint32>(picture.height());
    const quint32 w = m_width;
    const quint32 h = m_height;

    if (w % 16 == 0 && h % 15 == 0)
        m_valid = m_mapView = IsValidMapSize(static_cast<qint32>(w / 16)) &&
                              IsValidMapSize(static_cast<qint32>(h / 15));
    if (w > 512 && w <= 1024 && h > 480 && h <= 768)
        m_valid = true;
    return m_valid;
}

bool Analysis::scanForMarker(const WindowLayout& layout, const EntryFlags& isMarker, quint32& rx,
                             quint32& ry)
{
    const quint32 w = m_width;
    const quint32 h = m_height;
    const quint32 len = layout.length;
    quint32& x = m_grid.originx;
    quint32& y = m_grid.originy;
    x = layout.sx;
    y = layout.sy;
    for (;;) {
        // Scan: the first row is read from one right of the start point, every later row from it.
        quint8 v;
        do {
            ++x;
            if (x >= w - len) {
                ++y;
                x = layout.sx;
            }
            v = at(x, y);
        } while (!(y >= h || isMarker[v]));

        // Count the run up to the first pixel that differs; x ends on that pixel.
        quint32 count = 0;
        if (isMarker[v]) {
            count = 1;
            do {
                ++x;
                v = at(x, y);
                if (isMarker[v])
                    ++count;
            } while (!(x >= w || !isMarker[v]));
        }
        if (count == len) {
            rx = x - len + 1;
            ry = y;
            return true;
        }
        if (y >= h - len)
            return false;
    }
}

// Each game's window puts the hero in its own place. The places are tried in game order; one
// whose score is beyond doubt ends the search, otherwise the last place tried decides.
std::optional<int> Analysis::checkHero(int layout, quint32 rx, quint32 ry) const
{
    if (!m_in.hero)
        return std::nullopt;
    const std::vector<QByteArray> candidates{*m_in.hero};
    quint8 score = 0;
    int game = 0;
    for (;; ++game) {
        const WindowPlaces& places = kGames[game].window[std::size_t(layout)];
        const QRect place(static_cast<int>(rx + places.heroRight),
                          static_cast<int>(ry + places.heroDown), kHeroSize, kHeroSize);
        int bigch = 0;
        score = CompareBitmaps(candidates, ExtractPictureArea(*m_in.working, place), bigch,
                               kHeroSize, kHeroSize);
        if (score >= m_thresholds.vorlan_match || game + 1 == kGameCount)
            break;
    }
    if (score >= m_thresholds.prob_match)
        return game;
    return std::nullopt;
}

bool Analysis::findWindow()
{
    for (int index = 0; index < kLayoutCount; ++index) {
        if (m_grid.originx != 0 || m_grid.originy != 0)
            break;
        const WindowLayout& layout = kLayouts[index];
        m_result.layout = layout.name;
        const EntryFlags isMarker = entriesWhere([&](quint32 c) { return c == layout.colour; });
        quint32 rx = 0;
        quint32 ry = 0;
        std::optional<int> game;
        if (scanForMarker(layout, isMarker, rx, ry))
            game = checkHero(index, rx, ry);
        // A window whose corner would lie above or left of the picture is not in it (the
        // unsigned corner would wrap round to some four thousand million): this layout failed.
        if (game && (rx < kGames[*game].window[std::size_t(index)].viewLeft ||
                     ry < kGames[*game].window[std::size_t(index)].viewUp))
            game.reset();
        if (game) {
            const WindowPlaces& places = kGames[*game].window[std::size_t(index)];
            m_game = *game;
            m_detected = true;
            m_grid.originx = rx - places.viewLeft;
            m_grid.originy = ry - places.viewUp;
        } else {
            // A marker without the hero beside it is not the window: this layout failed.
            m_grid.originx = 0;
            m_grid.originy = 0;
        }
    }
    if (m_grid.originx == 0 && m_grid.originy == 0) {
        m_result.layout = 0;
        return false;
    }
    m_grid.mapareax = m_grid.originx;
    m_grid.mapareay = m_grid.originy;
    return true;
}

// Layout A draws the map centred on a uniform background: the first sample that differs from
// the background, scanning from a corner in steps of one cell, gives the margins.
void Analysis::findMapLayoutA()
{
    const quint32 ox = m_grid.mapareax;
    const quint32 oy = m_grid.mapareay;
    const quint32 reference = m_reader.colourAt(ox, oy - 1);
    const EntryFlags differs = entriesWhere([&](quint32 c) { return !alike(c, reference); });

    for (int corner = 0; corner < 4; ++corner) {
        m_grid.originx = ox;
        m_grid.originy = oy;
        const bool fromRight = corner >= 2;
        const bool fromBottom = corner % 2 == 1;
        bool hit = false;
        quint32 dx = 0;
        quint32 dy = 1;
        for (; dy <= 240; dy += 15) {
            for (dx = 0; dx <= 256; dx += 16) {
                const quint32 x = fromRight ? ox + 512 - dx : ox + dx;
                const quint32 y = fromBottom ? oy + 480 - dy : oy + dy;
                if (differs[at(x, y)]) {
                    hit = true;
                    break;
                }
            }
            if (hit)
                break;
        }
        if (hit) {
            m_grid.originx = ox + dx;
            m_grid.originy = oy + dy - 1;
            m_grid.grab_width = 32 - 2 * static_cast<qint32>(dx / 16);
            m_grid.grab_height = 32 - 2 * static_cast<qint32>(dy / 15);
        }
        if (IsValidMapSize(m_grid.grab_width) && IsValidMapSize(m_grid.grab_height))
            break;
    }
}

// Layout B draws the map on black with orange frame lines: a line across the view above the map
// and one down the view on the map's first column. Their offsets give the size.
void Analysis::findMapLayoutB()
{
    const quint32 ox = m_grid.mapareax;
    const quint32 oy = m_grid.mapareay;
    const EntryFlags blackLike = entriesWhere([&](quint32 c) { return alike(c, kBlack); });
    const EntryFlags frame = entriesWhere([&](quint32 c) { return alike(c, kFrameOrange); });

    // Top edge: down the columns, one cell width apart, to the first colour that is not black.
    quint32 dx = 0;
    quint32 dy = 0;
    quint8 v;
    do {
        ++dy;
        v = at(ox + dx, oy + dy + 1);
        if (dy >= 240) {
            dx += 16;
            dy = 0;
        }
    } while (!(dx >= 256 || !blackLike[v]));
    int count = 0;
    for (quint32 i = 0; i < 384; ++i)
        count += frame[at(ox + dx + i, oy + dy + 1)] ? 1 : 0;
    const quint32 top = count < 384 ? 360 : dy;

    // Left edge: along the rows, one cell height apart.
    dx = 0;
    dy = 0;
    do {
        ++dx;
        v = at(ox + dx, oy + dy + 1);
        if (dx >= 256) {
            dy += 15;
            dx = 0;
        }
    } while (!(dy >= 240 || !blackLike[v]));
    count = 0;
    for (quint32 i = 0; i < 360; ++i)
        count += frame[at(ox + dx, oy + dy + i)] ? 1 : 0;
    const quint32 left = count < 360 ? 384 : dx;

    if (top >= 240 && left >= 256)
        return;
    m_grid.grab_width = 32 - 2 * static_cast<qint32>(left / 16);
    if (!IsValidMapSize(m_grid.grab_width))
        m_grid.grab_width = 32;
    m_grid.originx = ox + static_cast<quint32>((32 - m_grid.grab_width) * 16 / 2);
    m_grid.grab_height = 32 - 2 * static_cast<qint32>((top + 4) / 15);
    if (!IsValidMapSize(m_grid.grab_height))
        m_grid.grab_height = 32;
    m_grid.originy = oy + static_cast<quint32>((32 - m_grid.grab_height) * 15 / 2);
}

void Analysis::surveyColours()
{
    // Nearest reference per palette entry: smallest 256 - Diff, the first on a tie.
    std::array<quint8, 256> nearest{};
    for (int v = 0; v < 256; ++v) {
        const quint32 colour = m_reader.colours()[std::size_t(v)];
        quint32 best = 0;
        for (std::size_t r = 0; r < kSurveyRefs.size(); ++r) {
            const quint32 d = Diff(colour, kSurveyRefs[r]);
            if (r == 0 || d > best) {
                best = d;
                nearest[std::size_t(v)] = static_cast<quint8>(r);
            }
        }
    }

    const quint32 columns = static_cast<quint32>(16 * m_grid.grab_width);
    const quint32 rows = static_cast<quint32>(15 * m_grid.grab_height);
    std::array<qint64, kSchemeRefs> counters{};
    qint64 total = qint64(rows) * columns;
    for (quint32 y = 0; y < rows; ++y) {
        for (quint32 x = 0; x < columns; ++x) {
            const quint8 r = nearest[at(m_grid.originx + x, m_grid.originy + y)];
            if (r < kSchemeRefs)
                ++counters[r];
            else
                --total;
        }
    }

    if (total > 0) {
        m_result.captionsSet = true;
        for (int i = 0; i < kSchemeRefs; ++i) {
            m_result.captions[std::size_t(i)] =
                colourName(i) +
                QStringLiteral(": %1%").arg(sharePercent(counters[std::size_t(i)], total));
        }
    }
    int chosen = 0;
    for (int i = 1; i < kSchemeRefs; ++i)
        if (counters[std::size_t(i)] > counters[std::size_t(chosen)])
            chosen = i;
    m_result.chosenScheme = chosen;
}

LocateResult Analysis::run()
{
    if (!m_in.working || !classifySize()) {
        // Unrecognised: nothing is searched and the grid falls back; the colour items stay.
        m_result.grid = GridGeometry{};
        return m_result;
    }
    m_result.recognised = true;
    if (m_mapView) {
        m_grid.grab_width = static_cast<qint32>(m_width / 16);
        m_grid.grab_height = static_cast<qint32>(m_height / 15);
    }
    m_reader = ByteImageReader(*m_in.working);
    m_grid.originx = m_grid.originy = m_grid.mapareax = m_grid.mapareay = 0;

    if (!m_mapView) {
        if (!findWindow()) {
            m_result.windowNotFound = true;
            m_result.grid = m_grid;
            return m_result;
        }
        if (m_result.layout == 'A')
            findMapLayoutA();
        else
            findMapLayoutB();
        // Window fallback: the whole map-view area.
        if (!IsValidMapSize(m_grid.grab_width) || !IsValidMapSize(m_grid.grab_height)) {
            m_grid.grab_width = m_grid.grab_height = 32;
            m_grid.originx = m_grid.mapareax;
            m_grid.originy = m_grid.mapareay;
        }
    }

    // A map smaller than the full view tells a game that draws such maps.
    if (m_grid.grab_width < 32 || m_grid.grab_height < 32) {
        m_game = smallMapGame(m_game);
        m_detected = true;
    }
    if (m_detected)
        m_result.detectedGame = m_game;

    surveyColours();

    if (m_detected && m_in.newLoad)
        m_result.selectGame = m_game;
    const int selected = m_result.selectGame >= 0 ? m_result.selectGame : m_in.selectedGame;
    // A game known to draw only full maps rejects a grid smaller both ways.
    const bool fullMapsOnly = selected >= 0 && selected < kGameCount && !hasSmallMaps(selected);
    if (fullMapsOnly && m_grid.grab_width != 32 && m_grid.grab_height != 32)
        m_valid = false;
    m_result.valid = m_valid;

    if (!m_valid) {
        m_grid.originx = m_grid.originy = 0;
        m_grid.grab_width = m_grid.grab_height = 32;
    }
    m_result.grid = m_grid;
    return m_result;
}

} // namespace

LocateResult locateGrid(const LocateInput& input)
{
    return Analysis(input).run();
}

SchemeSurvey surveySchemes(const QImage& working, const QRect& area)
{
    SchemeSurvey survey;
    const QRect r = area.intersected(working.rect());
    if (working.format() != QImage::Format_Indexed8 || r.isEmpty())
        return survey;
    const QList<QRgb> table = working.colorTable();
    std::array<int, 256> nearest{};
    for (int v = 0; v < 256; ++v) {
        const QRgb c = v < table.size() ? table[v] : 0;
        const quint32 colour = quint32(qBlue(c)) << 16 | quint32(qGreen(c)) << 8 | quint32(qRed(c));
        quint32 best = 0;
        for (std::size_t k = 0; k < kSurveyRefs.size(); ++k) {
            const quint32 d = Diff(colour, kSurveyRefs[k]);
            if (k == 0 || d > best) {
                best = d;
                nearest[std::size_t(v)] = int(k);
            }
        }
    }
    std::array<qint64, kSchemeRefs> counters{};
    qint64 total = qint64(r.width()) * r.height();
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const uchar* line = working.constScanLine(y);
        for (int x = r.left(); x <= r.right(); ++x) {
            const int k = nearest[line[x]];
            if (k < kSchemeRefs)
                ++counters[std::size_t(k)];
            else
                --total;
        }
    }
    if (total > 0) {
        survey.captionsSet = true;
        for (int i = 0; i < kSchemeRefs; ++i)
            survey.captions[std::size_t(i)] =
                colourName(i) +
                QStringLiteral(": %1%").arg(sharePercent(counters[std::size_t(i)], total));
    }
    for (int i = 1; i < kSchemeRefs; ++i)
        if (counters[std::size_t(i)] > counters[std::size_t(survey.chosen)])
            survey.chosen = i;
    return survey;
}

} // namespace vt
