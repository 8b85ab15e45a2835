#include "intake/ImageSignature.h"

#include "pictures/LittleEndian.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cstring>

namespace vt {

namespace {

// A regular file, or a link to one: a named pipe would block the open until a writer comes.
bool existsAsFile(const QString& filename)
{
    return QFileInfo(filename).isFile();
}

ImageKind kindOf(const std::array<uchar, 16>& b, quint32 size)
{
    static constexpr uchar kPng[16] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A,
                                       0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52};
    const quint32 bmpSize = le32(b, 2);
    if (b[0] == 'B' && b[1] == 'M' && bmpSize == size)
        return ImageKind::Bmp;
    if (std::memcmp(b.data(), kPng, sizeof kPng) == 0)
        return ImageKind::Png;
    if (std::memcmp(b.data(), "GIF8", 4) == 0 && (b[4] == '7' || b[4] == '9') && b[5] == 'a')
        return ImageKind::Gif;
    if (b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF)
        return ImageKind::Jpeg;
    return ImageKind::None;
}

} // namespace

ImageKind imageKind(const QString& filename)
{
    if (filename.isEmpty() || !existsAsFile(filename))
        return ImageKind::None;

    // Whatever cannot be read stays zero; the checks run on what was read.
    std::array<uchar, 16> head{};
    QFile file(filename);
    const auto size = static_cast<quint32>(QFileInfo(filename).size());
    if (file.open(QIODevice::ReadOnly)) {
        file.read(reinterpret_cast<char*>(head.data()), qint64(head.size()));
        file.close();
    }

    const ImageKind kind = kindOf(head, size);
    // The file may have gone while it was read.
    return existsAsFile(filename) ? kind : ImageKind::None;
}

ImageKind imageKindOf(const QByteArray& head, qint64 size)
{
    std::array<uchar, 16> bytes{};
    std::memcpy(bytes.data(), head.constData(), std::min<std::size_t>(bytes.size(), head.size()));
    return kindOf(bytes, static_cast<quint32>(size));
}

bool IsAnImage(const QString& filename)
{
    return imageKind(filename) != ImageKind::None;
}

} // namespace vt
