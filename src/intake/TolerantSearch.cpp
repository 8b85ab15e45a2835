#include "intake/TolerantSearch.h"

#include "decode/CellCompare.h"
#include "pictures/Halftone.h"
#include "pictures/PictureArea.h"

#include <QRect>

#include <algorithm>
#include <array>
#include <cmath>

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

QRgb at(const QImage& image, int x, int y)
{
    return reinterpret_cast<const QRgb*>(image.constScanLine(y))[x];
}

// Where neighbouring pixels differ (along rows when `across`, else down columns): how many
// differing pairs have their second pixel at each position modulo 12, the least multiple of
// the factors tried. Replicated pixels differ only across the boundaries of their blocks.
std::array<long, 12> differingPairs(const QImage& image, bool across)
{
    const int w = image.width();
    const int h = image.height();
    const int lines = across ? h : w;
    const int length = across ? w : h;
    const int lineStep = std::max(1, lines / 41);
    std::array<long, 12> counts{};
    for (int l = lineStep / 2; l < lines; l += lineStep) {
        for (int i = 0; i + 1 < length; ++i) {
            const QRgb a = across ? at(image, i, l) : at(image, l, i);
            const QRgb b = across ? at(image, i + 1, l) : at(image, l, i + 1);
            if (a != b)
                ++counts[std::size_t((i + 1) % 12)];
        }
    }
    return counts;
}

// Smoothed enlargement blends, along each axis, the two game pixels around the point that an
// enlarged pixel's centre falls on: enlarged pixel i shows game position p = (i + 0.5) * n / N
// - 0.5 (n game pixels, N enlarged), j = floor(p) and j + 1 weighted 1 - f and f. To recover
// game pixel k we read one enlarged pixel per axis: where k is the right-hand partner (j = k - 1)
// with the largest weight, so that the other partner is one already recovered; or, where that
// weight is small, the one that shows k almost alone.
struct AxisPick
{
    int index = 0;             // enlarged pixel read
    double weight = 1;         // weight of game pixel k in it
    bool fromPrevious = false; // the other partner is k - 1 (recovered); else k + 1 (taken as k)
};

std::vector<AxisPick> axisPicks(int enlarged, int game)
{
    std::vector<AxisPick> picks(std::size_t(std::max(game, 0)));
    std::vector<double> bestPrevious(picks.size(), -1.0);
    std::vector<double> bestAlone(picks.size(), -1.0);
    std::vector<AxisPick> alone(picks.size());
    const double ratio = double(game) / enlarged;
    for (int i = 0; i < enlarged; ++i) {
        const double p = (i + 0.5) * ratio - 0.5;
        if (p <= 0) {
            if (!picks.empty() && bestAlone[0] < 1.0) {
                bestAlone[0] = 1.0;
                alone[0] = AxisPick{i, 1.0, false};
            }
            continue;
        }
        const int j = int(p);
        const double f = p - j;
        if (j + 1 < game && f > bestPrevious[std::size_t(j + 1)]) {
            bestPrevious[std::size_t(j + 1)] = f;
            picks[std::size_t(j + 1)] = AxisPick{i, f, true};
        }
        if (j < game && 1 - f > bestAlone[std::size_t(j)]) {
            bestAlone[std::size_t(j)] = 1 - f;
            alone[std::size_t(j)] = AxisPick{i, j + 1 < game ? 1 - f : 1.0, false};
        }
    }
    for (std::size_t k = 0; k < picks.size(); ++k)
        if (bestPrevious[k] < 0.45 && bestAlone[k] > bestPrevious[k])
            picks[k] = alone[k];
    return picks;
}

