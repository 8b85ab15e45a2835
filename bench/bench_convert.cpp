// The stages of converting one grab, beside bench_locate's grid location: the halftone
// reduction of a window grab, the decoding pass (scoring alone, scoring with drawing the map,
// and the comparison's formula written out literally for the ratio), telling the game by the
// map's content, and every output format of a 32 x 32 map. Grabs are drawn by the grab composer
// with the program's own characters.
#include "GrabComposer.h"
#include "LiteralCompare.h"

#include "charsets/Atlas.h"
#include "decode/CellCompare.h"
#include "decode/GameFit.h"
#include "decode/MapDecoder.h"
#include "export/ImageWriters.h"
#include "export/MapTable.h"
#include "export/OutputFormats.h"
#include "export/TiledExport.h"
#include "pictures/BmpByteImage.h"
#include "pictures/Error.h"
#include "pictures/GridGeometry.h"
#include "pictures/Halftone.h"
#include "pictures/PictureArea.h"

#include <QBuffer>

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

using namespace vt;

constexpr int kGame = 1; // 35 characters
constexpr int kColour = 4;

// A 32 x 32 map view in which a fifth of the cells carry speckles, so that the search for the
// best character does not always end at a perfect match.
struct MapGrab
{
    QImage fullcolour;
    QImage working;
    std::vector<QImage> mapsize;
    std::vector<QImage> fullsize;
};

const MapGrab& mapGrab()
{
    static const MapGrab grab = [] {
        MapGrab g;
        g.mapsize = loadCharacters(kGame, kColour, false);
        g.fullsize = loadCharacters(kGame, kColour, true);
        test::GrabArt art;
        art.characters = g.mapsize;
        test::GrabNoise noise;
        noise.cellPercent = 20;
        g.fullcolour = test::composeMapView(test::GrabMap::random(kGame, 32, 32, 7), art, noise);
        g.working = reduceToHalftone(g.fullcolour);
        return g;
    }();
    return grab;
}

std::vector<QByteArray> candidatesOf(const std::vector<QImage>& characters)
{
    std::vector<QByteArray> candidates;
    for (const QImage& character : characters)
        candidates.push_back(bmpByteImage(character));
    return candidates;
}

// The comparison as written (one square root per byte), from the tests' reference.
quint8 literalCompare(const std::vector<QByteArray>& com, const QByteArray& map, int& bigch,
                      quint32 w, quint32 h)
{
    return test::literal::compareBitmaps(com, map, bigch, w, h);
}

// Every cell cut from the working picture and scored; the best index and score of each cell.
template <class Compare>
std::vector<int> scoreCells(const MapGrab& grab, const std::vector<QByteArray>& candidates,
                            Compare compare)
{
    std::vector<int> results;
    results.reserve(32 * 32);
    QByteArray cell;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            CopyPictureArea(grab.working,
                            QRect(kCellWidth * x, kCellHeight * y, kCellWidth, kCellHeight), cell);
            int best = 0;
            const quint8 score = compare(candidates, cell, best, kCellWidth, kCellHeight);
            results.push_back(best * 1000 + score);
        }
    return results;
}

void BM_HalftoneWindowGrab(benchmark::State& state)
{
    test::WindowPlacement placement;
    placement.game = kGame;
    placement.windowAt = QPoint(120, 90);
    const QImage grab = test::composeWindow(test::GrabMap::random(kGame, 24, 24, 7),
                                            test::GrabArt::shipped(kGame, kColour), placement)
                            .image;
    for (auto _ : state) {
        QImage reduced = reduceToHalftone(grab);
        benchmark::DoNotOptimize(reduced);
    }
}
BENCHMARK(BM_HalftoneWindowGrab)->Unit(benchmark::kMillisecond);

void BM_DecodeScoring(benchmark::State& state)
{
    const MapGrab& grab = mapGrab();
    const std::vector<QByteArray> candidates = candidatesOf(grab.mapsize);
    // As the decoding pass does: the candidates prepared once for all cells.
    const auto prepared = [](const std::vector<QByteArray>& set, const QByteArray& cell, int& best,
                             quint32 w, quint32 h) {
        const CompareCandidates compare(set);
        return compare.compare(cell, best, w, h);
    };
    if (scoreCells(grab, candidates, prepared) != scoreCells(grab, candidates, literalCompare)) {
        state.SkipWithError("the scoring differs from the literal formula");
        return;
    }
    const CompareCandidates compare(candidates);
    const auto once = [&compare](const std::vector<QByteArray>&, const QByteArray& cell, int& best,
                                 quint32 w,
                                 quint32 h) { return compare.compare(cell, best, w, h); };
    for (auto _ : state) {
        auto results = scoreCells(grab, candidates, once);
        benchmark::DoNotOptimize(results);
    }
}
BENCHMARK(BM_DecodeScoring)->Unit(benchmark::kMillisecond);

