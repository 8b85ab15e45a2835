#include "export/ImageWriters.h"

#include "export/IndexedPng.h"
#include "pictures/Error.h"

#include <QFileDevice>
#include <QHash>
#include <QIODevice>
#include <QImageWriter>

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace vt {

namespace {

constexpr int kMaxPalette = 256;
constexpr int kMaxGifSide = 65535;

// Writers of Qt's image handlers do not all check what the device accepted; a file keeps
// its own record of a failed write, and flushing makes a full disk show up now.
void checkDevice(QIODevice& device)
{
    if (auto* file = qobject_cast<QFileDevice*>(&device)) {
        file->flush();
        if (file->error() != QFileDevice::NoError)
            throw Error(file->errorString());
    }
}

void writeWithQt(const QImage& picture, const char* format, QIODevice& device, int quality = -1)
{
    QImageWriter writer(&device, format);
    if (quality >= 0) {
        writer.setQuality(quality);
        writer.setProgressiveScanWrite(false);
        writer.setOptimizedWrite(false);
    }
    const bool written = writer.write(picture);
    // A failed device write is better told by the file's own reason than by the handler's.
    checkDevice(device);
    if (!written)
        throw Error(writer.errorString());
}

// ---- Palette reduction ------------------------------------------------------------------

// Beyond 256 colours the colours are first gathered into bins of 5 bits per channel, which
// keeps the cut fast on pictures of millions of colours; each bin keeps the sums of its exact
// colours, so the palette entries are true means.
constexpr int kBinBits = 5;
constexpr int kBins = 1 << (3 * kBinBits);

int binOf(QRgb colour)
{
    constexpr int shift = 8 - kBinBits;
    return ((qRed(colour) >> shift) << (2 * kBinBits)) | ((qGreen(colour) >> shift) << kBinBits) |
           (qBlue(colour) >> shift);
}

struct Bin
{
    int key = 0;
    quint64 count = 0;
    std::array<quint64, 3> sum{0, 0, 0};
    std::array<int, 3> mean{0, 0, 0}; // where the bin stands in the cut
};

struct Box
{
    std::size_t begin, end; // bins
    int channel = 0;        // the channel of widest range
    int range = 0;          // that range
    quint64 count = 0;      // pixels
};

void measure(Box& box, const std::vector<Bin>& bins)
{
    std::array<int, 3> low{255, 255, 255}, high{0, 0, 0};
    box.count = 0;
    for (std::size_t i = box.begin; i < box.end; ++i) {
        for (int c = 0; c < 3; ++c) {
            low[c] = std::min(low[c], bins[i].mean[c]);
            high[c] = std::max(high[c], bins[i].mean[c]);
        }
        box.count += bins[i].count;
    }
    box.channel = 0;
    box.range = high[0] - low[0];
    for (int c = 1; c < 3; ++c) {
        if (high[c] - low[c] > box.range) {
            box.channel = c;
            box.range = high[c] - low[c];
        }
    }
}

// Median cut: split the box of widest colour range at the pixel median of that channel until
// there are 256 boxes; each box's colour is its pixel-weighted mean. Fills `palette` and, for
// every bin key, its palette index in `indexOfBin`.
void medianCut(std::vector<Bin>& bins, QList<QRgb>& palette, std::vector<uchar>& indexOfBin)
{
    std::vector<Box> boxes{Box{0, bins.size()}};
    measure(boxes.front(), bins);
    while (boxes.size() < static_cast<std::size_t>(kMaxPalette)) {
        Box* widest = nullptr;
        for (Box& box : boxes) {
            if (box.end - box.begin < 2)
                continue;
            if (!widest || box.range > widest->range ||
                (box.range == widest->range && box.count > widest->count))
                widest = &box;
        }
        if (!widest)
            break;
        const int channel = widest->channel;
        std::sort(
            bins.begin() + static_cast<std::ptrdiff_t>(widest->begin),
            bins.begin() + static_cast<std::ptrdiff_t>(widest->end),
            [channel](const Bin& a, const Bin& b) { return a.mean[channel] < b.mean[channel]; });
        // First bin of the upper half: both halves keep at least one bin.
        std::size_t split = widest->begin + 1;
        quint64 below = bins[widest->begin].count;
        while (split < widest->end - 1 && below * 2 < widest->count)
            below += bins[split++].count;
        Box upper{split, widest->end};
        widest->end = split;
        measure(*widest, bins);
        measure(upper, bins);
        boxes.push_back(upper);
    }

    for (const Box& box : boxes) {
        std::array<quint64, 3> sum{0, 0, 0};
        for (std::size_t i = box.begin; i < box.end; ++i) {
            for (int c = 0; c < 3; ++c)
                sum[c] += bins[i].sum[c];
            indexOfBin[static_cast<std::size_t>(bins[i].key)] = static_cast<uchar>(palette.size());
        }
        const auto mean = [&](int c) {
            return static_cast<int>(std::nearbyint(double(sum[c]) / double(box.count)));
        };
        palette.append(qRgb(mean(0), mean(1), mean(2)));
    }
}

// ---- GIF ----------------------------------------------------------------------------------

int writeToDevice(GifFileType* gif, const GifByteType* data, int length)
{
    auto* device = static_cast<QIODevice*>(gif->UserData);
    const qint64 written = device->write(reinterpret_cast<const char*>(data), length);
    return written < 0 ? 0 : static_cast<int>(written);
}

QString gifReason(int code, QIODevice& device)
{
    // A failed write is the device's own failure; its text names the system's reason.
    if (code == E_GIF_ERR_WRITE_FAILED && !device.errorString().isEmpty())
        return device.errorString();
    const char* text = GifErrorString(code);
    return text ? QString::fromLatin1(text) : QStringLiteral("GIF error %1").arg(code);
}

// The picture's own colours, when there are no more than 256, in one pass: each pixel's
// colour is looked up in a small direct-mapped cache before the table of colours met so far,
// and a map (whole characters, long runs of one colour) mostly repeats the colour before. The
// table is sorted by colour value afterwards and the indices renumbered, so the palette
// depends on the colours alone.
std::optional<QImage> exactPalette(const QImage& rgb)
{
    const int width = rgb.width();
    const int height = rgb.height();
    QImage indexed(width, height, QImage::Format_Indexed8);
    std::vector<QRgb> colours;
    colours.reserve(kMaxPalette);
    QHash<QRgb, int> known;
    constexpr std::size_t kCache = 1024;
    std::array<QRgb, kCache> cachedColour{};
    std::array<int, kCache> cachedIndex;
    cachedIndex.fill(-1);
    for (int y = 0; y < height; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* out = indexed.scanLine(y);
        QRgb previous = 0;
        int index = -1;
        for (int x = 0; x < width; ++x) {
            const QRgb p = in[x] | 0xFF000000u;
            if (index < 0 || p != previous) {
                previous = p;
                const std::size_t slot = ((p * 2654435761u) >> 22) & (kCache - 1);
                if (cachedIndex[slot] >= 0 && cachedColour[slot] == p) {
                    index = cachedIndex[slot];
                } else {
                    const auto found = known.constFind(p);
                    if (found != known.cend()) {
                        index = found.value();
                    } else {
                        if (colours.size() == kMaxPalette)
                            return std::nullopt;
                        index = int(colours.size());
                        colours.push_back(p);
                        known.insert(p, index);
                    }
                    cachedColour[slot] = p;
                    cachedIndex[slot] = index;
                }
            }
            out[x] = static_cast<uchar>(index);
        }
    }

    std::vector<int> order(colours.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::sort(order.begin(), order.end(), [&colours](int a, int b) {
        return colours[std::size_t(a)] < colours[std::size_t(b)];
    });
    std::array<uchar, kMaxPalette> renumber{};
    QList<QRgb> palette;
    palette.reserve(qsizetype(order.size()));
    for (std::size_t i = 0; i < order.size(); ++i) {
        renumber[std::size_t(order[i])] = static_cast<uchar>(i);
        palette.append(colours[std::size_t(order[i])]);
    }
    indexed.setColorTable(palette);
    for (int y = 0; y < height; ++y) {
        uchar* row = indexed.scanLine(y);
        for (int x = 0; x < width; ++x)
            row[x] = renumber[row[x]];
    }
    // A new picture would take the screen's resolution, and a file would then depend on it.
    indexed.setDotsPerMeterX(rgb.dotsPerMeterX());
    indexed.setDotsPerMeterY(rgb.dotsPerMeterY());
    return indexed;
}

// The 8-bit picture the caller has, when it fits `picture`.
const QImage* usableIndexed(const QImage& picture, const QImage* indexed)
{
    if (!indexed || indexed->format() != QImage::Format_Indexed8 ||
        indexed->size() != picture.size() || indexed->colorCount() < 1 ||
        indexed->colorCount() > kMaxPalette)
        return nullptr;
    return indexed;
}

} // namespace

QImage reduceToPalette(const QImage& picture)
{
    if (picture.isNull())
        return {};
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    const int width = rgb.width();
    const int height = rgb.height();
    const auto pixelAt = [&rgb](int x, int y) {
        return reinterpret_cast<const QRgb*>(rgb.constScanLine(y))[x] | 0xFF000000u;
    };

    if (std::optional<QImage> exact = exactPalette(rgb))
        return *exact;

    std::vector<Bin> all(kBins);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const QRgb p = pixelAt(x, y);
            Bin& bin = all[static_cast<std::size_t>(binOf(p))];
            ++bin.count;
            bin.sum[0] += static_cast<quint64>(qRed(p));
            bin.sum[1] += static_cast<quint64>(qGreen(p));
            bin.sum[2] += static_cast<quint64>(qBlue(p));
        }
    }
    std::vector<Bin> bins;
    for (int key = 0; key < kBins; ++key) {
        Bin& bin = all[static_cast<std::size_t>(key)];
        if (bin.count == 0)
            continue;
        bin.key = key;
        for (int c = 0; c < 3; ++c)
            bin.mean[c] = static_cast<int>(bin.sum[c] / bin.count);
        bins.push_back(bin);
    }
    QList<QRgb> palette;
    std::vector<uchar> indexOfBin(kBins, 0);
    medianCut(bins, palette, indexOfBin);

    QImage indexed(width, height, QImage::Format_Indexed8);
    indexed.setDotsPerMeterX(rgb.dotsPerMeterX());
    indexed.setDotsPerMeterY(rgb.dotsPerMeterY());
    indexed.setColorTable(palette);
    for (int y = 0; y < height; ++y) {
        uchar* out = indexed.scanLine(y);
        for (int x = 0; x < width; ++x)
            out[x] = indexOfBin[static_cast<std::size_t>(binOf(pixelAt(x, y)))];
    }
    return indexed;
}

