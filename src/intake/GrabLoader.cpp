#include "intake/GrabLoader.h"

#include "intake/ImageSignature.h"
#include "pictures/Error.h"
#include "pictures/Halftone.h"
#include "pictures/LittleEndian.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

#include <cstdlib>
#include <optional>
#include <utility>

namespace vt {

namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Refuses a picture of w x h pixels as too large; the sides are wide enough for any header field.
void checkSides(qint64 width, qint64 height, const QString& what)
{
    // The sides first: a product of two 32-bit header fields may not fit in 64 bits.
    if (std::abs(width) > kMaxGrabSide || std::abs(height) > kMaxGrabSide ||
        std::abs(width) * std::abs(height) * 4 > kMaxGrabBytes)
        throw Error(QStringLiteral("%1 is too large to work on (%2 × %3 pixels): grabs of up to "
                                   "16,384 pixels a side and 256 MB are accepted.")
                        .arg(what)
                        .arg(width)
                        .arg(height));
}

quint32 be32(const QByteArray& b, int at)
{
    return quint32(uchar(b[at])) << 24 | quint32(uchar(b[at + 1])) << 16 |
           quint32(uchar(b[at + 2])) << 8 | quint32(uchar(b[at + 3]));
}

// The size a header claims, where the format keeps it at a fixed place. A GIF's decoder makes
// a picture of the logical screen, whatever its first frame's size, which is all the reader
// reports; BMP and PNG are read here as well so that no decoder is trusted with it.
std::optional<std::pair<qint64, qint64>> headerSize(ImageKind kind, const QByteArray& head)
{
    switch (kind) {
    case ImageKind::Gif:
        if (head.size() >= 10)
            return std::pair<qint64, qint64>(le16(head, 6), le16(head, 8));
        break;
    case ImageKind::Png:
        if (head.size() >= 24)
            return std::pair<qint64, qint64>(be32(head, 16), be32(head, 20));
        break;
    case ImageKind::Bmp:
        // The old 12-byte header has 16-bit sides; every later one signed 32-bit sides, the
        // height negative for rows stored from the top.
        if (head.size() >= 22 && le32(head, 14) == 12)
            return std::pair<qint64, qint64>(le16(head, 18), le16(head, 20));
        if (head.size() >= 26)
            return std::pair<qint64, qint64>(qint32(le32(head, 18)), qint32(le32(head, 22)));
        break;
    case ImageKind::Jpeg: // its size comes after markers of any length: the reader finds it
    case ImageKind::None:
        break;
    }
    return std::nullopt;
}

QByteArray formatOf(ImageKind kind)
{
    switch (kind) {
    case ImageKind::Bmp:
        return "bmp";
    case ImageKind::Png:
        return "png";
    case ImageKind::Gif:
        return "gif";
    case ImageKind::Jpeg:
        return "jpeg";
    case ImageKind::None:
        break;
    }
    return {};
}

} // namespace

void checkGrabSize(const QSize& size, const QString& what)
{
    checkSides(size.width(), size.height(), what);
}

QImage readGrabFile(const QString& path)
{
    const QString quoted = QStringLiteral("\"%1\"").arg(shown(path));
    const auto notAPicture = [&quoted] {
        return Error(QStringLiteral("%1 is not a picture Vorlan Tesselor can load: grabs are BMP, "
                                    "PNG, GIF or JPEG files.")
                         .arg(quoted));
    };
    const QFileInfo info(path);
    if (!info.exists())
        throw Error(QStringLiteral("%1 was not found.").arg(quoted));
    if (!info.isFile()) // a pipe or a device would block or never end
        throw notAPicture();

    // The signature is tested on the same open file that is decoded: a file replaced in the
    // meantime is read whole as it was when opened, never half as one picture and half another.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("%1 could not be opened: %2.").arg(quoted, file.errorString()));
    const QByteArray head = file.peek(32);
    const ImageKind kind = imageKindOf(head, file.size());
    if (kind == ImageKind::None)
        throw notAPicture();

    // Checked before decoding, so that a hostile header cannot make us allocate gigabytes.
    if (const auto sides = headerSize(kind, head))
        checkSides(sides->first, sides->second, quoted);
    // The decoder the signature names, and no other: a file passing as a BMP is never handed
    // to a decoder of some other format that its later bytes happen to suit.
    QImageReader reader(&file, formatOf(kind));
    reader.setAutoDetectImageFormat(false);
    // Qt's own ceiling (128 MB by default) would refuse grabs within ours; decoders of 16-bit
    // colour take 8 bytes a pixel, so twice our limit lets every accepted grab through and still
    // stops a decoder that was told a size other than the one checked.
    reader.setAllocationLimit(int(2 * kMaxGrabBytes / (1024 * 1024)));
    const QSize size = reader.size();
    if (size.isValid())
        checkGrabSize(size, quoted);
    QImage picture = reader.read();
    if (picture.isNull())
        throw Error(QStringLiteral("%1 could not be read as a picture: %2.")
                        .arg(quoted, reader.errorString()));
    checkGrabSize(picture.size(), quoted);
    return picture;
}

WorkingPictures makeWorkingPictures(const QImage& picture)
{
    WorkingPictures pictures;
    // Drawn over black, as a picture with transparent parts shows on the grab page.
    pictures.fullcolour = QImage(picture.size(), QImage::Format_RGB32);
    pictures.fullcolour.fill(Qt::black);
    {
        QPainter painter(&pictures.fullcolour);
        painter.drawImage(0, 0, picture);
    }
    pictures.working = reduceToHalftone(pictures.fullcolour);
    return pictures;
}

} // namespace vt