// The game's picture recovered from a smoothed enlargement: each pixel solved from one
// enlarged pixel and its recovered neighbours above and to the left, and put on the nearest
// palette colour (the game draws with palette colours only), which also stops errors spreading.
// Only `part` of the recovery (game coordinates) is made when given; its first row and column
// are solved as if nothing were recovered before them.
QImage unsmooth(const QImage& image, int gameWidth, int gameHeight, QRect part = {})
{
    const std::vector<AxisPick> xs = axisPicks(image.width(), gameWidth);
    const std::vector<AxisPick> ys = axisPicks(image.height(), gameHeight);
    const auto& palette = halftoneEntries();
    if (part.isNull())
        part = QRect(0, 0, gameWidth, gameHeight);
    part = part.intersected(QRect(0, 0, gameWidth, gameHeight));
    QImage out(std::max(part.width(), 1), std::max(part.height(), 1), QImage::Format_RGB32);
    for (int l = 0; l < part.height(); ++l) {
        const AxisPick& py = ys[std::size_t(part.top() + l)];
        const bool upKnown = py.fromPrevious && l > 0;
        const QRgb* up =
            upKnown ? reinterpret_cast<const QRgb*>(out.constScanLine(l - 1)) : nullptr;
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(l));
        const QRgb* seen = reinterpret_cast<const QRgb*>(image.constScanLine(py.index));
        for (int k = 0; k < part.width(); ++k) {
            const AxisPick& px = xs[std::size_t(part.left() + k)];
            const bool leftKnown = px.fromPrevious && k > 0;
            const QRgb o = seen[px.index];
            // A flat area: the pixel read shows what its recovered partners show.
            if (leftKnown && upKnown && row[k - 1] == o && up[k] == o && up[k - 1] == o) {
                row[k] = o;
                continue;
            }
            const double wx = px.weight;
            const double wy = py.weight;
            // Weights of the four partners; those not yet recovered count as k, l itself.
            double self = wx * wy;
            double known[3] = {0, 0, 0};
            QRgb knownColour[3] = {0, 0, 0};
            const auto add = [&](bool isKnown, double w, int slot, QRgb c) {
                if (isKnown) {
                    known[slot] = w;
                    knownColour[slot] = c;
                } else {
                    self += w;
                }
            };
            add(leftKnown, (1 - wx) * wy, 0, leftKnown ? row[k - 1] : 0);
            add(upKnown, wx * (1 - wy), 1, upKnown ? up[k] : 0);
            // The corner partner: recovered when both are; else its nearest recovered stand-in.
            const bool cornerKnown = leftKnown || upKnown;
            add(cornerKnown, (1 - wx) * (1 - wy), 2,
                leftKnown && upKnown ? up[k - 1]
                : leftKnown          ? row[k - 1]
                : upKnown            ? up[k]
                                     : 0);
            const double inverse = 1.0 / self;
            const auto solve = [&](int shift) {
                double v = double((o >> shift) & 0xFF);
                for (int i = 0; i < 3; ++i)
                    v -= known[i] * double((knownColour[i] >> shift) & 0xFF);
                return std::clamp(int(v * inverse + 0.5), 0, 255);
            };
            const QRgb solved = qRgb(solve(16), solve(8), solve(0));
            const PaletteEntry& e = palette[nearestHalftoneIndex(solved)];
            // Colours far from every palette colour (the desktop's, the window frame's) stay.
            const bool near = std::abs(e.red - qRed(solved)) <= 16 &&
                              std::abs(e.green - qGreen(solved)) <= 16 &&
                              std::abs(e.blue - qBlue(solved)) <= 16;
            row[k] = near ? qRgb(e.red, e.green, e.blue) : solved;
        }
    }
    return out;
}

// How far `image` is from the smoothed enlargement of `game` (the part of a recovery of
// `gameSize` at `part`), on the pixels of `image` that differ from their left neighbour (flat
// areas fit any factor): the mean difference per channel, and how many pixels were compared.
std::pair<double, long> reenlargeError(const QImage& image, const QImage& game, QSize gameSize,
                                       const QRect& part)
{
    const double rx = double(gameSize.width()) / image.width();
    const double ry = double(gameSize.height()) / image.height();
    // The enlarged pixels whose partners all lie inside the part, a pixel in from its edges.
    const int x0 = int(std::ceil((part.left() + 1.5) / rx));
    const int x1 = int((part.right() - 1.5) / rx);
    const int y0 = int(std::ceil((part.top() + 1.5) / ry));
    const int y1 = int((part.bottom() - 1.5) / ry);
    double error = 0;
    long samples = 0;
    for (int y = y0; y <= y1 && y < image.height(); ++y) {
        const double p = (y + 0.5) * ry - 0.5;
        const int j = int(p) - part.top();
        const double fy = p - int(p);
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = std::max(x0, 1); x <= x1 && x < image.width(); ++x) {
            const QRgb o = line[x];
            if (o == line[x - 1])
                continue;
            const double q = (x + 0.5) * rx - 0.5;
            const int i = int(q) - part.left();
            const double fx = q - int(q);
            const QRgb a = at(game, i, j), b = at(game, i + 1, j), c = at(game, i, j + 1),
                       d = at(game, i + 1, j + 1);
            for (int shift : {16, 8, 0}) {
                const auto ch = [shift](QRgb v) { return int((v >> shift) & 0xFF); };
                const double v = (ch(a) * (1 - fx) + ch(b) * fx) * (1 - fy) +
                                 (ch(c) * (1 - fx) + ch(d) * fx) * fy;
                error += std::abs(v - ch(o));
            }
            ++samples;
        }
    }
    return {samples ? error / (3.0 * samples) : 1e9, samples};
}

// The corner of the busiest square of `side` pixels on a coarse grid: where the map most likely is.
QPoint busiest(const QImage& image, int side)
{
    QPoint best(0, 0);
    long bestCount = -1;
    const int step = std::max(1, side / 2);
    for (int y = 0; y + side <= image.height(); y += step)
        for (int x = 0; x + side <= image.width(); x += step) {
            long count = 0;
            for (int v = y; v < y + side; v += 4) {
                const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(v));
                for (int u = x + 1; u < x + side; u += 2)
                    count += line[u] != line[u - 1];
            }
            if (count > bestCount) {
                bestCount = count;
                best = QPoint(x, y);
            }
        }
    return best;
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
                if (hit.view.x() >= -4 && hit.view.y() >= -4)
                    hits.push_back(hit);
            }
        }
    }
    std::stable_sort(hits.begin(), hits.end(), [](const WindowHit& a, const WindowHit& b) {
        return a.heroScore > b.heroScore;
    });
    return hits;
}

