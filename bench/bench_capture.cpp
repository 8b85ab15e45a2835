// The location of a grab as the program does it on load (GrabSession::loadPicture: the halftone
// reduction, the exact analysis and, where it finds nothing, the recognition of captures at any
// scale), on the captures it is meant for and on the worst pictures the loader accepts:
// - a game window on a 1920 x 1080 screen captured at 125, 150, 237 and 80 % (smoothed, at a
//   sub-pixel phase);
// - a 32 x 32 map view at 1024 x 960 and 2048 x 1920 (2 and 4 times, smoothed), and a part of
//   one at 150 % as small as fuzz_capture's;
// - 16384 x 4096 pictures built to look like a lattice of cells or like nothing: smoothed
//   noise, replicated noise, stripes 16 and 15 pixels wide, a checkerboard of 16 x 15 squares,
//   a map view tiled over the whole picture; and 7680 x 4320 smoothed noise.
// Grabs are drawn by the grab composer and scaled by its resampler before timing. CPU time is
// the whole process's (the load may use more than one thread); the median of five repetitions
// is reported.
#include "GrabKinds.h"
#include "Resample.h"

#include "session/GrabSession.h"

#include <QGuiApplication>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <stdexcept>

namespace {

using namespace vt;

void run(benchmark::State& state, const QImage& picture)
{
    QString found;
    for (auto _ : state) {
        GrabSession session;
        session.loadPicture(picture);
        benchmark::DoNotOptimize(session.grid);
        found = session.outcome == LoadOutcome::WindowNotFound
                    ? QStringLiteral("window not found")
                    : QStringLiteral("%1 %2x%3")
                          .arg(QLatin1String(locatedByName(session.confidence.locatedBy)))
                          .arg(session.grid.grab_width)
                          .arg(session.grid.grab_height);
    }
    state.SetLabel(found.toStdString());
}

// A window on a screen, the part of the screen that becomes 1920 x 1080 at `scale` taken around
// the window's map and scaled (bilinear, phase 0.3).
QImage screenAt(double scale)
{
    const int width = int(std::ceil(1920 / scale));
    const int height = int(std::ceil(1080 / scale));
    for (quint64 seed = 1; seed < 200; ++seed) {
        const test::KindGrab grab = test::composeKind(QStringLiteral("desktop"), seed);
        const test::GrabTruth& t = grab.truth;
        if (grab.image.width() < width || grab.image.height() < height ||
            t.map.columns * t.map.rows != 32 * 32)
            continue;
        // The map in the middle of the part kept, as far as the screen allows.
        const int x = std::clamp(int(t.originx) + 256 - width / 2, 0, grab.image.width() - width);
        const int y =
            std::clamp(int(t.originy) + 240 - height / 2, 0, grab.image.height() - height);
        return test::resample(grab.image.copy(x, y, width, height), scale, scale, 0.3, 0.3,
                              test::Resampler::Bilinear, QSize(1920, 1080));
    }
    throw std::runtime_error("no desktop large enough");
}

QImage mapView(double scale)
{
    const test::GrabArt art = test::GrabArt::shipped(0, 1);
    const QImage view = test::composeMapView(test::GrabMap::random(0, 32, 32, 11), art);
    return test::resample(view, scale, scale, 0.4, 0.4, test::Resampler::Bilinear);
}

QImage noise(int width, int height, int cell)
{
    QImage small((width + cell - 1) / cell, (height + cell - 1) / cell, QImage::Format_RGB32);
    test::GrabRandom random(42);
    for (int y = 0; y < small.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(small.scanLine(y));
        for (int x = 0; x < small.width(); ++x)
            line[x] = random.next() | 0xFF000000u;
    }
    return small;
}

QImage smoothedNoise(int width, int height)
{
    return test::resample(noise(width, height, 4), 4, 4, 0, 0, test::Resampler::Bilinear,
                          QSize(width, height));
}

QImage replicatedNoise(int width, int height)
{
    return test::resample(noise(width, height, 3), 3, 3, 0, 0, test::Resampler::Nearest,
                          QSize(width, height));
}

// Two colours, `across` pixels then `down` pixels wide; a checkerboard where both are set.
QImage pattern(int width, int height, int across, int down)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int parity = (across ? x / across : 0) + (down ? y / down : 0);
            line[x] = parity % 2 ? qRgb(255, 170, 0) : qRgb(0, 85, 170);
        }
    }
    return image;
}

