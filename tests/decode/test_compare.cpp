#include "decode/CellCompare.h"
#include "pictures/BmpByteImage.h"
#include "pictures/Halftone.h"

#include "LiteralCompare.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QtEndian>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <iostream>
#include <random>
#include <thread>

namespace vt {
namespace {

namespace ref = test::literal;

QImage filled(int w, int h, uchar index, const QList<QRgb>& table = halftoneColorTable())
{
    QImage image(w, h, QImage::Format_Indexed8);
    image.setColorTable(table);
    image.fill(index);
    return image;
}

QImage randomPicture(std::mt19937& rng, int w, int h, const QList<QRgb>& table, int colours = 256)
{
    QImage image = filled(w, h, 0, table);
    std::uniform_int_distribution<int> pick(0, colours - 1);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.scanLine(y)[x] = uchar(pick(rng));
    return image;
}

QList<QRgb> randomPalette(std::mt19937& rng)
{
    QList<QRgb> table;
    std::uniform_int_distribution<int> channel(0, 255);
    for (int i = 0; i < 256; ++i)
        table.append(qRgb(channel(rng), channel(rng), channel(rng)));
    return table;
}

const uchar kBlack = nearestHalftoneIndex(qRgb(0, 0, 0));
const uchar kWhite = nearestHalftoneIndex(qRgb(255, 255, 255));

quint32 le32(const QByteArray& b, int at)
{
    quint32 v = 0;
    std::memcpy(&v, b.constData() + at, 4);
    return qFromLittleEndian(v);
}

TEST(BmpByteImage, LayoutIsAnEightBitBmpFile)
{
    // 3 x 2 pixels with a 5-entry colour table: rows of 4 bytes, bottom row first.
    const QList<QRgb> table = {qRgb(1, 2, 3), qRgb(10, 20, 30), qRgb(255, 0, 0), qRgb(0, 255, 0),
                               qRgb(0, 0, 255)};
    QImage image = filled(3, 2, 0, table);
    const uchar rows[2][3] = {{1, 2, 3}, {4, 0, 1}};
    for (int y = 0; y < 2; ++y)
        std::memcpy(image.scanLine(y), rows[y], 3);

    // A reused buffer of the right length full of old bytes: every byte is overwritten.
    QByteArray out(1078 + 8, char(0xAA));
    const char* before = out.constData();
    writeBmpByteImage(image, out);
    EXPECT_EQ(out.constData(), before);

    ASSERT_EQ(out.size(), 1086);
    EXPECT_EQ(out.left(2), "BM");
    EXPECT_EQ(le32(out, 2), 1086u);
    EXPECT_EQ(OffBits(out), 1078u);
    EXPECT_EQ(le32(out, 14), 40u);
    EXPECT_EQ(le32(out, 18), 3u);
    EXPECT_EQ(le32(out, 22), 2u);
    EXPECT_EQ(quint8(out[28]), 8);
    EXPECT_EQ(GetRGB(1, out), 30u * 65536 + 20 * 256 + 10);
    EXPECT_EQ(GetRGB(2, out), 0x0000FFu);
    for (int i = 5; i < 256; ++i)
        ASSERT_EQ(le32(out, 54 + 4 * i), 0u) << i;
    // Bottom row first, each row padded with one zero byte.
    EXPECT_EQ(out.mid(1078).toHex(), "0400010001020300");
    EXPECT_EQ(bmpByteImage(image), out);

    // And any BMP reader sees the same picture.
    const QImage decoded = QImage::fromData(out, "BMP");
    ASSERT_EQ(decoded.size(), image.size());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(decoded.pixel(x, y), image.pixel(x, y)) << x << "," << y;
}

TEST(CellCompare, DiffAndPixelMatchPercent)
{
    const struct
    {
        quint32 a, b, diff;
        int percent;
    } cases[] = {
        {0x336699, 0x336699, 256, 100}, {0x000000, 0xFFFFFF, 86, 34},
        {0x0000FF, 0x00FF00, 88, 34},  // red against green: distance 167.98
        {0x000000, 0xFF0000, 227, 89}, // blue weighs least: distance 29.07
        {0x000000, 0x00A300, 160, 62}, // 62.5 goes down to the even 62
        {0x000000, 0x003700, 224, 88}, // 87.5 goes up to the even 88
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Diff(c.a, c.b), c.diff) << std::hex << c.a << " " << c.b;
        EXPECT_EQ(Diff(c.b, c.a), c.diff) << std::hex << c.b << " " << c.a;
        EXPECT_EQ(pixelMatchPercent(c.a, c.b), c.percent) << std::hex << c.a << " " << c.b;
    }
}

TEST(CellCompare, PerfectMatchStopsTheSearch)
{
    std::mt19937 rng(3);
    const QImage cell = randomPicture(rng, 16, 15, halftoneColorTable());
    std::vector<QByteArray> candidates;
    for (int k = 0; k < 3; ++k)
        candidates.push_back(bmpByteImage(randomPicture(rng, 16, 15, halftoneColorTable())));
    candidates.push_back(bmpByteImage(cell));
    // Candidate 4 is longer: its extra bytes match the cell's missing ones, so it would beat a
    // perfect total if it were ever scored.
    QByteArray longer = bmpByteImage(cell);
    longer.append(64, char(kBlack));
    candidates.push_back(longer);
    const QByteArray map = bmpByteImage(cell);

    int bigch = -1;
    int scored = 0;
    EXPECT_EQ(CompareBitmaps(candidates, map, bigch, 16, 15), 100);
    EXPECT_EQ(bigch, 3);
    ref::compareBitmaps(candidates, map, bigch, 16, 15, &scored);
    EXPECT_EQ(scored, 4);

    // One pixel off in candidate 3: no early stop, and candidate 4 wins with its 64 extra
    // matching bytes, (240 + 64) / 240.
    QImage almost = cell;
    almost.scanLine(0)[0] ^= 1;
    candidates[3] = bmpByteImage(almost);
    EXPECT_EQ(CompareBitmaps(candidates, map, bigch, 16, 15), 127);
    EXPECT_EQ(bigch, 4);
}

TEST(CellCompare, EqualTotalsKeepTheLowerIndex)
{
    QImage cell = filled(16, 15, kWhite);
    QImage a = cell, b = cell;
    a.scanLine(2)[5] = kBlack; // the same loss at different places
    b.scanLine(9)[0] = kBlack;
    const std::vector<QByteArray> candidates = {bmpByteImage(filled(16, 15, kBlack)),
                                                bmpByteImage(a), bmpByteImage(b), bmpByteImage(a)};
    int bigch = -1;
    // 61270 of 61440 rounds to 100, but the total is not perfect: all candidates are scored.
    EXPECT_EQ(CompareBitmaps(candidates, bmpByteImage(cell), bigch, 16, 15), 100);
    EXPECT_EQ(bigch, 1);
}

TEST(CellCompare, ScoreRange)
{
    const struct
    {
        int size;
        uchar cell, candidate;
        int score;
    } cases[] = {
        {16, kWhite, kBlack, 34},
        {16, kBlack, kBlack, 100},
        // 34-pixel rows carry 2 padding bytes that always match: 36 x 34 bytes over 34 x 34.
        {34, kBlack, kBlack, 106},
        {34, kWhite, kBlack, 39},
    };
    for (const auto& c : cases) {
        const int h = c.size == 16 ? 15 : c.size;
        const std::vector<QByteArray> candidates(2, bmpByteImage(filled(c.size, h, c.candidate)));
        int bigch = -1;
        EXPECT_EQ(CompareBitmaps(candidates, bmpByteImage(filled(c.size, h, c.cell)), bigch,
                                 quint32(c.size), quint32(h)),
                  c.score)
            << c.size << " " << int(c.cell) << " " << int(c.candidate);
        EXPECT_EQ(bigch, 0);
    }
}

// Totals that are an exact half of a percent: 92.5 goes down to the even 92, 87.5 up to 88.
// Against black, green 51 loses 30 of 256 per pixel, blue 51 loses 6 and white 170.
TEST(CellCompare, ScoresRoundHalvesToEven)
{
    const struct
    {
        int white, green, blue; // pixels of each against a black candidate; the rest black
        int score;
    } cases[] = {
        {0, 150, 18, 92}, // 61440 - 4608 = 56832 of 61440
        {45, 1, 0, 88},   // 61440 - 7680 = 53760 of 61440
    };
    const uchar green = nearestHalftoneIndex(qRgb(0, 51, 0));
    const uchar blue = nearestHalftoneIndex(qRgb(0, 0, 51));
    for (const auto& c : cases) {
        QImage cell = filled(16, 15, kBlack);
        int n = 0;
        for (const auto& [count, index] :
             {std::pair{c.white, kWhite}, std::pair{c.green, green}, std::pair{c.blue, blue}})
            for (int i = 0; i < count; ++i, ++n)
                cell.scanLine(n / 16)[n % 16] = index;
        int bigch = -1;
        const std::vector<QByteArray> candidates{bmpByteImage(filled(16, 15, kBlack))};
        EXPECT_EQ(CompareBitmaps(candidates, bmpByteImage(cell), bigch, 16, 15), c.score)
            << c.white << " " << c.green << " " << c.blue;
    }
}

// Random cells and candidate lists over the halftone palette and over palettes that differ
// from image to image, padded and unpadded widths, duplicated candidates (ties) and exact
// copies of the cell placed mid-list.
struct RandomCase
{
    std::vector<QByteArray> candidates;
    QByteArray cell;
    quint32 w, h;
    bool halftone;
};

RandomCase randomCase(std::mt19937& rng)
{
    static const int widths[] = {16, 34, 3, 5, 8, 1};
    RandomCase c;
    c.w = quint32(widths[rng() % std::size(widths)]);
    c.h = 1 + rng() % 16;
    c.halftone = rng() % 2 == 0;
    // Few colours make equal totals likely.
    const int colours = rng() % 3 == 0 ? 2 : 256;
    const auto palette = [&] { return c.halftone ? halftoneColorTable() : randomPalette(rng); };
    const QImage cell = randomPicture(rng, int(c.w), int(c.h), palette(), colours);
    c.cell = bmpByteImage(cell);
    const int count = 1 + int(rng() % 35);
    for (int k = 0; k < count; ++k) {
        const int kind = int(rng() % 10);
        if (kind == 0)
            c.candidates.push_back(c.cell);
        else if (kind == 1 && k > 0)
            c.candidates.push_back(c.candidates[rng() % k]);
        else
            c.candidates.push_back(
                bmpByteImage(randomPicture(rng, int(c.w), int(c.h), palette(), colours)));
    }
    return c;
}

TEST(CellCompare, FastPathEqualsTheLiteralFormula)
{
    std::mt19937 rng(20240611);
    int perfect = 0, nonHalftone = 0;
    for (int i = 0; i < 600; ++i) {
        const RandomCase c = randomCase(rng);
        int bigch = -1, expectedBigch = -1;
        const quint8 score = CompareBitmaps(c.candidates, c.cell, bigch, c.w, c.h);
        const quint8 expected = ref::compareBitmaps(c.candidates, c.cell, expectedBigch, c.w, c.h);
        ASSERT_EQ(score, expected) << "case " << i;
        ASSERT_EQ(bigch, expectedBigch) << "case " << i;
        perfect += score == 100;
        nonHalftone += !c.halftone;
    }
    // The generator must really produce both kinds of palette and perfect matches.
    EXPECT_GT(perfect, 20);
    EXPECT_GT(nonHalftone, 100);
}

// The decoding pass's case, where most candidates are dropped before all their bytes are
// scored: look-alike candidates (variants of one picture), cells that are near copies of one
// of them, and bytes swapped for another palette index of the same colour (the halftone
// palette holds some colours twice), so that a perfect total need not be an exact copy.
TEST(CellCompare, PreparedCandidatesAgreeWithTheLiteralFormulaOnNearCopies)
{
    std::mt19937 rng(9001);
    const QList<QRgb>& table = halftoneColorTable();
    std::vector<std::pair<uchar, uchar>> twins; // indices of equal colours
    for (int a = 0; a < 256; ++a)
        for (int b = a + 1; b < 256; ++b)
            if (table[a] == table[b])
                twins.emplace_back(uchar(a), uchar(b));
    ASSERT_FALSE(twins.empty());

    int perfectNotCopies = 0;
    for (int i = 0; i < 300; ++i) {
        const int w = i % 2 ? 16 : 8;
        const int h = 15;
        const int colours = i % 3 == 0 ? 4 : 256;
        const QImage base = randomPicture(rng, w, h, table, colours);
        std::vector<QImage> pictures;
        std::vector<QByteArray> candidates;
        const int count = 2 + int(rng() % 34);
        for (int k = 0; k < count; ++k) {
            QImage variant = base.copy();
            for (int n = int(rng() % 40); n > 0; --n)
                variant.scanLine(int(rng() % h))[rng() % w] = uchar(rng() % colours);
            pictures.push_back(variant);
            candidates.push_back(bmpByteImage(variant));
        }
        const std::size_t source = rng() % pictures.size();
        const auto& twin = twins[rng() % twins.size()];
        const int kind = int(rng() % 3);
        if (kind == 1) {
            // Every candidate shows the twin colour through the other index.
            for (QImage& picture : pictures)
                picture.scanLine(0)[0] = twin.second;
        } else if (kind == 2) {
            // A look-alike of the source ahead of it, equal in colour, not in bytes: a tie
            // that the earlier candidate wins.
            pictures[source].scanLine(0)[0] = twin.first;
            QImage lookAlike = pictures[source].copy();
            lookAlike.scanLine(0)[0] = twin.second;
            pictures.insert(pictures.begin() + std::ptrdiff_t(rng() % (source + 1)), lookAlike);
        }
        // Inserted at or before the source's place, the look-alike moves the source one on.
        QImage cell = pictures[kind == 2 ? source + 1 : source].copy();
        cell.scanLine(0)[0] = twin.first;
        for (int n = int(rng() % 6); n > 0; --n)
            cell.scanLine(1 + int(rng() % (h - 1)))[rng() % w] = uchar(rng() % colours);
        candidates.clear();
        for (const QImage& picture : pictures)
            candidates.push_back(bmpByteImage(picture));
        const QByteArray cellBytes = bmpByteImage(cell);

        int expectedBigch = -1;
        const quint8 expected =
            ref::compareBitmaps(candidates, cellBytes, expectedBigch, quint32(w), quint32(h));
        int bigch = -1;
        ASSERT_EQ(CompareBitmaps(candidates, cellBytes, bigch, quint32(w), quint32(h)), expected)
            << "case " << i;
        ASSERT_EQ(bigch, expectedBigch) << "case " << i;
        const CompareCandidates prepared(candidates);
        bigch = -1;
        ASSERT_EQ(prepared.compare(cellBytes, bigch, quint32(w), quint32(h)), expected)
            << "case " << i;
        ASSERT_EQ(bigch, expectedBigch) << "case " << i;
        perfectNotCopies += expected == 100 && candidates[std::size_t(bigch)] != cellBytes;
    }
    EXPECT_GT(perfectNotCopies, 5);
}

// The runner-up: the best score of the other candidates, reported only when it reaches the floor.
// Random cases of every kind, and near copies of one picture, where candidates are dropped early
// and equal totals are common; each checked at floors 0, at the runner-up's score and one above.
TEST(CellCompare, RunnerUpScoreAgreesWithTheLiteralFormula)
{
    std::mt19937 rng(4242);
    int dropped = 0, ties = 0;
    for (int i = 0; i < 400; ++i) {
        RandomCase c = randomCase(rng);
        if (i % 2) {
            // Near copies of the cell, in the decoding pass's size.
            c.w = 16;
            c.h = 15;
            const QImage cell = randomPicture(rng, 16, 15, halftoneColorTable(), 4);
            c.cell = bmpByteImage(cell);
            c.candidates.clear();
            for (int k = 2 + int(rng() % 30); k > 0; --k) {
                QImage variant = cell.copy();
                for (int n = int(rng() % 12); n > 0; --n)
                    variant.scanLine(int(rng() % 15))[rng() % 16] = uchar(rng() % 4);
                c.candidates.push_back(bmpByteImage(variant));
            }
        }
        const CompareCandidates prepared(c.candidates);
        int bigch = -1;
        const int best = prepared.compare(c.cell, bigch, c.w, c.h);
        int expected = -1;
        for (std::size_t k = 0; k < c.candidates.size(); ++k) {
            int unused = 0;
            if (int(k) != bigch)
                expected =
                    std::max(expected,
                             int(ref::compareBitmaps({c.candidates[k]}, c.cell, unused, c.w, c.h)));
        }
        ASSERT_EQ(prepared.runnerUpScore(c.cell, bigch, c.w, c.h, 0), expected) << "case " << i;
        if (expected < 0)
            continue;
        ASSERT_EQ(prepared.runnerUpScore(c.cell, bigch, c.w, c.h, quint8(expected)), expected)
            << "case " << i;
        if (expected < 255) { // a score saturates there (narrow rows with padding)
            ASSERT_EQ(prepared.runnerUpScore(c.cell, bigch, c.w, c.h, quint8(expected + 1)), -1)
                << "case " << i;
        }
        dropped += expected + 1 < best;
        ties += expected == best;
    }
    EXPECT_GT(dropped, 50);
    EXPECT_GT(ties, 20);
}

TEST(CellCompare, ConcurrentCallersGetTheSameResults)
{
    std::mt19937 rng(77);
    std::vector<RandomCase> cases;
    std::vector<std::pair<int, int>> expected;
    for (int i = 0; i < 80; ++i) {
        cases.push_back(randomCase(rng));
        int bigch = -1;
        const int score = ref::compareBitmaps(cases.back().candidates, cases.back().cell, bigch,
                                              cases.back().w, cases.back().h);
        expected.emplace_back(score, bigch);
    }
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 5; ++round)
                for (std::size_t i = 0; i < cases.size(); ++i) {
                    const RandomCase& c = cases[(i + std::size_t(t) * 7) % cases.size()];
                    const auto& e = expected[(i + std::size_t(t) * 7) % cases.size()];
                    int bigch = -1;
                    const int score = CompareBitmaps(c.candidates, c.cell, bigch, c.w, c.h);
                    if (score != e.first || bigch != e.second)
                        ++wrong;
                }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(wrong.load(), 0);
}

