#include "export/ImageWriters.h"
#include "export/OutputFormats.h"

#include "charsets/Atlas.h"
#include "decode/MapDecoder.h"
#include "intake/GrabLoader.h"
#include "session/GrabSession.h"

#include "ExportFixtures.h"
#include "GrabComposer.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QSet>
#include <QTemporaryDir>

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace vt {
namespace {

QByteArray encode(const QImage& picture, OutputFormat format)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_EQ(test::errorOf([&] { writePicture(picture, format, buffer); }), QString());
    return buffer.data();
}

QImage decode(const QByteArray& bytes)
{
    return QImage::fromData(bytes);
}

struct Difference
{
    double mean = 0;
    int max = 0;
};

Difference difference(const QImage& a, const QImage& b)
{
    const QImage x = test::rgb(a), y = test::rgb(b);
    Difference d;
    long long sum = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row), q = y.pixel(col, row);
            for (const int e : {std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                std::abs(qBlue(p) - qBlue(q))}) {
                sum += e;
                d.max = std::max(d.max, e);
            }
        }
    d.mean = double(sum) / (3.0 * x.width() * x.height());
    return d;
}

// The many-coloured pictures worth a round trip: formats that take different paths in the
// writers, and the smallest picture (one colour, padded to a two-entry GIF table).
QList<QImage> fewColourPictures()
{
    QImage one(1, 1, QImage::Format_ARGB32);
    one.fill(qRgba(10, 200, 30, 255));
    QImage grey(40, 30, QImage::Format_Grayscale8);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            grey.setPixel(x, y, qRgb(x * 6, x * 6, x * 6));
    return {test::blocksOf256Colours(), test::blocksOf256Colours(QImage::Format_Indexed8),
            test::blocksOf256Colours(QImage::Format_RGB888), one, grey};
}

TEST(ImageWriters, BmpPngAndGifRoundTripExactly)
{
    for (const OutputFormat format : {OutputFormat::Bmp, OutputFormat::Png, OutputFormat::Gif}) {
        for (const QImage& picture : fewColourPictures()) {
            const QImage back = decode(encode(picture, format));
            ASSERT_FALSE(back.isNull()) << int(format);
            EXPECT_EQ(test::rgb(back), test::rgb(picture))
                << int(format) << " " << picture.width() << "x" << picture.height() << " "
                << picture.format();
        }
    }
}

// Reads a GIF from memory with giflib; the picture's size, or an empty size when giflib refuses.
QSize gifSize(const QByteArray& bytes)
{
    struct Reader
    {
        const QByteArray* bytes;
        int at = 0;
    } reader{&bytes};
    const auto read = [](GifFileType* gif, GifByteType* out, int count) {
        auto* r = static_cast<Reader*>(gif->UserData);
        const int n = std::min(count, int(r->bytes->size()) - r->at);
        std::memcpy(out, r->bytes->constData() + r->at, std::size_t(std::max(n, 0)));
        r->at += std::max(n, 0);
        return std::max(n, 0);
    };
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, read, &error);
    if (!gif)
        return {};
    const bool ok = DGifSlurp(gif) == GIF_OK && gif->ImageCount == 1;
    const QSize size = ok ? QSize(gif->SWidth, gif->SHeight) : QSize();
    DGifCloseFile(gif, &error);
    return size;
}

int colourCount(const QImage& picture)
{
    QSet<QRgb> colours;
    const QImage plain = test::rgb(picture);
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x)
            colours.insert(plain.pixel(x, y));
    return int(colours.size());
}

