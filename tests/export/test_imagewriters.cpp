#include "export/ImageWriters.h"
#include "export/OutputFormats.h"

#include "charsets/Atlas.h"
#include "decode/MapDecoder.h"
#include "intake/GrabLoader.h"

#include "ExportFixtures.h"
#include "GrabComposer.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QSet>

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

// Converted maps as the decoding pass draws them: with the puzzle piece for unmatched cells,
// and with cells copied from a speckled grab in full colour (more than 256 colours then). The
// PNG is always the BMP's picture, and at 8 bits whenever the map has 256 colours or fewer; so
// is the GIF then, and giflib reads both kinds back.
TEST(ImageWriters, ConvertedMapsKeepTheirPixelsInPngAndGif)
{
    const int game = 1, colour = 4;
    const std::vector<QImage> mapsize = loadCharacters(game, colour, false);
    const std::vector<QImage> fullsize = loadCharacters(game, colour, true);
    QImage puzzle(64, 64, QImage::Format_RGB32);
    puzzle.fill(qRgb(200, 100, 50));
    for (const bool speckled : {false, true}) {
        SCOPED_TRACE(speckled ? "speckled, cells from the grab" : "puzzle pieces");
        test::GrabNoise noise;
        noise.cellPercent = speckled ? 30 : 10;
        noise.pixelsPerCell = 6;
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
        input.puzzpiece = !speckled;
        const QImage map = decodeMap(input).picture;
        ASSERT_GT(decodeMap(input).decoded.errors, 0u); // some cells are drawn unmatched

        QSet<QRgb> colours;
        const QImage plain = test::rgb(map);
        for (int y = 0; y < plain.height(); ++y)
            for (int x = 0; x < plain.width(); ++x)
                colours.insert(plain.pixel(x, y));
        const bool few = colours.size() <= 256;
        EXPECT_EQ(few, !speckled) << colours.size() << " colours";

        const QImage bmp = decode(encode(map, OutputFormat::Bmp));
        const QImage png = decode(encode(map, OutputFormat::Png));
        EXPECT_EQ(test::rgb(png), test::rgb(bmp));
        EXPECT_EQ(png.format() == QImage::Format_Indexed8, few) << png.format();
        // The map's own resolution, not the screen's: the file must not depend on the screen.
        EXPECT_EQ(png.dotsPerMeterX(), map.dotsPerMeterX());
        EXPECT_EQ(png.dotsPerMeterY(), map.dotsPerMeterY());
        const QByteArray gif = encode(map, OutputFormat::Gif);
        EXPECT_EQ(gifSize(gif), map.size());
        if (few)
            EXPECT_EQ(test::rgb(decode(gif)), test::rgb(bmp));
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

} // namespace
} // namespace vt
