// Captures that are not pixel-exact, as players have them: each a map view or a game window of
// the composer scaled by a factor and a phase of its own, by a named resampler, then cut,
// striped or compressed; each read as the window reads it, cell for cell as drawn.
#include "session/BulkRun.h"

#include "GrabKinds.h"
#include "Resample.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace vt {
namespace {

using test::Resampler;

QImage jpeg(const QImage& image, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", quality);
    return QImage::fromData(bytes, "JPEG");
}

// Every third row at `percent` of its brightness, as a CRT filter draws.
QImage scanlines(QImage image, int percent)
{
    image = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 2; y < image.height(); y += 3) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = qRgb(qRed(line[x]) * percent / 100, qGreen(line[x]) * percent / 100,
                           qBlue(line[x]) * percent / 100);
    }
    return image;
}

struct Capture
{
    const char* name;
    const char* kind; // of the composer's grab the capture starts from
    quint64 seed;
    std::function<QImage(const QImage&)> capture;
    double least;      // share of the visible cells read as drawn
    bool cut = false;  // the first column and row cut by the capture: not wholly visible
};

class Captures : public ::testing::TestWithParam<Capture>
{
protected:
    QTemporaryDir dir;
};

TEST_P(Captures, AreReadCellForCellAsDrawn)
{
    const Capture& c = GetParam();
    const test::KindGrab grab = test::composeKind(QLatin1String(c.kind), c.seed);
    const test::GrabTruth& truth = grab.truth;
    SCOPED_TRACE(truth.detail.toStdString());
    const QImage captured = c.capture ? c.capture(grab.image) : grab.image;
    const QString file = dir.filePath(QStringLiteral("capture.png"));
    ASSERT_TRUE(captured.save(file));

    GrabSession session;
    BulkOptions options;
    options.outputDir = dir.path();
    LoadedGrab loaded = loadGrab(file);
    const GrabPlan plan = planGrab(session, loaded, options);
    ASSERT_TRUE(plan.decodes);
    session.decode();
    ASSERT_TRUE(session.confidence.mapFound);
    EXPECT_EQ(session.grid.grab_width, truth.map.columns);
    EXPECT_EQ(session.grid.grab_height, truth.map.rows);
    EXPECT_EQ(session.game, truth.game);
    int right = 0;
    int visible = 0;
    for (int r = 0; r < truth.map.rows; ++r)
        for (int col = 0; col < truth.map.columns; ++col) {
            if (!truth.isVisible(col, r) || truth.map.at(col, r) < 0 || (c.cut && (col == 0 || r == 0)))
                continue;
            ++visible;
            right += col < session.decoded.columns() && r < session.decoded.rows() &&
                     session.decoded.map[std::size_t(col)][std::size_t(r)] ==
                         truth.map.at(col, r);
        }
    ASSERT_GT(visible, 0);
    EXPECT_GE(double(right) / visible, c.least) << right << " of " << visible;
}

QImage scaled(const QImage& image, double sx, double sy, double px, double py, Resampler r)
{
    return test::resample(image, sx, sy, px, py, r);
}

const Capture kCaptures[] = {
    {"shift_200_bicubic", "view", 12,
     [](const QImage& i) { return scaled(i, 2, 2, 0.37, 0.61, Resampler::Bicubic); }, 0.995},
    {"enlarged_120_area", "window", 13,
     [](const QImage& i) { return scaled(i, 1.2, 1.2, 0.25, 0.5, Resampler::Area); }, 0.995},
    {"aspect_nearest", "view", 14,
     [](const QImage& i) { return scaled(i, 1, 1.2, 0, 0.4, Resampler::Nearest); }, 0.995},
    {"scanlines_3x_nearest", "view", 16,
     [](const QImage& i) { return scanlines(scaled(i, 3, 3, 0, 0, Resampler::Nearest), 50); },
     0.995},
    {"jpeg_150_bilinear", "view", 17,
     [](const QImage& i) { return jpeg(scaled(i, 1.5, 1.5, 0.2, 0.3, Resampler::Bilinear), 85); },
     0.995},
    {"video_still", "video", 18, nullptr, 0.98},
    {"cutoff_window", "cutoff", 19, nullptr, 0.995},
};

// Not read well enough yet: a reduced capture blurs its cells past what the comparison tells
// apart; a window enlarged 1.2 down only, smoothed, is not found (its pitch down is read
// 1.5 % off, beyond what the refinement reaches); a smoothed capture cut by a pixel reads a few
// cells of its second line wrong.
const Capture kNotYet[] = {
    {"cut1_150_bilinear", "view", 11,
     [](const QImage& i) {
         const QImage s = scaled(i, 1.5, 1.5, 0, 0, Resampler::Bilinear);
         return s.copy(1, 1, s.width() - 1, s.height() - 1);
     },
     0.995, true},
    {"aspect_bilinear", "window", 15,
     [](const QImage& i) { return scaled(i, 1, 1.2, 0, 0.4, Resampler::Bilinear); }, 0.995},
    {"thumbnail_75_area", "view", 20,
     [](const QImage& i) { return scaled(i, 0.75, 0.75, 0, 0, Resampler::Area); }, 0.95},
};

const auto kName = [](const ::testing::TestParamInfo<Capture>& info) {
    return std::string(info.param.name);
};
INSTANTIATE_TEST_SUITE_P(Kinds, Captures, ::testing::ValuesIn(kCaptures), kName);
INSTANTIATE_TEST_SUITE_P(DISABLED_Reduced, Captures, ::testing::ValuesIn(kNotYet), kName);

} // namespace
} // namespace vt