// Qt's BMP file of an RGB32 picture, written directly: Qt converts every pixel on its own and
// writes row by row, a third of the time of a whole conversion of a 2048 x 2048 map. The
// bytes are Qt's: a 14-byte file header, a 40-byte information header with the picture's
// resolution, then 24-bit rows, bottom row first, each padded to four bytes.
void writeRgb32Bmp(const QImage& picture, QIODevice& device)
{
    const auto put16 = [](uchar* p, quint32 v) {
        p[0] = uchar(v);
        p[1] = uchar(v >> 8);
    };
    const auto put32 = [](uchar* p, quint32 v) {
        p[0] = uchar(v);
        p[1] = uchar(v >> 8);
        p[2] = uchar(v >> 16);
        p[3] = uchar(v >> 24);
    };
    const quint32 width = quint32(picture.width());
    const quint32 height = quint32(picture.height());
    const quint32 rowBytes = (width * 3 + 3) & ~3u;
    const quint32 pixelBytes = rowBytes * height;
    std::array<uchar, 54> header{};
    header[0] = 'B';
    header[1] = 'M';
    put32(&header[2], 54 + pixelBytes);
    put32(&header[10], 54);
    put32(&header[14], 40);
    put32(&header[18], width);
    put32(&header[22], height);
    put16(&header[26], 1);
    put16(&header[28], 24);
    put32(&header[34], pixelBytes);
    put32(&header[38], quint32(picture.dotsPerMeterX()));
    put32(&header[42], quint32(picture.dotsPerMeterY()));
    const auto failed = [&] {
        // A file's own reason first (a full disk), else the device's.
        checkDevice(device);
        throw Error(device.errorString());
    };
    if (device.write(reinterpret_cast<const char*>(header.data()), 54) != 54)
        failed();

    // Rows gathered into chunks of about 256 KB, so that a big map takes few writes.
    const quint32 rowsPerChunk = std::max<quint32>(1, (256u * 1024u) / std::max(rowBytes, 1u));
    std::vector<uchar> chunk(std::size_t(rowBytes) * std::min(rowsPerChunk, std::max(height, 1u)));
    quint32 filled = 0;
    for (quint32 done = 0; done < height; ++done) {
        const auto* in =
            reinterpret_cast<const QRgb*>(picture.constScanLine(int(height - 1 - done)));
        uchar* out = chunk.data() + std::size_t(filled) * rowBytes;
        // Four pixels (blue, green, red, unused; little-endian words) into three words of
        // blue, green, red bytes.
        quint32 x = 0;
        if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
            for (; x + 4 <= width; x += 4) {
                const quint32 p0 = in[x], p1 = in[x + 1], p2 = in[x + 2], p3 = in[x + 3];
                // Built in registers and stored whole: words stored apart and read back as
                // one would stall the processor.
                const quint64 first = quint64((p0 & 0xFFFFFFu) | (p1 << 24)) |
                                      quint64(((p1 >> 8) & 0xFFFFu) | (p2 << 16)) << 32;
                const quint32 last = ((p2 >> 16) & 0xFFu) | (p3 << 8);
                std::memcpy(out + 3 * x, &first, sizeof first);
                std::memcpy(out + 3 * x + 8, &last, sizeof last);
            }
        }
        for (; x < width; ++x) {
            const QRgb pixel = in[x];
            out[3 * x] = uchar(pixel);
            out[3 * x + 1] = uchar(pixel >> 8);
            out[3 * x + 2] = uchar(pixel >> 16);
        }
        std::fill(out + 3 * width, out + rowBytes, uchar(0));
        if (++filled == rowsPerChunk || done + 1 == height) {
            const qint64 bytes = qint64(filled) * rowBytes;
            if (device.write(reinterpret_cast<const char*>(chunk.data()), bytes) != bytes)
                failed();
            filled = 0;
        }
    }
    checkDevice(device);
}