QImage tiledGrab(int width, int height)
{
    const test::GrabArt art = test::GrabArt::shipped(1, 3);
    const QImage view = test::composeMapView(test::GrabMap::random(1, 32, 32, 5), art);
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.drawTiledPixmap(QRect(0, 0, width, height), QPixmap::fromImage(view));
    return image;
}

#define VT_CAPTURE_BENCHMARK(name)                                                                 \
    BENCHMARK(name)                                                                                \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->MeasureProcessCPUTime()                                                                  \
        ->Repetitions(5)                                                                           \
        ->ReportAggregatesOnly(true)

void BM_LoadScreen(benchmark::State& state)
{
    const QImage picture = screenAt(state.range(0) / 100.0);
    run(state, picture);
}
VT_CAPTURE_BENCHMARK(BM_LoadScreen)->Arg(125)->Arg(150)->Arg(237)->Arg(80);

void BM_LoadMapView1024x960(benchmark::State& state)
{
    static const QImage picture = mapView(2);
    run(state, picture);
}
VT_CAPTURE_BENCHMARK(BM_LoadMapView1024x960);

void BM_LoadMapView2048x1920(benchmark::State& state)
{
    static const QImage picture = mapView(4);
    run(state, picture);
}
VT_CAPTURE_BENCHMARK(BM_LoadMapView2048x1920);

// A capture the size fuzz_capture draws: the top left of a map view at 150 %, bilinear, cut to
// 320 x 300 (what the fuzzer's rate of runs is bound by).
void BM_LoadSmallCapture(benchmark::State& state)
{
    static const QImage picture = mapView(1.5).copy(0, 0, 320, 300);
    run(state, picture);
}
VT_CAPTURE_BENCHMARK(BM_LoadSmallCapture);

// The largest pictures: one run per repetition, the picture drawn afresh for each benchmark and
// freed after it (each takes a quarter of a gigabyte, its copies more).
#define VT_LARGE_BENCHMARK(name) VT_CAPTURE_BENCHMARK(name)->Iterations(1)

void BM_LoadSmoothedNoise7680x4320(benchmark::State& state)
{
    run(state, smoothedNoise(7680, 4320));
}
VT_LARGE_BENCHMARK(BM_LoadSmoothedNoise7680x4320);

void BM_LoadSmoothedNoise16384x4096(benchmark::State& state)
{
    run(state, smoothedNoise(16384, 4096));
}
VT_LARGE_BENCHMARK(BM_LoadSmoothedNoise16384x4096);

void BM_LoadReplicatedNoise16384x4096(benchmark::State& state)
{
    run(state, replicatedNoise(16384, 4096));
}
VT_LARGE_BENCHMARK(BM_LoadReplicatedNoise16384x4096);

void BM_LoadStripes16x15(benchmark::State& state)
{
    // Columns 16 pixels wide, or rows 15 high: the cell pitch one way.
    run(state, state.range(0) ? pattern(16384, 4096, 16, 0) : pattern(16384, 4096, 0, 15));
}
VT_LARGE_BENCHMARK(BM_LoadStripes16x15)->ArgName("across")->Arg(1)->Arg(0);

void BM_LoadCheckerboard16x15(benchmark::State& state)
{
    run(state, pattern(16384, 4096, 16, 15));
}
VT_LARGE_BENCHMARK(BM_LoadCheckerboard16x15);

void BM_LoadTiledGrab16384x4096(benchmark::State& state)
{
    run(state, tiledGrab(16384, 4096));
}
VT_LARGE_BENCHMARK(BM_LoadTiledGrab16384x4096);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // The program's characters are made once, at its first load: not timed.
    GrabSession().loadPicture(mapView(1));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
