// The grab composer's captures at any scale and phase: the truth it records (origin to a
// fraction of a pixel, both factors) puts every visible cell on the character drawn there.
// Sampled at the centres of the character's pixels: where a pixel's neighbours share its colour,
// any resampler, JPEG and scanline darkening (on a triple's last row) leave the centre near that
// colour; with nearest at 1:1 or larger and no JPEG, every centre is exactly its pixel; and the
// centres are nearest their colours where the truth puts them.
#include "GrabKinds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

using namespace vt;

namespace {

const std::vector<QImage>& characters(int game, int scheme)
{
    static std::map<std::pair<int, int>, std::vector<QImage>> sets;
    auto it = sets.find({game, scheme});
    if (it == sets.end())
        it = sets.emplace(std::pair(game, scheme), test::GrabArt::shipped(game, scheme).characters)
                 .first;
    return it->second;
}

struct Samples
{
    int near = 0;  // uniform pixels whose centre is within the tolerance
    int plain = 0; // uniform pixels sampled
    int exact = 0; // any pixel whose centre is exactly its colour
    int all = 0;
    double error = 0; // mean distance of every centre from its pixel's colour, per component
};

// Samples every visible cell where `truth` says it is, moved by `dx`, `dy` grab pixels.
Samples sample(const QImage& picture, const test::GrabTruth& truth, int tolerance, double dx = 0,
               double dy = 0)
{
    Samples s;
    for (int row = 0; row < truth.map.rows; ++row)
        for (int column = 0; column < truth.map.columns; ++column) {
            const int character = truth.map.at(column, row);
            if (!truth.isVisible(column, row) || character < 0)
                continue;
            const QImage& art = characters(truth.game, truth.scheme)[std::size_t(character)];
            for (int py = 0; py < 15; ++py)
                for (int px = 0; px < 16; ++px) {
                    const double x = truth.originx + truth.scale * (16 * column + px + 0.5 + dx);
                    const double y = truth.originy + truth.scaley * (15 * row + py + 0.5 + dy);
                    const QPoint at(int(std::floor(x)), int(std::floor(y)));
                    if (!picture.rect().contains(at))
                        continue;
                    const QRgb want = art.pixel(px, py);
                    const QRgb got = picture.pixel(at);
                    ++s.all;
                    s.error += std::abs(qRed(want) - qRed(got)) +
                               std::abs(qGreen(want) - qGreen(got)) +
                               std::abs(qBlue(want) - qBlue(got));
                    s.exact += (want & 0xFFFFFF) == (got & 0xFFFFFF);
                    bool uniform = px > 0 && py > 0 && px < 15 && py < 14;
                    for (int ny = py - 1; uniform && ny <= py + 1; ++ny)
                        for (int nx = px - 1; nx <= px + 1; ++nx)
                            uniform = uniform && art.pixel(nx, ny) == want;
                    if (!uniform)
                        continue;
                    ++s.plain;
                    s.near += std::abs(qRed(want) - qRed(got)) <= tolerance &&
                              std::abs(qGreen(want) - qGreen(got)) <= tolerance &&
                              std::abs(qBlue(want) - qBlue(got)) <= tolerance;
                }
        }
    s.error /= 3.0 * std::max(1, s.all);
    return s;
}

TEST(CaptureKinds, TheTruthPutsEveryVisibleCellOnItsCharacter)
{
    for (const QString& kind : test::captureKinds())
        for (quint64 seed = 1; seed <= (kind == QLatin1String("resampled") ? 16u : 5u); ++seed) {
            SCOPED_TRACE(qPrintable(QStringLiteral("%1 seed %2").arg(kind).arg(seed)));
            const test::KindGrab grab = test::composeKind(kind, seed);
            const test::GrabTruth& t = grab.truth;
            SCOPED_TRACE(qPrintable(t.detail));
            const bool jpeg = t.detail.contains(QLatin1String("quality"));
            const Samples right = sample(grab.image, t, jpeg ? 48 : 24);
            ASSERT_GT(right.plain, 100);
            EXPECT_GE(right.near, right.plain * 95 / 100) << right.near << " of " << right.plain;
            const bool replicated = (t.detail.contains(QLatin1String("nearest")) ||
                                     kind == QLatin1String("scanlines")) &&
                                    !jpeg && std::min(t.scale, t.scaley) >= 1;
            // (Layout B's frame line crosses the first column of a small map: a few centres
            // are the line's.)
            if (replicated) {
                EXPECT_LE(right.all - right.exact, right.all / 100);
            }
            // Three quarters of a grab pixel off any way, the centres are further from their
            // colours: the check sees a misplaced grid.
            for (const QPointF& moved :
                 {QPointF(0.75, 0), QPointF(-0.75, 0), QPointF(0, 0.75), QPointF(0, -0.75)})
                EXPECT_LT(right.error, sample(grab.image, t, 0, moved.x(), moved.y()).error)
                    << "moved " << moved.x() << "," << moved.y();
        }
}

} // namespace