void writeBmp(const QImage& picture, QIODevice& device)
{
    if (picture.format() == QImage::Format_RGB32 && !picture.isNull())
        writeRgb32Bmp(picture, device);
    else
        writeWithQt(picture, "bmp", device);
}

void writePng(const QImage& picture, QIODevice& device, const QImage* indexed)
{
    // A converted map is made of a few dozen characters: at 8 bits a pixel it deflates to
    // a little over half the size in a twentieth of the time.
    if (!picture.isNull()) {
        const QImage* given = usableIndexed(picture, indexed);
        const std::optional<QImage> own =
            given ? std::nullopt : exactPalette(picture.convertToFormat(QImage::Format_RGB32));
        if (given || own) {
            const QByteArray file =
                indexedPng(given ? *given : *own, picture.dotsPerMeterX(), picture.dotsPerMeterY());
            if (device.write(file) != file.size()) {
                checkDevice(device); // a file's own reason first (a full disk), else the device's
                throw Error(device.errorString());
            }
            checkDevice(device);
            return;
        }
    }
    writeWithQt(picture, "png", device);
}

void writeJpeg(const QImage& picture, QIODevice& device)
{
    // Qt writes grey and all-grey indexed pictures as one-channel JPEG; RGB32 is always colour.
    const QImage colour =
        picture.isNull() ? picture : picture.convertToFormat(QImage::Format_RGB32);
    writeWithQt(colour, "jpeg", device, 100);
}

