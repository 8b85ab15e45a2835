#include "decode/CellCompare.h"
#include "pictures/BmpByteImage.h"
#include "pictures/ByteImageReader.h"
#include "pictures/Halftone.h"
#include "pictures/PictureArea.h"

#include <gtest/gtest.h>

#include <random>

namespace vt {
namespace {

QImage halftonePicture(int w, int h)
{
    QImage image(w, h, QImage::Format_Indexed8);
    image.setColorTable(halftoneColorTable());
    return image;
}

// Every pixel a different entry, so that any byte read tells where it came from.
QImage numberedPicture(int w, int h)
{
    QImage image = halftonePicture(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.scanLine(y)[x] = uchar(20 + y * w + x);
    return image;
}

QImage randomHalftonePicture(std::mt19937& rng, int w, int h)
{
    QImage image = halftonePicture(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.scanLine(y)[x] = uchar(rng());
    return image;
}

TEST(ByteImageReader, PixelIndexReadsRowAboveAndClamps)
{
    const quint32 W = 5, H = 3;
    const QImage picture = numberedPicture(int(W), int(H));
    const ByteImageReader reader(picture);
    const auto length = quint32(reader.bytes().size());
    ASSERT_EQ(reader.OffBits(), 1078u);
    ASSERT_EQ(reader.stride(), 8u);
    ASSERT_EQ(length, 1078u + 3 * 8);
    const auto pixel = [&](int x, int y) { return picture.constScanLine(y)[x]; };

    // Row 0 falls beyond the pixel data onto the last byte (padding of the top row).
    EXPECT_EQ(reader.PixelIndex(0, 0), length - 1);
    EXPECT_EQ(reader.PixelIndex(3, 0), length - 1);
    // Row H is the bottom row, stored first; row y reads picture row y - 1.
    EXPECT_EQ(reader.PixelIndex(0, H), 1078u);
    for (quint32 y = 1; y <= H; ++y)
        for (quint32 x = 0; x < W; ++x)
            ASSERT_EQ(reader.byteAt(x, y), pixel(int(x), int(y) - 1)) << x << "," << y;
    // Past the row width: the padding, then the next stored row (the picture row above).
    EXPECT_EQ(reader.byteAt(W, H), 0);
    EXPECT_EQ(reader.byteAt(reader.stride() + 1, H), pixel(1, int(H) - 2));
    // Below the picture the unsigned row term wraps and clamps to the first pixel byte.
    EXPECT_EQ(reader.PixelIndex(2, H + 1), 1078u);
    EXPECT_EQ(reader.PixelIndex(1000, 1), length - 1);
    // x = -1 wraps round to the byte before the row.
    EXPECT_EQ(reader.PixelIndex(0xFFFFFFFFu, 1), 1078u + 2 * 8 - 1);

    EXPECT_EQ(reader.colourAt(4, 2), GetRGB(pixel(4, 1), reader.bytes()));
    EXPECT_EQ(reader.colours()[pixel(4, 1)], reader.colourAt(4, 2));
}

TEST(ByteImageReader, RowsOf34PixelsTake36BytesWithZeroPadding)
{
    std::mt19937 rng(1);
    QImage picture = randomHalftonePicture(rng, 34, 34);
    for (int y = 0; y < 34; ++y)
        for (int x = 0; x < 34; ++x)
            picture.scanLine(y)[x] |= 1; // no zero pixels, so that padding stands out
    const ByteImageReader reader(picture);
    EXPECT_EQ(reader.stride(), 36u);
    ASSERT_EQ(reader.bytes().size(), 1078 + 36 * 34);
    for (int row = 0; row < 34; ++row) {
        const int at = 1078 + row * 36;
        EXPECT_NE(reader.bytes()[at + 33], '\0') << row;
        EXPECT_EQ(reader.bytes()[at + 34], '\0') << row;
        EXPECT_EQ(reader.bytes()[at + 35], '\0') << row;
    }
}

TEST(PictureArea, AreaPastTheEdgeIsBlack)
{
    std::mt19937 rng(2);
    const QImage picture = reduceToHalftone(randomHalftonePicture(rng, 20, 20));
    const uchar black = nearestHalftoneIndex(qRgb(0, 0, 0));
    const QRect areas[] = {{12, 10, 16, 15}, {-3, -2, 16, 15}, {30, 30, 4, 3}, {0, 0, 20, 20}};
    for (const QRect& area : areas) {
        QImage expected = halftonePicture(area.width(), area.height());
        for (int y = 0; y < area.height(); ++y)
            for (int x = 0; x < area.width(); ++x) {
                const QPoint p = area.topLeft() + QPoint(x, y);
                expected.scanLine(y)[x] =
                    picture.rect().contains(p) ? picture.constScanLine(p.y())[p.x()] : black;
            }
        EXPECT_EQ(ExtractPictureArea(picture, area), bmpByteImage(expected))
            << area.x() << "," << area.y();
    }
}

TEST(PictureArea, DirectIndexCopyEqualsTheReduction)
{
    // Random entries include the palette's repeated colours, which the reduction folds onto
    // their first entry; the direct copy must do the same.
    std::mt19937 rng(3);
    const QImage indexed = randomHalftonePicture(rng, 40, 33);
    const QImage rgb = indexed.convertToFormat(QImage::Format_RGB32);
    const QImage argb = indexed.convertToFormat(QImage::Format_ARGB32);
    const QRect areas[] = {{0, 0, 16, 15},   {5, 7, 16, 15}, {30, 25, 16, 15},
                           {-8, 20, 34, 34}, {0, 0, 40, 33}, {3, 3, 0, 5}};
    QByteArray reused;
    for (const QRect& area : areas) {
        CopyPictureArea(indexed, area, reused);
        const QByteArray slow = ExtractPictureArea(rgb, area);
        EXPECT_EQ(reused, slow) << area.x() << "," << area.y() << " " << area.width();
        EXPECT_EQ(ExtractPictureArea(argb, area), slow) << area.x() << "," << area.y();
        if (!area.isEmpty() && indexed.rect().contains(area)) {
            EXPECT_EQ(slow, bmpByteImage(reduceToHalftone(rgb).copy(area)));
        }
    }
}

} // namespace
} // namespace vt