// Converted maps as the decoding pass draws them: with the puzzle piece for unmatched cells,
// with a few cells copied from a lightly speckled grab in full colour (new colours beyond the
// characters'), and with many such cells (more than 256 colours). The map composed at 8 bits
// from what its cells were drawn from is the map pixel for pixel while it has 256 colours or
// fewer; the PNG, written from that as a save of the session does or from the map alone, is always
// the BMP's picture, and at 8 bits whenever the map has 256 colours or fewer; so is the GIF then,
// and beyond that it is today's median cut. giflib reads every GIF back.
TEST(ImageWriters, ConvertedMapsKeepTheirPixelsInPngAndGif)
{
    const int game = 1, colour = 4;
    const std::vector<QImage> mapsize = loadCharacters(game, colour, false);
    const std::vector<QImage> fullsize = loadCharacters(game, colour, true);
    QImage puzzle(64, 64, QImage::Format_RGB32);
    puzzle.fill(qRgb(200, 100, 50));
    struct Case
    {
        const char* name;
        int cellPercent, pixelsPerCell;
        bool puzzpiece, few;
    };
    const Case cases[] = {
        {"puzzle pieces", 10, 6, true, true},
        {"a few cells from the grab", 6, 3, false, true},
        {"many cells from the grab", 30, 6, false, false},
    };
    int charactersOnly = 0; // the colours of the map with puzzle pieces
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::GrabNoise noise;
        noise.cellPercent = c.cellPercent;
        noise.pixelsPerCell = c.pixelsPerCell;
        const WorkingPictures grab = makeWorkingPictures(test::composeMapView(
            test::GrabMap::random(game, 16, 16, 11), test::GrabArt::shipped(game, colour), noise));
        DecodeInput input;
        input.working = &grab.working;
        input.fullcolour = &grab.fullcolour;
        input.grid.grab_width = input.grid.grab_height = 16;
        input.mapsize = &mapsize;
        input.fullsize = &fullsize;
        input.puzzle = &puzzle;
        input.prob_match = 100; // every speckled cell goes unmatched
        input.puzzpiece = c.puzzpiece;
        const DecodeResult decoded = decodeMap(input);
        ASSERT_GT(decoded.decoded.errors, 0u); // some cells are drawn unmatched
        const QImage& map = decoded.picture;

        const int colours = colourCount(map);
        EXPECT_EQ(colours <= 256, c.few) << colours << " colours";
        if (c.puzzpiece) {
            charactersOnly = colours;
        } else if (c.few) {
            EXPECT_GT(colours, charactersOnly) << "no colours of the grab's own";
        }
        const QImage composed = indexedMap(map, decoded.drawnFrom);
        ASSERT_EQ(composed.isNull(), !c.few);
        if (c.few) {
            EXPECT_EQ(composed.format(), QImage::Format_Indexed8);
            EXPECT_EQ(composed.colorCount(), colours); // each colour once
            EXPECT_EQ(test::rgb(composed), test::rgb(map));
            EXPECT_EQ(composed.dotsPerMeterX(), map.dotsPerMeterX());
        }

        const QImage bmp = decode(encode(map, OutputFormat::Bmp));
        QImage otherSize(8, 8, QImage::Format_Indexed8);
        otherSize.setColorTable({qRgb(1, 2, 3)});
        otherSize.fill(0);
        const QImage* givens[] = {c.few ? &composed : nullptr, nullptr, &otherSize};
        for (const QImage* given : givens) {
            SCOPED_TRACE(given == &otherSize ? "an 8-bit copy of another size"
                         : given             ? "composed at 8 bits"
                                             : "from the map alone");
            QBuffer pngFile, gifFile;
            pngFile.open(QIODevice::WriteOnly);
            gifFile.open(QIODevice::WriteOnly);
            EXPECT_EQ(test::errorOf([&] { writePng(map, pngFile, given); }), QString());
            EXPECT_EQ(test::errorOf([&] { writeGif(map, gifFile, given); }), QString());
            const QImage png = decode(pngFile.data());
            EXPECT_EQ(test::rgb(png), test::rgb(bmp));
            EXPECT_EQ(png.format() == QImage::Format_Indexed8, c.few) << png.format();
            // The map's own resolution, not the screen's: the file must not depend on it.
            EXPECT_EQ(png.dotsPerMeterX(), map.dotsPerMeterX());
            EXPECT_EQ(png.dotsPerMeterY(), map.dotsPerMeterY());
            EXPECT_EQ(gifSize(gifFile.data()), map.size());
            EXPECT_EQ(test::rgb(decode(gifFile.data())),
                      c.few ? test::rgb(bmp) : test::rgb(reduceToPalette(map)));
        }
    }
}

// The converted map is written by our own BMP writer: its bytes must be Qt's, for every row
// padding and any resolution.
TEST(ImageWriters, BmpOfAFullColourPictureIsQtsOwnFile)
{
    const QImage gradient = test::gradient();
    for (const QSize size : {QSize(1, 1), QSize(2, 3), QSize(3, 2), QSize(5, 7), QSize(130, 90)}) {
        for (const int dotsPerMeter : {0, 3780, 11811}) {
            QImage picture = gradient.copy(QRect(QPoint(7, 3), size));
            ASSERT_EQ(picture.format(), QImage::Format_RGB32);
            if (dotsPerMeter > 0) {
                picture.setDotsPerMeterX(dotsPerMeter);
                picture.setDotsPerMeterY(dotsPerMeter + 1);
            }
            QBuffer qt;
            qt.open(QIODevice::WriteOnly);
            ASSERT_TRUE(QImageWriter(&qt, "bmp").write(picture));
            EXPECT_EQ(encode(picture, OutputFormat::Bmp), qt.data())
                << size.width() << "x" << size.height() << " at " << dotsPerMeter;
        }
    }
}

