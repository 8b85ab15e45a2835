// The decoding pass in the library: matching, thresholds, drawing and the accuracy figure.
#include "charsets/Atlas.h"
#include "decode/CellCompare.h"
#include "decode/MapDecoder.h"
#include "intake/GrabLoader.h"
#include "pictures/BmpByteImage.h"
#include "pictures/Halftone.h"
#include "pictures/PictureArea.h"

#include "GrabComposer.h"
#include "LiteralCompare.h"
#include "TestSupport.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace vt {

namespace {

using test::GrabArt;
using test::GrabMap;

struct Decoding
{
    std::vector<QImage> mapsize;
    std::vector<QImage> fullsize;
    QImage puzzle;
    WorkingPictures pictures;

    Decoding(int game, int colour, const QImage& grab)
        : mapsize(loadCharacters(game, colour, false)),
          fullsize(loadCharacters(game, colour, true)), pictures(makeWorkingPictures(grab))
    {
        puzzle = QImage(64, 64, QImage::Format_RGB32);
        puzzle.fill(QColor(200, 100, 50));
    }

    DecodeResult run(GridGeometry grid, quint8 probMatch = 88, bool puzzpiece = false,
                     std::vector<int>* progress = nullptr) const
    {
        DecodeInput input;
        input.working = &pictures.working;
        input.fullcolour = &pictures.fullcolour;
        input.grid = grid;
        input.mapsize = &mapsize;
        input.fullsize = &fullsize;
        input.puzzle = &puzzle;
        input.prob_match = probMatch;
        input.puzzpiece = puzzpiece;
        return decodeMap(input, [progress](int p) {
            if (progress)
                progress->push_back(p);
        });
    }
};

GridGeometry gridOf(int columns, int rows, int x = 0, int y = 0)
{
    GridGeometry grid;
    grid.originx = quint32(x);
    grid.originy = quint32(y);
    grid.grab_width = columns;
    grid.grab_height = rows;
    return grid;
}

TEST(MapDecoder, AGrabOfCharactersDecodesToItsMapWithFullSizeCharactersDrawn)
{
    for (int game : {0, 1}) {
        const GrabMap map = GrabMap::random(game, 32, 32, 11 + game);
        const Decoding decoding(game, 3, test::composeMapView(map, GrabArt::shipped(game, 3)));
        std::vector<int> progress;
        const DecodeResult result = decoding.run(gridOf(32, 32), 88, false, &progress);
        EXPECT_EQ(result.decoded.errors, 0u);
        ASSERT_EQ(result.decoded.columns(), 32);
        ASSERT_EQ(result.decoded.rows(), 32);
        for (int x = 0; x < 32; ++x)
            for (int y = 0; y < 32; ++y)
                ASSERT_EQ(result.decoded.map[x][y], map.at(x, y)) << x << "," << y;
        EXPECT_EQ(result.picture.size(), QSize(2048, 2048));
        const QImage& diamond = decoding.fullsize[std::size_t(map.at(5, 7))];
        EXPECT_EQ(result.picture.copy(5 * 64, 7 * 64, 64, 64),
                  diamond.convertToFormat(QImage::Format_RGB32));
        EXPECT_EQ(progress.front(), 0);
        EXPECT_EQ(progress.back(), 100);
        EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    }
}

// A cell whose best score equals the threshold counts as matched; one point less does not.
TEST(MapDecoder, TheThresholdIsTheLeastScoreThatMatches)
{
    GrabMap map = GrabMap::filled(8, 8, 3);
    QImage grab = test::composeMapView(map, GrabArt::shipped(0, 0));
    // Spoil cell (2, 1) a little: a few white pixels.
    for (int i = 0; i < 12; ++i)
        grab.setPixel(2 * 16 + i, 1 * 15 + i % 15, qRgb(255, 255, 255));
    const Decoding decoding(0, 0, grab);

    std::vector<QByteArray> candidates;
    for (const QImage& c : decoding.mapsize)
        candidates.push_back(bmpByteImage(c));
    int best = -1;
    const quint8 score = CompareBitmaps(
        candidates, ExtractPictureArea(decoding.pictures.working, QRect(32, 15, 16, 15)), best, 16,
        15);
    ASSERT_LT(score, 100);

    const DecodeResult atScore = decoding.run(gridOf(8, 8), score);
    EXPECT_EQ(atScore.decoded.map[2][1], best);
    EXPECT_EQ(atScore.decoded.errors, 0u);
    const DecodeResult above = decoding.run(gridOf(8, 8), quint8(score + 1));
    EXPECT_EQ(above.decoded.map[2][1], -1);
    EXPECT_EQ(above.decoded.errors, 1u);

    EXPECT_EQ(decoding.run(gridOf(8, 8), 0).decoded.errors, 0u);
    const DecodeResult perfect = decoding.run(gridOf(8, 8), 100);
    EXPECT_EQ(perfect.decoded.errors, 1u);
    EXPECT_EQ(perfect.decoded.map[0][0], 3);
}

TEST(MapDecoder, UnmatchedCellsShowTheGrabsOwnFullColourPixelsOrThePuzzlePiece)
{
    GrabMap map = GrabMap::filled(8, 8, 0);
    QImage grab = test::composeMapView(map, GrabArt::shipped(1, 0));
    // A colour the halftone palette does not hold, so that the working picture differs.
    const QRgb odd = qRgb(201, 77, 13);
    for (int y = 30; y < 45; ++y)
        for (int x = 48; x < 64; ++x)
            grab.setPixel(x, y, (x + y) % 2 ? odd : qRgb(255, 255, 255));
    const Decoding decoding(1, 0, grab);

    const DecodeResult copied = decoding.run(gridOf(8, 8));
    EXPECT_EQ(copied.decoded.map[3][2], -1);
    EXPECT_EQ(copied.decoded.errors, 1u);
    const QImage square = copied.picture.copy(3 * 64, 2 * 64, 64, 64);
    EXPECT_EQ(square, enlargedCell(decoding.pictures.fullcolour, QRect(48, 30, 16, 15), 64));
    // Pixel (1, 0) of the cell, odd-coloured, fills a 4 x 4 block (2x across, then 2x again).
    EXPECT_EQ(square.pixel(4, 0), odd);
    EXPECT_EQ(square.pixel(7, 3), odd);

    const DecodeResult puzzle = decoding.run(gridOf(8, 8), 88, true);
    EXPECT_EQ(puzzle.picture.copy(3 * 64, 2 * 64, 64, 64), decoding.puzzle);
}

// Pictures smaller than a cell leave the rest of it black, never the memory's old contents.
TEST(MapDecoder, APictureSmallerThanACellLeavesTheRestBlack)
{
    GrabMap map = GrabMap::filled(8, 8, 0);
    map.set(2, 1, -1);
    Decoding decoding(1, 0, test::composeMapView(map, GrabArt::shipped(1, 0)));
    decoding.puzzle = QImage(40, 24, QImage::Format_RGB32);
    decoding.puzzle.fill(QColor(200, 100, 50));
    const DecodeResult result = decoding.run(gridOf(8, 8), 88, true);
    ASSERT_EQ(result.decoded.map[2][1], -1);
    const QImage square = result.picture.copy(2 * 64, 1 * 64, 64, 64);
    EXPECT_EQ(square.pixel(39, 23), qRgb(200, 100, 50));
    for (const QPoint at : {QPoint(40, 0), QPoint(0, 24), QPoint(63, 63)})
        EXPECT_EQ(square.pixel(at), qRgb(0, 0, 0)) << at.x() << "," << at.y();
}

TEST(MapDecoder, AGridReachingPastTheGrabReadsBlackThereAndEveryPassStartsAfresh)
{
    const GrabMap map = GrabMap::random(1, 16, 16, 5);
    const Decoding decoding(1, 2, test::composeMapView(map, GrabArt::shipped(1, 2)));
    const DecodeResult small = decoding.run(gridOf(8, 8));
    EXPECT_EQ(small.picture.size(), QSize(512, 512));

    // 16 x 16 from (128, 120): the right and bottom halves lie outside the 256 x 240 grab and
    // read as black, which is the blank character.
    const DecodeResult past = decoding.run(gridOf(16, 16, 128, 120));
    EXPECT_EQ(past.picture.size(), QSize(1024, 1024));
    EXPECT_EQ(past.decoded.map[0][0], map.at(8, 8));
    EXPECT_EQ(past.decoded.map[15][15], 0);
    EXPECT_EQ(past.decoded.map[8][3], 0);
}

// Every shipped map-size character is found as itself with 100, and every other scores lower.
TEST(MapDecoder, EveryShippedCharacterIsTellableFromTheOthers)
{
    for (int game : {0, 1}) {
        int closest = 0;
        for (int colour = 0; colour < 6; ++colour) {
            std::vector<QByteArray> candidates;
            for (const QImage& c : loadCharacters(game, colour, false))
                candidates.push_back(bmpByteImage(c));
            for (std::size_t i = 0; i < candidates.size(); ++i) {
                int best = -1;
                EXPECT_EQ(CompareBitmaps(candidates, candidates[i], best, 16, 15), 100);
                EXPECT_EQ(best, int(i)) << game << "/" << colour;
                for (std::size_t j = 0; j < candidates.size(); ++j) {
                    if (j == i)
                        continue;
                    const quint8 cross =
                        CompareBitmaps({candidates[j]}, candidates[i], best, 16, 15);
                    EXPECT_LT(cross, 100) << game << "/" << colour << ": " << i << " " << j;
                    closest = std::max(closest, int(cross));
                }
            }
        }
        RecordProperty(game == 0 ? "closestGame1" : "closestGame2", closest);
        std::printf("game %d: highest cross score %d\n", game + 1, closest);
    }
}

// Candidates: black, black with 24 white pixels, and white twice. A white pixel against black
// costs 170 of 256, so a cell's score against a black picture drops 0.277 per pixel off. Each
// cell is one colour with white pixels (the first `inside` of those 24, then `outside` others).
// Near-ties are told on the rounded scores: 98 against 96 is one (2.2 points apart unrounded),
// 98 against 95 is not; unmatched cells count like any other.
TEST(MapDecoder, ConfidenceFiguresCountNearTiesAndTheMeanBestScore)
{
    const QRgb black = qRgb(0, 0, 0), white = qRgb(255, 255, 255), grey = qRgb(153, 153, 153);
    const auto pixel = [](int n) { return QPoint(n % 16, n / 16); }; // the 24: rows 0 and 1
    const struct
    {
        const char* what;
        QRgb fill;
        int inside, outside;
        int compared; // the best candidate
        int score;
        bool nearTie;
    } cells[] = {
        {"black: perfect", black, 0, 0, 0, 100, false},
        {"98 against 96", black, 16, 0, 1, 98, true},
        {"98 against 95", black, 17, 0, 1, 98, false},
        {"equal totals", black, 12, 0, 0, 97, true},
        {"white: perfect, with a twin", white, 0, 0, 2, 100, false},
        {"grey: unmatched, 73 twice", grey, 0, 0, 2, 73, true},
        {"unmatched, 86 against 80", black, 0, 50, 0, 86, false},
    };
    const int count = int(std::size(cells));
    QImage grab(16 * count, 15, QImage::Format_RGB32);
    for (int i = 0; i < count; ++i) {
        const auto& c = cells[i];
        const QPoint at(16 * i, 0);
        for (int n = 0; n < 240; ++n) {
            const bool marked = n < c.inside || (n >= 24 && n < 24 + c.outside);
            grab.setPixel(at + pixel(n), marked ? white : c.fill);
        }
    }
    Decoding decoding(1, 0, grab);
    const auto picture = [&](QRgb colour, int whitePixels) {
        QImage image(16, 15, QImage::Format_RGB32);
        image.fill(colour);
        for (int n = 0; n < whitePixels; ++n)
            image.setPixel(pixel(n), white);
        return reduceToHalftone(image);
    };
    decoding.mapsize = {picture(black, 0), picture(black, 24), picture(white, 0),
                        picture(white, 0)};
    decoding.fullsize.assign(4, QImage(64, 64, QImage::Format_RGB32));

    std::vector<QByteArray> candidates;
    for (const QImage& c : decoding.mapsize)
        candidates.push_back(bmpByteImage(c));
    double scores = 0;
    quint32 nearTies = 0;
    for (int i = 0; i < count; ++i) {
        int best = -1;
        const QByteArray cell =
            ExtractPictureArea(decoding.pictures.working, QRect(16 * i, 0, 16, 15));
        EXPECT_EQ(CompareBitmaps(candidates, cell, best, 16, 15), cells[i].score) << cells[i].what;
        EXPECT_EQ(best, cells[i].compared) << cells[i].what;
        scores += cells[i].score;
        nearTies += cells[i].nearTie;
    }

    // The figures do not depend on the threshold; the map does.
    for (const int probMatch : {88, 0}) {
        const DecodeResult result = decoding.run(gridOf(count, 1), quint8(probMatch));
        EXPECT_EQ(result.nearTies, nearTies);
        EXPECT_DOUBLE_EQ(result.nearTieShare, double(nearTies) / count);
        EXPECT_DOUBLE_EQ(result.meanBestScore, scores / count);
        for (int i = 0; i < count; ++i)
            EXPECT_EQ(result.decoded.map[std::size_t(i)][0],
                      cells[i].score >= probMatch ? cells[i].compared : -1)
                << cells[i].what;
        // The cells to check: every unmatched cell, and the matched near-ties.
        std::vector<CellToCheck> check;
        for (int i = 0; i < count; ++i) {
            if (cells[i].score < probMatch)
                check.push_back({i, 0, CheckReason::Unmatched});
            else if (cells[i].nearTie)
                check.push_back({i, 0, CheckReason::NearTie});
        }
        EXPECT_EQ(result.check.cells(), check) << "threshold " << probMatch;
    }
}

// The suggestions for a cell rank every character by its score as the pass scores the cell
// (written out literally here), the lower index first among equals; their first is what the
// pass decoded. Candidates: black, black with 24 white pixels, white twice; the cells hold
// each candidate with a few pixels off, equal totals and a twin among them.
TEST(MapDecoder, SuggestionsRankEveryCharacterAsThePassScoresTheCell)
{
    const QRgb black = qRgb(0, 0, 0), white = qRgb(255, 255, 255), grey = qRgb(153, 153, 153);
    const struct
    {
        QRgb fill;
        int whitePixels; // the first of rows 0 and 1
    } cells[] = {{black, 0}, {black, 12}, {black, 20}, {white, 0}, {grey, 5}, {white, 30}};
    const int count = int(std::size(cells));
    QImage grab(16 * count, 15, QImage::Format_RGB32);
    for (int i = 0; i < count; ++i)
        for (int n = 0; n < 240; ++n)
            grab.setPixel(16 * i + n % 16, n / 16,
                          n < cells[i].whitePixels ? white : cells[i].fill);
    Decoding decoding(1, 0, grab);
    const auto picture = [&](QRgb colour, int whitePixels) {
        QImage image(16, 15, QImage::Format_RGB32);
        image.fill(colour);
        for (int n = 0; n < whitePixels; ++n)
            image.setPixel(n % 16, n / 16, white);
        return reduceToHalftone(image);
    };
    decoding.mapsize = {picture(black, 0), picture(black, 24), picture(white, 0),
                        picture(white, 0)};
    decoding.fullsize.assign(4, QImage(64, 64, QImage::Format_RGB32));
    const DecodeResult decoded = decoding.run(gridOf(count, 1), 0);

    DecodeInput input;
    input.working = &decoding.pictures.working;
    input.grid = gridOf(count, 1);
    input.mapsize = &decoding.mapsize;
    CellScoring scoring(input);
    bool sawEqualScores = false;
    for (int i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        const QByteArray cell =
            ExtractPictureArea(decoding.pictures.working, QRect(16 * i, 0, 16, 15));
        std::vector<CellCandidate> expected;
        for (std::size_t k = 0; k < decoding.mapsize.size(); ++k) {
            int ignored = 0;
            expected.push_back(
                {int(k), test::literal::compareBitmaps({bmpByteImage(decoding.mapsize[k])}, cell,
                                                       ignored, 16, 15)});
        }
        std::stable_sort(expected.begin(), expected.end(),
                         [](const auto& a, const auto& b) { return a.score > b.score; });
        sawEqualScores = sawEqualScores || expected[0].score == expected[1].score;
        EXPECT_EQ(scoring.ranked(i, 0, 4), expected);
        EXPECT_EQ(scoring.ranked(i, 0, 2),
                  std::vector<CellCandidate>(expected.begin(), expected.begin() + 2));
        EXPECT_EQ(expected.front().index, decoded.decoded.map[std::size_t(i)][0]);
    }
    EXPECT_TRUE(sawEqualScores); // the fixture holds ties that the order must settle
    EXPECT_TRUE(scoring.ranked(count, 0, 3).empty());
    EXPECT_TRUE(scoring.ranked(-1, 0, 3).empty());
}

// The list of cells to check of a 4 x 3 map: the walk goes in reading order and wraps round at
// either end; a cell corrected by hand leaves the list, and the walk goes on past its place.
TEST(CellsToCheck, TheWalkGoesInReadingOrderAndWrapsRound)
{
    CellsToCheck check;
    check.reset(4, 3);
    check.append(3, 0, CheckReason::NearTie);
    check.append(1, 1, CheckReason::Unmatched);
    check.append(0, 2, CheckReason::NearTie);
    check.append(2, 2, CheckReason::Unmatched);
    EXPECT_EQ(check.count(CheckReason::Unmatched), 2);
    EXPECT_EQ(check.count(CheckReason::NearTie), 2);
    EXPECT_EQ(check.indexOf(0, 2), 2);
    EXPECT_EQ(check.indexOf(2, 0), -1);

    const struct
    {
        int column, row;
        CellToCheck next, previous;
    } walks[] = {
        {-1, -1, {3, 0, CheckReason::NearTie}, {2, 2, CheckReason::Unmatched}}, // no place yet
        {3, 0, {1, 1, CheckReason::Unmatched}, {2, 2, CheckReason::Unmatched}}, // the first
        {0, 1, {1, 1, CheckReason::Unmatched}, {3, 0, CheckReason::NearTie}},   // between two
        {3, 1, {0, 2, CheckReason::NearTie}, {1, 1, CheckReason::Unmatched}},   // end of a row
        {2, 2, {3, 0, CheckReason::NearTie}, {0, 2, CheckReason::NearTie}},     // the last
        {3, 2, {3, 0, CheckReason::NearTie}, {2, 2, CheckReason::Unmatched}},   // after the last
        {4, 0, {3, 0, CheckReason::NearTie}, {2, 2, CheckReason::Unmatched}},   // off the map
    };
    for (const auto& w : walks) {
        SCOPED_TRACE(testing::Message() << "from " << w.column << "," << w.row);
        EXPECT_EQ(check.next(w.column, w.row), w.next);
        EXPECT_EQ(check.previous(w.column, w.row), w.previous);
    }

    EXPECT_TRUE(check.remove(1, 1));
    EXPECT_FALSE(check.remove(1, 1));
    EXPECT_EQ(check.count(), 3);
    EXPECT_EQ(check.next(1, 1), (CellToCheck{0, 2, CheckReason::NearTie}));
    EXPECT_EQ(check.previous(1, 1), (CellToCheck{3, 0, CheckReason::NearTie}));

    const std::vector<CellToCheck> left = check.cells();
    for (const CellToCheck& cell : left)
        check.remove(cell.column, cell.row);
    EXPECT_TRUE(check.isEmpty());
    EXPECT_FALSE(check.next(-1, -1));
    EXPECT_FALSE(check.previous(0, 0));
}

// On a speckled grab, with near-ties among its cells, the map, the errors and the picture are
// what the comparison written out literally gives, cell by cell.
TEST(MapDecoder, TheConfidenceFiguresLeaveTheMapAndThePictureAsTheComparisonGives)
{
    test::GrabNoise noise;
    noise.cellPercent = 40;
    noise.pixelsPerCell = 30;
    GrabMap map = GrabMap::random(0, 32, 32, 8);
    for (int x = 3; x < 9; ++x)
        map.set(x, 4, -1); // garbage
    const Decoding decoding(0, 4, test::composeMapView(map, GrabArt::shipped(0, 4), noise));
    const DecodeResult result = decoding.run(gridOf(32, 32));

    std::vector<QByteArray> candidates;
    for (const QImage& c : decoding.mapsize)
        candidates.push_back(bmpByteImage(c));
    QImage expected(2048, 2048, QImage::Format_RGB32);
    quint32 errors = 0;
    double scores = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const QRect cell(16 * x, 15 * y, 16, 15);
            int best = -1;
            const int score = test::literal::compareBitmaps(
                candidates, ExtractPictureArea(decoding.pictures.working, cell), best, 16, 15);
            scores += score;
            const QImage drawn = score >= 88 ? decoding.fullsize[std::size_t(best)]
                                             : enlargedCell(decoding.pictures.fullcolour, cell, 64);
            QPainter(&expected).drawImage(64 * x, 64 * y, drawn);
            if (score < 88) {
                best = -1;
                ++errors;
            }
            ASSERT_EQ(result.decoded.map[std::size_t(x)][std::size_t(y)], best) << x << "," << y;
        }
    EXPECT_EQ(result.decoded.errors, errors);
    EXPECT_GE(errors, 6u); // the garbage at least
    EXPECT_EQ(result.picture, expected);
    EXPECT_DOUBLE_EQ(result.meanBestScore, scores / 1024);
    EXPECT_GT(result.nearTies, 0u);
}

// 128 and 640 errors are exact halves, 12.5 % and 62.5 %, rounded to the even 12 and 62.
TEST(MapDecoder, AccuracyAndItsColourBand)
{
    const struct
    {
        quint32 errors;
        int accuracy;
        QColor band;
    } cases[] = {
        {0, 100, QColor(0, 255, 0)},    {8, 99, QColor(0, 255, 0)},
        {256, 75, QColor(0, 255, 0)},   {257, 75, QColor(0, 255, 0)},
        {768, 25, QColor(255, 0, 255)}, {769, 25, QColor(255, 0, 255)},
        {780, 24, QColor(255, 0, 0)},   {512, 50, QColor(255, 255, 0)},
        {513, 50, QColor(255, 255, 0)}, {530, 48, QColor(255, 0, 255)},
        {128, 88, QColor(0, 255, 0)},   {640, 38, QColor(255, 0, 255)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(accuracyPercent(c.errors, 32, 32), c.accuracy) << c.errors;
        EXPECT_EQ(accuracyColour(c.accuracy), c.band) << c.errors;
    }
}

} // namespace
} // namespace vt
