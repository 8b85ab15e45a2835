#include "intake/WindowSearch.h"

#include "decode/CellCompare.h"
#include "pictures/Halftone.h"
#include "pictures/PictureArea.h"

#include <QRect>

#include <algorithm>
#include <array>

namespace vt::tolerant {

namespace {

// Where a window shows its marker's first pixel and its hero, from the map-view corner, per
// game. These are the places the exact search reads (it reads row y + 1 for row y).
struct LayoutPlaces
{
    char name;
    quint32 colour; // marker colour value
    int length;     // marker run length
    std::array<QPoint, 2> marker;
    std::array<QPoint, 2> hero;
};

constexpr int kHeroSide = 34;
constexpr int kRunSlack = 4;  // a run this much shorter or longer still counts
constexpr int kHeroSlack = 3; // the hero looked for this far around its place
constexpr int kMaxRuns = 48;  // runs followed per layout

const LayoutPlaces kLayouts[] = {
    {'A',
     0x000000,
     204,
     {QPoint(548, 173), QPoint(548, 146)},
     {QPoint(651, 276), QPoint(583, 283)}},
    {'B', 13260, 124, {QPoint(513, 2), QPoint(513, 2)}, {QPoint(532, 298), QPoint(532, 363)}},
};

quint32 valueOf(const PaletteEntry& e)
{
    return quint32(e.blue) << 16 | quint32(e.green) << 8 | e.red;
}

std::array<bool, 256> nearTable(quint32 colour, quint8 pix_match)
{
    std::array<bool, 256> near{};
    const auto& entries = halftoneEntries();
    for (int i = 0; i < 256; ++i)
        near[std::size_t(i)] =
            pixelMatchPercent(valueOf(entries[std::size_t(i)]), colour) >= pix_match;
    return near;
}

struct Run
{
    int x;
    int y;
    int lastY; // the lowest row of its stack seen so far
};

// Top runs of near-marker colour, one per stack of rows.
std::vector<Run> markerRuns(const QImage& working, const LayoutPlaces& layout, quint8 pix_match)
{
    const std::array<bool, 256> near = nearTable(layout.colour, pix_match);
    std::vector<Run> runs;
    const int w = working.width();
    for (int y = 0; y < working.height(); ++y) {
        const uchar* line = working.constScanLine(y);
        int x = 0;
        while (x < w) {
            if (!near[line[x]]) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < w && near[line[x]])
                ++x;
            if (std::abs(x - start - layout.length) > kRunSlack)
                continue;
            bool stacked = false;
            for (Run& run : runs)
                if (std::abs(run.x - start) <= kRunSlack && y - run.lastY <= 2 && y > run.lastY) {
                    run.lastY = y;
                    stacked = true;
                    break;
                }
            if (!stacked) {
                if (int(runs.size()) >= kMaxRuns)
                    return runs;
                runs.push_back(Run{start, y, y});
            }
        }
    }
    return runs;
}

int heroScore(const QImage& working, const std::vector<QByteArray>& hero, QPoint at)
{
    int best = 0;
    return CompareBitmaps(hero, ExtractPictureArea(working, QRect(at, QSize(kHeroSide, kHeroSide))),
                          best, kHeroSide, kHeroSide);
}

} // namespace

std::vector<WindowHit> findWindows(const QImage& working, const QByteArray& hero,
                                   const Thresholds& thresholds, int game)
{
    std::vector<WindowHit> hits;
    if (working.format() != QImage::Format_Indexed8 || hero.isEmpty())
        return hits;
    const std::vector<QByteArray> heroes{hero};
    for (const LayoutPlaces& layout : kLayouts) {
        for (const Run& run : markerRuns(working, layout, thresholds.pix_match)) {
            for (int k = 0; k < 2; ++k) {
                if (game >= 0 && k != game)
                    continue;
                const QPoint view = QPoint(run.x, run.y) - layout.marker[std::size_t(k)];
                const QPoint place = view + layout.hero[std::size_t(k)];
                WindowHit hit{view, k, layout.name, -1};
                for (int dy = -kHeroSlack; dy <= kHeroSlack; ++dy)
                    for (int dx = -kHeroSlack; dx <= kHeroSlack; ++dx) {
                        const int score = heroScore(working, heroes, place + QPoint(dx, dy));
                        if (score > hit.heroScore) {
                            hit.heroScore = score;
                            hit.view = view + QPoint(dx, dy);
                        }
                    }
                // A window cut off at the picture's edge, its marker and hero inside.
                if (hit.view.x() > -512 && hit.view.y() > -480)
                    hits.push_back(hit);
            }
        }
    }
    std::stable_sort(hits.begin(), hits.end(), [](const WindowHit& a, const WindowHit& b) {
        return a.heroScore > b.heroScore;
    });
    return hits;
}

} // namespace vt::tolerant