void writeGif(const QImage& picture, QIODevice& device, const QImage* given)
{
    if (picture.isNull())
        throw Error(QStringLiteral("The picture is empty"));
    if (picture.width() > kMaxGifSide || picture.height() > kMaxGifSide)
        throw Error(
            QStringLiteral("A GIF picture is at most %1 pixels on a side").arg(kMaxGifSide));

    const QImage* usable = usableIndexed(picture, given);
    const QImage indexed = usable ? *usable : reduceToPalette(picture);
    const QList<QRgb> table = indexed.colorTable();
    int size = 2; // GIF colour tables hold a power of two entries, two at least
    while (size < table.size())
        size *= 2;
    std::vector<GifColorType> colours(static_cast<std::size_t>(size), GifColorType{0, 0, 0});
    for (qsizetype i = 0; i < table.size(); ++i) {
        colours[static_cast<std::size_t>(i)] = {static_cast<GifByteType>(qRed(table[i])),
                                                static_cast<GifByteType>(qGreen(table[i])),
                                                static_cast<GifByteType>(qBlue(table[i]))};
    }
    std::unique_ptr<ColorMapObject, decltype(&GifFreeMapObject)> map(
        GifMakeMapObject(size, colours.data()), &GifFreeMapObject);
    if (!map)
        throw Error(gifReason(E_GIF_ERR_NOT_ENOUGH_MEM, device));

    int code = 0;
    GifFileType* gif = EGifOpen(&device, &writeToDevice, &code);
    if (!gif)
        throw Error(gifReason(code, device));

    const int width = indexed.width();
    const int height = indexed.height();
    bool ok = EGifPutScreenDesc(gif, width, height, map->BitsPerPixel, 0, map.get()) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
    std::vector<GifPixelType> line(static_cast<std::size_t>(width));
    for (int y = 0; ok && y < height; ++y) {
        std::copy_n(indexed.constScanLine(y), width, line.begin());
        ok = EGifPutLine(gif, line.data(), width) == GIF_OK;
    }
    if (!ok) {
        code = gif->Error;
        EGifCloseFile(gif, nullptr); // frees it; the first failure is the one to report
        throw Error(gifReason(code, device));
    }
    if (EGifCloseFile(gif, &code) != GIF_OK)
        throw Error(gifReason(code, device));
    checkDevice(device);
}

} // namespace vt
