#include "BmpWriter.h"

#include "Schemes.h"
#include "pictures/Halftone.h"

#include <QRgb>

namespace vt::art {

namespace {

void put16(QByteArray& out, int value)
{
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>((value >> 8) & 0xFF));
}

void put32(QByteArray& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.append(static_cast<char>((value >> shift) & 0xFF));
}

int rowBytes(int width, int bitsPerPixel)
{
    return (width * bitsPerPixel + 31) / 32 * 4;
}

// File header and the 40-byte information header.
QByteArray headers(int width, int height, int bitsPerPixel, int compression, int extraBytes,
                   int paletteEntries)
{
    const int image = rowBytes(width, bitsPerPixel) * height;
    const int offset = 14 + 40 + extraBytes + paletteEntries * 4;
    QByteArray out;
    out.append("BM");
    put32(out, static_cast<std::uint32_t>(offset + image));
    put32(out, 0);
    put32(out, static_cast<std::uint32_t>(offset));
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(width));
    put32(out, static_cast<std::uint32_t>(height)); // positive: rows stored bottom-up
    put16(out, 1);
    put16(out, bitsPerPixel);
    put32(out, static_cast<std::uint32_t>(compression));
    put32(out, static_cast<std::uint32_t>(image));
    put32(out, 2835); // 72 dots per inch
    put32(out, 2835);
    put32(out, static_cast<std::uint32_t>(paletteEntries));
    put32(out, 0);
    return out;
}

void pad(QByteArray& out, int written, int width, int bitsPerPixel)
{
    for (int i = written; i < rowBytes(width, bitsPerPixel); ++i)
        out.append('\0');
}

} // namespace

QByteArray bmp16(int width, int height, const std::vector<Rgb>& pixels)
{
    QByteArray out = headers(width, height, 16, 3, 12, 0);
    put32(out, 0xF800);
    put32(out, 0x07E0);
    put32(out, 0x001F);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x)
            put16(out, toRgb565(pixels[static_cast<std::size_t>(y * width + x)]));
        pad(out, width * 2, width, 16);
    }
    return out;
}

QByteArray bmp8Halftone(int width, int height, const std::vector<Rgb>& pixels)
{
    QByteArray out = headers(width, height, 8, 0, 0, 256);
    for (const PaletteEntry& e : halftoneEntries()) {
        out.append(static_cast<char>(e.blue));
        out.append(static_cast<char>(e.green));
        out.append(static_cast<char>(e.red));
        out.append('\0');
    }
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const Rgb& c = pixels[static_cast<std::size_t>(y * width + x)];
            out.append(static_cast<char>(nearestHalftoneIndex(qRgb(c.r, c.g, c.b))));
        }
        pad(out, width, width, 8);
    }
    return out;
}

QByteArray bmp24(int width, int height, const std::vector<Rgb>& pixels)
{
    QByteArray out = headers(width, height, 24, 0, 0, 0);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const Rgb& c = pixels[static_cast<std::size_t>(y * width + x)];
            out.append(static_cast<char>(c.b));
            out.append(static_cast<char>(c.g));
            out.append(static_cast<char>(c.r));
        }
        pad(out, width * 3, width, 24);
    }
    return out;
}

} // namespace vt::art
