// The BMP byte image: a complete 8-bit BMP file held in memory, the form in which pictures are
// read pixel by pixel and compared. Layout: 14-byte file header (bytes 10..13 the pixel-data
// offset), 40-byte information header, 256 palette entries of blue, green, red, 0 from byte 54,
// then the pixel rows bottom row first, each padded with zero bytes to a multiple of 4.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRgb>

namespace vt {

inline constexpr quint32 kBmpPaletteOffset = 54;
inline constexpr quint32 kBmpPaletteSize = 256 * 4;
inline constexpr quint32 kBmpPixelOffset = kBmpPaletteOffset + kBmpPaletteSize; // 1078

// Bytes one stored row of `width` pixels takes.
inline constexpr quint32 bmpStride(quint32 width)
{
    return ((width + 3) / 4) * 4;
}

// Writes the headers and the palette of a width x height byte image into `out` (resized only
// when its length differs) and zeroes the row padding. Returns the start of the pixel data;
// row y of the picture starts at (height - 1 - y) * bmpStride(width). A colour table of fewer
// than 256 entries is padded with zero entries.
uchar* beginBmpByteImage(QByteArray& out, int width, int height, const QList<QRgb>& colours);

// The byte image of an 8-bit picture, written over `out`, which is resized only when its length
// differs so that a caller cutting many cells reuses one buffer. A picture in any other format
// is reduced to the halftone palette first.
void writeBmpByteImage(const QImage& indexed8, QByteArray& out);
QByteArray bmpByteImage(const QImage& indexed8);

// The colour value (blue * 65536 + green * 256 + red) of palette entry `colour` of a byte image.
// Palette bytes beyond the end of `data` count as 0.
quint32 GetRGB(quint8 colour, const QByteArray& data);

// The pixel-data offset held in bytes 10..13 (0 when the image is too short to hold it).
quint32 OffBits(const QByteArray& image);

} // namespace vt