// A decoding pass's worth of work: 32 x 32 cells of 16 x 15 pixels, each a candidate with a few
// stray pixels, so that every cell is scored against all 35 candidates. Prints the time taken.
TEST(CellCompare, ScoresAFullGrid)
{
    std::mt19937 rng(5);
    std::vector<QByteArray> candidates;
    std::vector<QImage> pictures;
    for (int k = 0; k < 35; ++k) {
        pictures.push_back(randomPicture(rng, 16, 15, halftoneColorTable()));
        candidates.push_back(bmpByteImage(pictures.back()));
    }
    std::vector<QByteArray> cells;
    for (int i = 0; i < 32 * 32; ++i) {
        QImage cell = pictures[std::size_t(i % 35)];
        for (int n = 0; n < 3; ++n)
            cell.scanLine(int(rng() % 15))[rng() % 16] = uchar(rng());
        cells.push_back(bmpByteImage(cell));
    }
    int warmUp = 0;
    CompareBitmaps(candidates, cells[0], warmUp, 16, 15); // builds the table

    int wrong = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 32 * 32; ++i) {
        int bigch = -1;
        CompareBitmaps(candidates, cells[std::size_t(i)], bigch, 16, 15);
        wrong += bigch != i % 35;
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(wrong, 0);
    std::cout << "[ timing ] 1024 cells x 35 candidates: "
              << std::chrono::duration<double, std::milli>(elapsed).count() << " ms\n";
}

} // namespace
} // namespace vt
