#include "pictures/BmpByteImage.h"

#include "pictures/Halftone.h"
#include "pictures/LittleEndian.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace vt {

namespace {

void put16(uchar* p, quint16 v)
{
    p[0] = static_cast<uchar>(v);
    p[1] = static_cast<uchar>(v >> 8);
}

void put32(uchar* p, quint32 v)
{
    p[0] = static_cast<uchar>(v);
    p[1] = static_cast<uchar>(v >> 8);
    p[2] = static_cast<uchar>(v >> 16);
    p[3] = static_cast<uchar>(v >> 24);
}

// The 256 palette entries as blue, green, red, 0; missing entries are zero.
void writePalette(uchar* palette, const QList<QRgb>& colours)
{
    const qsizetype count = std::min<qsizetype>(colours.size(), 256);
    for (qsizetype i = 0; i < count; ++i) {
        const QRgb c = colours[i];
        palette[4 * i] = static_cast<uchar>(qBlue(c));
        palette[4 * i + 1] = static_cast<uchar>(qGreen(c));
        palette[4 * i + 2] = static_cast<uchar>(qRed(c));
        palette[4 * i + 3] = 0;
    }
    std::memset(palette + 4 * count, 0, static_cast<std::size_t>(4 * (256 - count)));
}

} // namespace

uchar* beginBmpByteImage(QByteArray& out, int width, int height, const QList<QRgb>& colours)
{
    const quint32 w = static_cast<quint32>(std::max(width, 0));
    const quint32 h = static_cast<quint32>(std::max(height, 0));
    const quint32 stride = bmpStride(w);
    const quint32 pixelBytes = stride * h;
    const quint32 total = kBmpPixelOffset + pixelBytes;
    if (static_cast<quint32>(out.size()) != total)
        out.resize(static_cast<qsizetype>(total));
    auto* d = reinterpret_cast<uchar*>(out.data());

    // File header.
    d[0] = 'B';
    d[1] = 'M';
    put32(d + 2, total);
    put32(d + 6, 0);
    put32(d + 10, kBmpPixelOffset);
    // Information header: bottom-up rows, 8 bits per pixel, uncompressed, 256 colours.
    put32(d + 14, 40);
    put32(d + 18, w);
    put32(d + 22, h);
    put16(d + 26, 1);
    put16(d + 28, 8);
    put32(d + 30, 0);
    put32(d + 34, pixelBytes);
    put32(d + 38, 0);
    put32(d + 42, 0);
    put32(d + 46, 256);
    put32(d + 50, 0);

    uchar* palette = d + kBmpPaletteOffset;
    // Cells cut from the working picture, a thousand per decoding pass, all carry the halftone
    // palette: its bytes are made once.
    if (colours.constData() == halftoneColorTable().constData()) {
        static const std::array<uchar, kBmpPaletteSize> halftone = [] {
            std::array<uchar, kBmpPaletteSize> bytes{};
            writePalette(bytes.data(), halftoneColorTable());
            return bytes;
        }();
        std::memcpy(palette, halftone.data(), halftone.size());
    } else {
        writePalette(palette, colours);
    }

    uchar* pixels = d + kBmpPixelOffset;
    if (stride != w) {
        for (quint32 row = 0; row < h; ++row)
            std::memset(pixels + row * stride + w, 0, stride - w);
    }
    return pixels;
}

void writeBmpByteImage(const QImage& indexed8, QByteArray& out)
{
    if (indexed8.format() != QImage::Format_Indexed8 && !indexed8.isNull()) {
        writeBmpByteImage(reduceToHalftone(indexed8), out);
        return;
    }
    const int w = indexed8.width();
    const int h = indexed8.height();
    uchar* pixels = beginBmpByteImage(out, w, h, indexed8.colorTable());
    const quint32 stride = bmpStride(static_cast<quint32>(w));
    for (int y = 0; y < h; ++y)
        std::memcpy(pixels + static_cast<quint32>(h - 1 - y) * stride, indexed8.constScanLine(y),
                    static_cast<std::size_t>(w));
}

QByteArray bmpByteImage(const QImage& indexed8)
{
    QByteArray out;
    writeBmpByteImage(indexed8, out);
    return out;
}

quint32 OffBits(const QByteArray& image)
{
    if (image.size() < 14)
        return 0;
    return le32(image, 10);
}

quint32 GetRGB(quint8 colour, const QByteArray& data)
{
    const qsizetype at = kBmpPaletteOffset + 4 * qsizetype(colour);
    const auto* d = reinterpret_cast<const uchar*>(data.constData());
    if (data.size() >= at + 3)
        return quint32(d[at]) << 16 | quint32(d[at + 1]) << 8 | quint32(d[at + 2]);
    const auto byte = [&](qsizetype i) { return i < data.size() ? quint32(d[i]) : 0u; };
    return byte(at) << 16 | byte(at + 1) << 8 | byte(at + 2);
}

} // namespace vt
