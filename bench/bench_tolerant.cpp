// The tolerant grid location on the grabs it is meant for: a game window on a 1920 x 1080
// desktop, a capture at twice the size with pixels replicated, one smoothed to 150 %, and its
// worst case, a 7680 x 4320 picture of noise. The grabs are drawn by the grab composer and
// reduced as a load reduces them; only the search is timed.
#include "GrabKinds.h"

#include "charsets/Resources.h"
#include "intake/GrabLoader.h"
#include "intake/TolerantLocator.h"
#include "pictures/BmpByteImage.h"
#include "pictures/Halftone.h"

#include <QGuiApplication>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <stdexcept>

namespace {

using namespace vt;

// The first grab of `kind` whose description holds `detail`.
QImage grabOf(const QString& kind, const QString& detail)
{
    for (quint64 seed = 1; seed < 500; ++seed) {
        test::KindGrab grab = test::composeKind(kind, seed);
        if (grab.truth.detail.contains(detail))
            return grab.image;
    }
    throw std::runtime_error("no such grab");
}

QImage noise(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    test::GrabRandom random(42);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = random.next() | 0xFF000000u;
    }
    return image;
}

void run(benchmark::State& state, const QImage& grab)
{
    static const QByteArray hero =
        bmpByteImage(reduceToHalftone(programPicture(QStringLiteral("HERO"))));
    const WorkingPictures pictures = makeWorkingPictures(grab);
    TolerantInput input;
    input.working = &pictures.working;
    input.fullcolour = &pictures.fullcolour;
    input.hero = &hero;
    input.characters = shippedCharacters();
    for (int game = 0; game < 2; ++game) // the character sets are made once per run
        for (int scheme = 0; scheme < 6; ++scheme)
            input.characters(game, scheme);
    bool found = false;
    for (auto _ : state) {
        const auto location = locateTolerant(input);
        found = bool(location);
        benchmark::DoNotOptimize(location);
    }
    state.SetLabel(found ? "found" : "nothing found");
}

void BM_TolerantDesktop1920(benchmark::State& state)
{
    static const QImage grab = grabOf(QStringLiteral("desktop"), QStringLiteral("on 1920x1080"));
    run(state, grab);
}
BENCHMARK(BM_TolerantDesktop1920)->Unit(benchmark::kMillisecond);

void BM_TolerantWhole2x(benchmark::State& state)
{
    static const QImage grab = grabOf(QStringLiteral("whole"), QStringLiteral("layout A 32x32 x2"));
    run(state, grab);
}
BENCHMARK(BM_TolerantWhole2x)->Unit(benchmark::kMillisecond);

void BM_TolerantSmooth150(benchmark::State& state)
{
    static const QImage grab =
        grabOf(QStringLiteral("smooth"), QStringLiteral("layout A 32x32 150%"));
    run(state, grab);
}
BENCHMARK(BM_TolerantSmooth150)->Unit(benchmark::kMillisecond);

void BM_TolerantNoise7680(benchmark::State& state)
{
    static const QImage grab = noise(7680, 4320);
    run(state, grab);
}
BENCHMARK(BM_TolerantNoise7680)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