TEST(ImageWriters, GifOfManyColoursIsAGoodReduction)
{
    const QImage picture = test::gradient();
    const QImage reduced = reduceToPalette(picture);
    EXPECT_LE(reduced.colorCount(), 256);
    EXPECT_EQ(reduced.format(), QImage::Format_Indexed8);

    const QByteArray bytes = encode(picture, OutputFormat::Gif);
    EXPECT_TRUE(bytes.startsWith("GIF8"));
    const QImage back = decode(bytes);
    ASSERT_EQ(back.size(), picture.size());
    EXPECT_EQ(test::rgb(back), test::rgb(reduced));
    const Difference d = difference(back, picture);
    EXPECT_LT(d.mean, 4.0);
    EXPECT_LE(d.max, 16);
}

TEST(ImageWriters, ExactPaletteIsThePicturesOwnColours)
{
    const QImage reduced = reduceToPalette(test::blocksOf256Colours());
    ASSERT_EQ(reduced.colorCount(), 256);
    QSet<QRgb> expected;
    const QImage picture = test::blocksOf256Colours();
    for (int y = 0; y < 128; y += 8)
        for (int x = 0; x < 128; x += 8)
            expected.insert(picture.pixel(x, y));
    const QList<QRgb> table = reduced.colorTable();
    EXPECT_EQ(QSet<QRgb>(table.begin(), table.end()), expected);
}

// The JPEG segments before the scan: marker byte after FF, and the segment's payload.
QList<QPair<int, QByteArray>> jpegHeaders(const QByteArray& bytes)
{
    QList<QPair<int, QByteArray>> segments;
    qsizetype at = 2; // after SOI
    while (at + 4 <= bytes.size() && uchar(bytes[at]) == 0xFF) {
        const int marker = uchar(bytes[at + 1]);
        const int length = (uchar(bytes[at + 2]) << 8) | uchar(bytes[at + 3]);
        segments.append({marker, bytes.mid(at + 4, length - 2)});
        if (marker == 0xDA)
            break;
        at += 2 + length;
    }
    return segments;
}

TEST(ImageWriters, JpegIsBaselineColourAtQuality100)
{
    QImage greyIndexed(32, 32, QImage::Format_Indexed8);
    greyIndexed.setColorTable({qRgb(0, 0, 0), qRgb(128, 128, 128), qRgb(255, 255, 255)});
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            greyIndexed.setPixel(x, y, (x / 16 + y / 16) % 3);
    QImage grey(32, 32, QImage::Format_Grayscale8);
    grey.fill(qRgb(90, 90, 90));

    // Blocks of 16 x 16: the writer keeps libjpeg's 2 x 2 chroma subsampling, and the reader
    // smooths chroma across block edges, so the colours are checked away from the edges.
    const QImage blocks = test::blocksOf256Colours().scaled(256, 256);
    for (const QImage& picture : {blocks, greyIndexed, grey}) {
        const QByteArray bytes = encode(picture, OutputFormat::Jpeg);
        ASSERT_TRUE(bytes.startsWith("\xFF\xD8"));
        bool sawFrame = false;
        for (const auto& [marker, payload] : jpegHeaders(bytes)) {
            EXPECT_NE(marker, 0xC2) << "progressive";
            if (marker == 0xC0) {
                sawFrame = true;
                EXPECT_EQ(int(uchar(payload[5])), 3) << "components of a colour frame";
            }
            if (marker == 0xDB) {
                // Quality 100: every 8-bit quantiser step is 1.
                for (qsizetype i = 0; i < payload.size(); i += 65) {
                    ASSERT_EQ(uchar(payload[i]) >> 4, 0) << "8-bit table";
                    for (qsizetype k = 1; k <= 64; ++k)
                        EXPECT_EQ(int(uchar(payload[i + k])), 1);
                }
            }
        }
        EXPECT_TRUE(sawFrame) << "no baseline frame (FF C0)";

        const QImage back = decode(bytes);
        ASSERT_EQ(back.size(), picture.size());
        EXPECT_NE(back.format(), QImage::Format_Grayscale8);
        EXPECT_LT(difference(back, picture).mean, 4.0);
        for (int y = 8; y < picture.height(); y += 16) {
            for (int x = 8; x < picture.width(); x += 16) {
                const QRgb p = picture.pixel(x, y), q = back.pixel(x, y);
                EXPECT_LE(std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                              std::abs(qBlue(p) - qBlue(q)),
                          6)
                    << x << "," << y;
            }
        }
    }
}

