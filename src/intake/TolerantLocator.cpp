#include "intake/TolerantLocator.h"

#include "charsets/Atlas.h"
#include "charsets/GameTables.h"
#include "decode/CellCompare.h"
#include "intake/Lattice.h"
#include "intake/MapSearch.h"
#include "intake/Resample.h"
#include "pictures/BmpByteImage.h"
#include "pictures/Halftone.h"
#include "pictures/PictureArea.h"

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <mutex>

namespace vt {

namespace {

using tolerant::Candidate;
using tolerant::locateAtOneToOne;

constexpr double kCertainShare = 0.9;

// The lattice made exact by how well the map's cells fit: the scale along each axis within
// half a percent, holding the map's centre where it is, then the phase within half a game
// pixel. The periodicity of a picture gives the scale to a few parts in a thousand; across a
// map of 512 game pixels that can be a pixel.
Lattice refineLattice(const TolerantInput& input, const QImage& fullcolour, Lattice lattice,
                      QPoint areaOrigin, const Candidate& c)
{
    const std::vector<QByteArray>& characters = input.characters(c.game, c.scheme);
    // The map's corner in game pixels, which every lattice tried keeps.
    const QPoint corner = areaOrigin + QPoint(int(c.grid.originx), int(c.grid.originy));
    const QRect map(corner, QSize(kCellWidth * c.grid.grab_width, kCellHeight * c.grid.grab_height));
    GridGeometry inMap = c.grid;
    inMap.originx = 0;
    inMap.originy = 0;
    const auto value = [&](const Lattice& l) {
        // Averaged: cheap, and enough to tell which lattice fits the cells best.
        const WorkingPictures cells = makeWorkingPictures(gamePixels(fullcolour, l, map, false));
        return fitOfGrid(cells.working, inMap, characters, input.thresholds.prob_match, 2).scores;
    };
    const auto withScale = [](AxisLattice axis, double scale, double centre) {
        // The centre stays where it is in the picture.
        axis.phase += (axis.scale - scale) * centre;
        axis.scale = scale;
        return axis;
    };
    const QPointF centre = QRectF(map).center();
    // Even where every cell fits already: blurred cells fit a grid a few pixels off too.
    long best = value(lattice);
    for (const double step : {0.0015, 0.0004}) {
        for (int along = 0; along < 2; ++along) {
            const Lattice start = lattice;
            for (int k = -4; k <= 4; ++k) {
                if (k == 0)
                    continue;
                Lattice l = start;
                if (along == 0)
                    l.x = withScale(start.x, start.x.scale * (1 + k * step), centre.x());
                else
                    l.y = withScale(start.y, start.y.scale * (1 + k * step), centre.y());
                const long v = value(l);
                if (v > best) {
                    best = v;
                    lattice = l;
                }
            }
        }
    }
    for (const double part : {1.0 / 8, 1.0 / 32})
    for (int along = 0; along < 2; ++along) {
        const Lattice start = lattice;
        for (int k = -3; k <= 3; ++k) {
            if (k == 0)
                continue;
            Lattice l = start;
            AxisLattice& axis = along == 0 ? l.x : l.y;
            axis.phase += k * axis.scale * part;
            const long v = value(l);
            if (v > best) {
                best = v;
                lattice = l;
            }
        }
    }
    const QRectF inPicture(QPointF(lattice.x.phase + lattice.x.scale * map.left(),
                                   lattice.y.phase + lattice.y.scale * map.top()),
                           QSizeF(lattice.x.scale * map.width(), lattice.y.scale * map.height()));
    lattice = polishLinear(fullcolour, lattice, inPicture.toAlignedRect());
    return lattice;
}

TolerantLocation toLocation(const Candidate& c)
{
    TolerantLocation location;
    location.grid = c.grid;
    location.game = c.game;
    location.scheme = c.scheme;
    location.matched = c.fit.matched;
    location.cells = c.fit.cells;
    location.certain = c.fit.share() >= kCertainShare && c.otherShare <= c.fit.share() &&
                       c.distinct * 4 >= c.fit.cells;
    return location;
}

} // namespace

CharacterSource shippedCharacters()
{
    static std::mutex mutex;
    static std::map<int, std::vector<QByteArray>> sets;
    return [](int game, int scheme) -> const std::vector<QByteArray>& {
        std::lock_guard lock(mutex);
        auto& set = sets[game * kColourCount + scheme];
        if (set.empty())
            for (const QImage& character : loadCharacters(game, scheme, false))
                set.push_back(bmpByteImage(character));
        return set;
    };
}


static std::optional<TolerantLocation> search(const TolerantInput& input)
{
    if (!input.working || !input.fullcolour || !input.hero || !input.characters ||
        input.working->isNull())
        return std::nullopt;

    // The capture's lattice from the picture; each likely one brought back to 1:1 and searched
    // there, the best kept. A grab at 1:1 is searched as it is.
    const auto convincing = [](const Candidate& c) {
        return c.fit.matched * 2 >= c.fit.cells && c.distinct * 4 >= c.fit.cells;
    };
    std::optional<Candidate> best;
    std::optional<WorkingPictures> scaled;
    Lattice bestLattice;
    QRect mapLike;
    std::vector<Lattice> lattices = estimateLattices(*input.fullcolour, 6, &mapLike);
    // A grab that looks 1:1 is searched as it is first: resampling it could only blur it.
    std::optional<Candidate> plain;
    const bool looksPlain =
        lattices.empty() || std::any_of(lattices.begin(), lattices.end(), [](const Lattice& l) {
            return std::abs(l.x.scale - 1) < 0.01 && std::abs(l.y.scale - 1) < 0.01;
        });
    if (looksPlain) {
        plain = locateAtOneToOne(input, *input.working);
        // Found, and the picture repeats at 1:1 most strongly of all: covered or cut cells
        // are no reason to look at other scales.
        const bool firstIsPlain = !lattices.empty() && std::abs(lattices[0].x.scale - 1) < 0.01 &&
                                  std::abs(lattices[0].y.scale - 1) < 0.01;
        if (plain && convincing(*plain) &&
            (plain->fit.share() >= kCertainShare || firstIsPlain))
            return toLocation(*plain);
    }
    // Each lattice tried on a patch of 10 x 10 cells where the picture repeats most like a
    // map; only the two that fit best there are searched whole.
    std::vector<std::pair<long, Lattice>> trials;
    for (const Lattice& lattice : lattices) {
        if (lattice.oneToOne())
            continue;
        const QPointF centre((mapLike.center().x() - lattice.x.phase) / lattice.x.scale,
                             (mapLike.center().y() - lattice.y.phase) / lattice.y.scale);
        const QRect patch(QPoint(int(centre.x()) - 5 * kCellWidth, int(centre.y()) - 5 * kCellHeight),
                          QSize(10 * kCellWidth, 10 * kCellHeight));
        const WorkingPictures cells = makeWorkingPictures(
            gamePixels(*input.fullcolour, lattice, patch.intersected(gameArea(lattice, input.fullcolour->size()))));
        if (cells.working.isNull())
            continue;
        trials.emplace_back(tolerant::patchScore(input, cells.working), lattice);
    }
    std::stable_sort(trials.begin(), trials.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    // A window's marker names its scale outright: that lattice is always searched.
    std::stable_partition(trials.begin() + long(std::min<std::size_t>(2, trials.size())),
                          trials.end(), [](const auto& t) { return t.second.byMarker; });
    const auto kept = std::find_if(trials.begin() + long(std::min<std::size_t>(2, trials.size())),
                                   trials.end(), [](const auto& t) { return !t.second.byMarker; });
    trials.erase(kept, trials.end());
    for (const auto& [patchScore, lattice] : trials) {
        WorkingPictures pictures = resampleToGame(*input.fullcolour, lattice);
        if (pictures.working.isNull())
            continue;
        auto found = locateAtOneToOne(input, pictures.working);
        Lattice tried = lattice;
        if (found && convincing(*found)) {
            const Lattice refined = refineLattice(input, *input.fullcolour, lattice,
                                                  gameArea(lattice, input.fullcolour->size()).topLeft(),
                                                  *found);
            const bool moved = refined.x.scale != lattice.x.scale ||
                               refined.y.scale != lattice.y.scale ||
                               refined.x.phase != lattice.x.phase ||
                               refined.y.phase != lattice.y.phase;
            WorkingPictures again =
                moved ? resampleToGame(*input.fullcolour, refined) : WorkingPictures{};
            // Searched again: a lattice made exact can put the map a pixel or a line away.
            const auto c = moved ? locateAtOneToOne(input, again.working)
                                 : std::optional<Candidate>{};
            if (c && convincing(*c) && c->value() >= found->value()) {
                found = c;
                pictures = std::move(again);
                tried = refined;
            }
        }
        if (found && (!best || found->value() > best->value())) {
            best = found;
            scaled = std::move(pictures);
            bestLattice = tried;
            if (convincing(*best) && best->fit.share() >= kCertainShare)
                break;
        }
    }
    bool bestScaled = bool(best);
    // Where the 1:1 copy lies in the grab, for whoever maps it back.
    const auto place = [&](TolerantLocation& location) {
        const QRect area = gameArea(bestLattice, input.fullcolour->size());
        location.located_by = LocatedBy::Scaled;
        location.scale = bestLattice.x.scale;
        location.scaley = bestLattice.y.scale;
        location.corner = QPointF(bestLattice.x.phase + bestLattice.x.scale * area.x(),
                                  bestLattice.y.phase + bestLattice.y.scale * area.y());
        location.pictures = std::move(scaled);
    };
    if (best && convincing(*best) && best->fit.share() >= kCertainShare) {
        TolerantLocation location = toLocation(*best);
        place(location);
        return location;
    }
    if (!looksPlain)
        plain = locateAtOneToOne(input, *input.working);
    if (plain) {
        if (!best || plain->value() > best->value()) {
            best = plain;
            bestScaled = false;
        }
    }
    if (!best || !convincing(*best))
        return std::nullopt;
    TolerantLocation location = toLocation(*best);
    if (bestScaled)
        place(location);
    return location;
}

// A map cut off by the picture's left or top edge keeps its full size: the picture (or its 1:1
// copy) gets a black margin to the grid's corner, the colour cells outside a picture are read
// as, so that every consumer of the grid sees it inside.
static void padToGrid(TolerantLocation& location, const TolerantInput& input)
{
    GridGeometry& g = location.grid;
    const int left = std::max({0, -int(g.originx), -int(g.mapareax)});
    const int top = std::max({0, -int(g.originy), -int(g.mapareay)});
    if (left == 0 && top == 0)
        return;
    const QImage& source =
        location.pictures ? location.pictures->fullcolour : *input.fullcolour;
    QImage padded(source.width() + left, source.height() + top, QImage::Format_RGB32);
    padded.fill(Qt::black);
    for (int y = 0; y < source.height(); ++y) {
        const QImage line = source.format() == QImage::Format_RGB32
                                ? QImage()
                                : source.copy(0, y, source.width(), 1)
                                      .convertToFormat(QImage::Format_RGB32);
        const auto* in = reinterpret_cast<const QRgb*>(
            line.isNull() ? source.constScanLine(y) : line.constScanLine(0));
        auto* out = reinterpret_cast<QRgb*>(padded.scanLine(y + top)) + left;
        std::copy(in, in + source.width(), out);
    }
    location.pictures = makeWorkingPictures(padded);
    g.originx = quint32(int(g.originx) + left);
    g.originy = quint32(int(g.originy) + top);
    g.mapareax = quint32(int(g.mapareax) + left);
    g.mapareay = quint32(int(g.mapareay) + top);
    location.corner -= QPointF(left * location.scale, top * location.scaley);
}

std::optional<TolerantLocation> locateTolerant(const TolerantInput& input)
{
    std::optional<TolerantLocation> location = search(input);
    if (location)
        padToGrid(*location, input);
    return location;
}

} // namespace vt
