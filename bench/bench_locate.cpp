// The grid location of whole grabs: a 1024 x 768 game window in either layout (marker scans,
// hero check, map search, colour survey) and a map view for comparison. The grabs are drawn by
// the grab composer with the program's own characters and reduced as a load reduces them; only
// the analysis is timed.
#include "GrabComposer.h"

#include "pictures/Halftone.h"
#include "pictures/BmpByteImage.h"
#include "intake/GridLocator.h"

#include <benchmark/benchmark.h>

namespace {

using namespace vt;

struct Grab
{
    QImage working;
    QByteArray hero;
};

Grab windowGrab(test::WindowLayout layout, int columns, int rows)
{
    const test::GrabArt art = test::GrabArt::shipped(1, 2);
    const test::GrabMap map = test::GrabMap::random(1, columns, rows, 7);
    test::WindowPlacement placement;
    placement.layout = layout;
    placement.game = 1;
    placement.windowAt = QPoint(120, 90);
    const test::ComposedGrab grab = test::composeWindow(map, art, placement);
    return {reduceToHalftone(grab.image), bmpByteImage(reduceToHalftone(art.hero))};
}

void run(benchmark::State& state, const Grab& grab)
{
    LocateInput input;
    input.working = &grab.working;
    input.hero = &grab.hero;
    for (auto _ : state) {
        LocateResult result = locateGrid(input);
        benchmark::DoNotOptimize(result);
    }
}

void BM_LocateWindowA(benchmark::State& state)
{
    static const Grab grab = windowGrab(test::WindowLayout::A, 24, 24);
    run(state, grab);
}
BENCHMARK(BM_LocateWindowA)->Unit(benchmark::kMillisecond);

void BM_LocateWindowB(benchmark::State& state)
{
    static const Grab grab = windowGrab(test::WindowLayout::B, 24, 24);
    run(state, grab);
}
BENCHMARK(BM_LocateWindowB)->Unit(benchmark::kMillisecond);

void BM_LocateMapView(benchmark::State& state)
{
    static const Grab grab = [] {
        const test::GrabArt art = test::GrabArt::shipped(0, 0);
        return Grab{
            reduceToHalftone(test::composeMapView(test::GrabMap::random(0, 32, 32, 7), art)),
            bmpByteImage(reduceToHalftone(art.hero))};
    }();
    run(state, grab);
}
BENCHMARK(BM_LocateMapView)->Unit(benchmark::kMillisecond);

} // namespace