TEST(ImageWriters, FailuresAreReported)
{
    const OutputFormat all[] = {OutputFormat::Bmp, OutputFormat::Png, OutputFormat::Gif,
                                OutputFormat::Jpeg};
    for (const OutputFormat format : all) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        EXPECT_FALSE(test::errorOf([&] { writePicture(QImage(), format, buffer); }).isEmpty())
            << int(format);
    }

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const QString wide =
        test::errorOf([&] { writeGif(QImage(65536, 1, QImage::Format_RGB32), buffer); });
    EXPECT_TRUE(wide.contains(QStringLiteral("65535"))) << wide.toStdString();

    if (!QFile::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full";
    for (const OutputFormat format : all) {
        QFile full(QStringLiteral("/dev/full"));
        ASSERT_TRUE(full.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QString reason =
            test::errorOf([&] { writePicture(test::blocksOf256Colours(), format, full); });
        // The system's reason, not the encoder's.
        EXPECT_FALSE(reason.isEmpty()) << int(format);
        EXPECT_EQ(reason, full.errorString()) << int(format);
        EXPECT_NE(full.error(), QFileDevice::NoError) << int(format);
    }
}

// The session's converted map at 8 bits follows the hand corrections, the grab's own colours
// included, goes once a correction takes the map past 256 colours, and is never composed for a
// map changed behind its back: the saved PNG and GIF stay the BMP's picture throughout.
TEST(ImageWriters, TheSessionsEightBitMapFollowsTheConvertedMap)
{
    QImage grab =
        test::composeMapView(test::GrabMap::random(1, 32, 32, 5), test::GrabArt::shipped(1, 4));
    const auto at = [](int column, int row, int x, int y) {
        return QPoint(kCellWidth * column + x, kCellHeight * row + y);
    };
    for (int i = 0; i < 5; ++i) // five colours no character has
        grab.setPixel(at(2, 1, i, 7), qRgb(1, 2, 3 + i));
    for (const int column : {4, 5}) // 240 more in each cell
        for (int y = 0; y < kCellHeight; ++y)
            for (int x = 0; x < kCellWidth; ++x)
                grab.setPixel(at(column, 4, x, y), qRgb(7 + column, 16 * y + x, 99));
    GrabSession session;
    session.prefs.puzzpiece = true; // unmatched cells take the puzzle piece's colours only
    session.loadPictures(makeWorkingPictures(grab), QStringLiteral("m"));
    session.decode();
    ASSERT_TRUE(session.hasMap());
    ASSERT_EQ(session.decoded.map[4][4], -1);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString base = dir.filePath(QStringLiteral("m"));
    const auto expectSavedAsDrawn = [&](bool eightBit) {
        session.saveUnder(session.mapPicture, base,
                          SaveChoices{OutputFormat::Bmp, OutputFormat::Png, OutputFormat::Gif},
                          false, {});
        const QImage bmp = test::rgb(QImage(base + QStringLiteral(".bmp")));
        ASSERT_EQ(bmp, test::rgb(session.mapPicture));
        const QImage png(base + QStringLiteral(".png"));
        EXPECT_EQ(test::rgb(png), bmp);
        EXPECT_EQ(png.format() == QImage::Format_Indexed8, eightBit) << png.format();
        if (eightBit) {
            EXPECT_EQ(test::rgb(QImage(base + QStringLiteral(".gif"))), bmp);
        }
    };
    const auto expectInStep = [&] {
        const QImage indexed = session.indexedMapPicture();
        EXPECT_FALSE(indexed.isNull());
        EXPECT_EQ(test::rgb(indexed), test::rgb(session.mapPicture));
        return indexed.colorCount();
    };

    const int drawn = expectInStep();
    expectSavedAsDrawn(true);
    EXPECT_EQ(session.correctCell(2, 1, -1), QRect(128, 64, 64, 64));
    EXPECT_EQ(expectInStep(), drawn + 5);
    session.correctCell(3, 3, 0);
    expectInStep();
    expectSavedAsDrawn(true);
    session.correctCell(4, 4, -1);
    session.correctCell(5, 4, -1);
    EXPECT_TRUE(session.indexedMapPicture().isNull());
    expectSavedAsDrawn(false);
    // Taking corrections back and putting them in again keeps the 8-bit map in step, down to
    // the decoded map's own colours.
    session.undo();
    session.undo();
    EXPECT_EQ(expectInStep(), drawn + 5);
    session.redo();
    EXPECT_TRUE(session.indexedMapPicture().isNull());
    session.undo();
    session.undo();
    session.undo();
    EXPECT_EQ(expectInStep(), drawn);
    session.redo();
    EXPECT_EQ(expectInStep(), drawn + 5);

    // Drawn again, then changed outside the session: its copy no longer stands for the map,
    // neither in a save nor after a correction elsewhere.
    session.decode();
    expectInStep();
    session.mapPicture.setPixel(0, 0, qRgb(1, 2, 3));
    EXPECT_TRUE(session.indexedMapPicture().isNull());
    expectSavedAsDrawn(true);
    session.correctCell(1, 1, 0);
    expectSavedAsDrawn(true);
}

} // namespace
} // namespace vt
