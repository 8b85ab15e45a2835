#include "export/IndexedPng.h"

#include "pictures/Error.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace vt {

namespace {

// libdeflate's fastest level: on a converted map a fifth faster than zlib's level 2 and a
// tenth smaller; each level above costs a tenth or more in time for a few per cent in size.
constexpr int kLevel = 1;

void putBig32(QByteArray& out, quint32 value)
{
    const char bytes[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    out.append(bytes, 4);
}

// Appends a chunk whose data is already at the end of `out`, from `start` on: the length goes
// before it, its type and the CRC around it.
void closeChunk(QByteArray& out, qsizetype start)
{
    const quint32 length = quint32(out.size() - start - 8);
    char* at = out.data() + start;
    at[0] = char(length >> 24);
    at[1] = char(length >> 16);
    at[2] = char(length >> 8);
    at[3] = char(length);
    putBig32(out, quint32(libdeflate_crc32(0, at + 4, length + 4)));
}

qsizetype openChunk(QByteArray& out, const char (&type)[5])
{
    const qsizetype start = out.size();
    out.append(4, '\0');
    out.append(type, 4);
    return start;
}

} // namespace

QByteArray indexedPng(const QImage& indexed, int dotsPerMeterX, int dotsPerMeterY)
{
    const int width = indexed.width();
    const int height = indexed.height();
    const std::size_t rowBytes = std::size_t(width) + 1;
    std::vector<uchar> rows(rowBytes * std::size_t(height));
    for (int y = 0; y < height; ++y) {
        uchar* row = rows.data() + rowBytes * std::size_t(y);
        row[0] = 0; // filter "none"
        std::memcpy(row + 1, indexed.constScanLine(y), std::size_t(width));
    }
    std::unique_ptr<libdeflate_compressor, decltype(&libdeflate_free_compressor)> compressor(
        libdeflate_alloc_compressor(kLevel), &libdeflate_free_compressor);
    if (!compressor)
        throw Error(QStringLiteral("Out of memory"));
    const std::size_t bound = libdeflate_zlib_compress_bound(compressor.get(), rows.size());

    const QList<QRgb> table = indexed.colorTable();
    QByteArray file;
    file.reserve(qsizetype(bound) + 3 * table.size() + 128);
    file.append("\x89PNG\r\n\x1a\n", 8);
    qsizetype chunk = openChunk(file, "IHDR");
    putBig32(file, quint32(width));
    putBig32(file, quint32(height));
    file.append("\x08\x03\x00\x00\x00", 5); // 8 bits, palette, deflate, no filter, no interlace
    closeChunk(file, chunk);
    chunk = openChunk(file, "PLTE");
    for (const QRgb colour : table) {
        const char rgb[3] = {char(qRed(colour)), char(qGreen(colour)), char(qBlue(colour))};
        file.append(rgb, 3);
    }
    closeChunk(file, chunk);
    if (dotsPerMeterX > 0 || dotsPerMeterY > 0) {
        chunk = openChunk(file, "pHYs");
        putBig32(file, quint32(std::max(dotsPerMeterX, 0)));
        putBig32(file, quint32(std::max(dotsPerMeterY, 0)));
        file.append('\x01'); // per metre
        closeChunk(file, chunk);
    }
    chunk = openChunk(file, "IDAT");
    const qsizetype data = file.size();
    file.resize(data + qsizetype(bound));
    const std::size_t packed = libdeflate_zlib_compress(compressor.get(), rows.data(), rows.size(),
                                                        file.data() + data, bound);
    if (packed == 0)
        throw Error(QStringLiteral("The picture could not be compressed"));
    file.resize(data + qsizetype(packed));
    closeChunk(file, chunk);
    closeChunk(file, openChunk(file, "IEND"));

    return file;
}

} // namespace vt