// The same with the decoding pass's confidence figures: the runner-up of every cell that does not
// score 100, looked for only down to 2 points below the best.
void BM_DecodeScoringWithRunnerUp(benchmark::State& state)
{
    const MapGrab& grab = mapGrab();
    const std::vector<QByteArray> candidates = candidatesOf(grab.mapsize);
    const CompareCandidates compare(candidates);
    const auto withRunnerUp = [&compare](const std::vector<QByteArray>&, const QByteArray& cell,
                                         int& best, quint32 w, quint32 h) {
        const quint8 score = compare.compare(cell, best, w, h);
        if (score < 100)
            benchmark::DoNotOptimize(
                compare.runnerUpScore(cell, best, w, h, quint8(std::max(0, score - 2))));
        return score;
    };
    for (auto _ : state) {
        auto results = scoreCells(grab, candidates, withRunnerUp);
        benchmark::DoNotOptimize(results);
    }
}
BENCHMARK(BM_DecodeScoringWithRunnerUp)->Unit(benchmark::kMillisecond);

void BM_DecodeScoringLiteralFormula(benchmark::State& state)
{
    const MapGrab& grab = mapGrab();
    const std::vector<QByteArray> candidates = candidatesOf(grab.mapsize);
    for (auto _ : state) {
        auto results = scoreCells(grab, candidates, literalCompare);
        benchmark::DoNotOptimize(results);
    }
}
BENCHMARK(BM_DecodeScoringLiteralFormula)->Unit(benchmark::kMillisecond);

DecodeInput decodeInput(const MapGrab& grab)
{
    DecodeInput input;
    input.working = &grab.working;
    input.fullcolour = &grab.fullcolour;
    input.mapsize = &grab.mapsize;
    input.fullsize = &grab.fullsize;
    return input;
}

void BM_DecodeWithDrawing(benchmark::State& state)
{
    const MapGrab& grab = mapGrab();
    const DecodeInput input = decodeInput(grab);
    for (auto _ : state) {
        DecodeResult result = decodeMap(input);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_DecodeWithDrawing)->Unit(benchmark::kMillisecond);

// Telling the game by content: the same 32 x 32 cells scored against both games' characters.
void BM_GameFit(benchmark::State& state)
{
    const MapGrab& grab = mapGrab();
    const std::vector<QImage> sets[] = {loadCharacters(0, kColour, false), grab.mapsize};
    GridGeometry grid;
    if (fitGames(grab.working, grid, sets, 88).best != 1) {
        state.SkipWithError("the map was not told as the second game's");
        return;
    }
    for (auto _ : state) {
        GameFitResult fit = fitGames(grab.working, grid, sets, 88);
        benchmark::DoNotOptimize(fit);
    }
}
BENCHMARK(BM_GameFit)->Unit(benchmark::kMillisecond);

// Outputs of the decoded 32 x 32 map (2048 x 2048 pixels), written into memory.
const DecodeResult& decodedMap()
{
    static const DecodeResult result = decodeMap(decodeInput(mapGrab()));
    return result;
}

// As a save of the session writes it: PNG and GIF from the map at 8 bits, composed from what
// its cells were drawn from (timed with them). The "Scan" cases leave it out, as for a picture
// that is not the converted map: the writer finds the colours itself.
void BM_Output(benchmark::State& state, OutputFormat format, bool composed)
{
    const QImage& picture = decodedMap().picture;
    if (composed && indexedMap(picture, decodedMap().drawnFrom).isNull()) {
        state.SkipWithError("the map has more than 256 colours");
        return;
    }
    // One buffer written over and over, so that its growth is not timed with the encoder.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    for (auto _ : state) {
        buffer.seek(0);
        try {
            const QImage indexed =
                composed ? indexedMap(picture, decodedMap().drawnFrom) : QImage();
            writePicture(picture, format, buffer, composed ? &indexed : nullptr);
        } catch (const Error& error) {
            state.SkipWithError(error.what());
            return;
        }
        benchmark::DoNotOptimize(bytes.data());
    }
    // The file's size, beside its time.
    state.counters["KB"] = double(buffer.pos()) / 1024.0;
}
BENCHMARK_CAPTURE(BM_Output, Bmp, OutputFormat::Bmp, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Output, Png, OutputFormat::Png, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Output, PngScan, OutputFormat::Png, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Output, Gif, OutputFormat::Gif, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Output, GifScan, OutputFormat::Gif, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Output, Jpeg, OutputFormat::Jpeg, false)->Unit(benchmark::kMillisecond);

void BM_OutputCsv(benchmark::State& state)
{
    const DecodedMap& decoded = decodedMap().decoded;
    for (auto _ : state) {
        QByteArray text = csvTable(decoded, QStringLiteral("Orange: 80%"), kGame, kCharRefPc);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_OutputCsv)->Unit(benchmark::kMicrosecond);

void BM_OutputTiled(benchmark::State& state)
{
    const DecodedMap& decoded = decodedMap().decoded;
    const TiledTileset tileset = tiledTileset(kGame, kColour, 35);
    for (auto _ : state) {
        QByteArray tmx = tmxMap(decoded, tileset, kGame, kCharRefPc);
        QByteArray json = tiledJsonMap(decoded, tileset, kGame, kCharRefPc);
        benchmark::DoNotOptimize(tmx);
        benchmark::DoNotOptimize(json);
    }
}
BENCHMARK(BM_OutputTiled)->Unit(benchmark::kMicrosecond);

} // namespace