std::optional<Replication> detectReplication(const QImage& fullcolour)
{
    const QImage image = fullcolour.format() == QImage::Format_RGB32
                             ? fullcolour
                             : fullcolour.convertToFormat(QImage::Format_RGB32);
    const std::array<std::array<long, 12>, 2> pairs{differingPairs(image, true),
                                                    differingPairs(image, false)};
    for (int factor = 4; factor >= 2; --factor) {
        if (image.width() < 16 * factor || image.height() < 15 * factor)
            continue;
        Replication found{factor, -1, -1};
        for (int axis = 0; axis < 2; ++axis) {
            const std::array<long, 12>& counts = pairs[std::size_t(axis)];
            long total = 0;
            for (long c : counts)
                total += c;
            for (int phase = 0; phase < factor && total >= 64; ++phase) {
                long onBoundary = 0;
                for (int r = phase; r < 12; r += factor)
                    onBoundary += counts[std::size_t(r)];
                if (onBoundary * 100 >= total * 97)
                    (axis == 0 ? found.phaseX : found.phaseY) = phase;
            }
            if ((axis == 0 ? found.phaseX : found.phaseY) < 0)
                break;
        }
        if (found.phaseX >= 0 && found.phaseY >= 0)
            return found;
    }
    return std::nullopt;
}

WorkingPictures decimate(const QImage& fullcolour, const Replication& r)
{
    // A block cut short at the left or top edge still gives its pixel.
    const int startX = r.phaseX > 0 ? r.phaseX - r.factor : 0;
    const int startY = r.phaseY > 0 ? r.phaseY - r.factor : 0;
    const int w = (fullcolour.width() - startX) / r.factor;
    const int h = (fullcolour.height() - startY) / r.factor;
    WorkingPictures pictures;
    pictures.fullcolour = QImage(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        const int sy = std::max(0, startY + y * r.factor);
        auto* out = reinterpret_cast<QRgb*>(pictures.fullcolour.scanLine(y));
        for (int x = 0; x < w; ++x)
            out[x] = at(fullcolour, std::max(0, startX + x * r.factor), sy);
    }
    pictures.working = reduceToHalftone(pictures.fullcolour);
    return pictures;
}

std::optional<SmoothScale> estimateSmoothScale(const QImage& fullcolour)
{
    if (fullcolour.format() != QImage::Format_RGB32)
        return estimateSmoothScale(fullcolour.convertToFormat(QImage::Format_RGB32));
    // Each factor tried on the busiest patch: recovered, enlarged again and compared with the
    // grab where the grab is not flat.
    const int w = fullcolour.width();
    const int h = fullcolour.height();
    // Too small to hold a map of 8 x 8 cells even at 125 %.
    if (w < 160 || h < 150)
        return std::nullopt;
    const int side = std::min({256, w, h});
    const QPoint patch = busiest(fullcolour, side);
    std::optional<SmoothScale> best;
    double bestError = 1e9;
    double secondError = 1e9;
    for (const int percent : {125, 150, 175, 200}) {
        const double factor = percent / 100.0;
        const int gw = int(std::lround(w / factor));
        const int gh = int(std::lround(h / factor));
        if (gw < 16 * 8 || gh < 15 * 8)
            continue;
        const QRect part(int(patch.x() * gw / double(w)), int(patch.y() * gh / double(h)),
                         int(side * gw / double(w)), int(side * gh / double(h)));
        const QImage game = unsmooth(fullcolour, gw, gh, part);
        const auto [error, samples] = reenlargeError(fullcolour, game, QSize(gw, gh), part);
        if (samples < 200)
            continue;
        if (error < bestError) {
            secondError = bestError;
            bestError = error;
            best = SmoothScale{factor, error};
        } else {
            secondError = std::min(secondError, error);
        }
    }
    // The right factor gives the grab back nearly exactly, the others far from it.
    if (!best || bestError > 8.0 || bestError > 0.5 * secondError)
        return std::nullopt;
    return best;
}

WorkingPictures resample(const QImage& fullcolour, double factor)
{
    const QImage source = fullcolour.format() == QImage::Format_RGB32
                              ? fullcolour
                              : fullcolour.convertToFormat(QImage::Format_RGB32);
    WorkingPictures pictures;
    pictures.fullcolour = unsmooth(source, std::max(1, int(std::lround(source.width() / factor))),
                                   std::max(1, int(std::lround(source.height() / factor))));
    pictures.working = reduceToHalftone(pictures.fullcolour);
    return pictures;
}

} // namespace vt::tolerant
