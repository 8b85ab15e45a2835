#include "intake/ImageSignature.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace vt {
namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

// "BM" with the given size field, padded with zeros to `length` bytes.
QByteArray bmpHead(quint32 sizeField, int length)
{
    QByteArray b = bytes({'B', 'M', int(sizeField & 0xFF), int((sizeField >> 8) & 0xFF),
                          int((sizeField >> 16) & 0xFF), int(sizeField >> 24)});
    b.append(length - b.size(), '\0');
    return b;
}

TEST(ImageSignature, RecognisesFilesByTheirFirstBytes)
{
    const QByteArray png =
        bytes({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'}) +
        QByteArray(40, 'x');
    QByteArray pngOtherChunk = png;
    pngOtherChunk[11] = 14; // a first chunk of 14 bytes
    QByteArray pngNotIhdr = png;
    pngNotIhdr[12] = 'i';

    const struct
    {
        const char* name;
        QByteArray content;
        ImageKind kind;
    } cases[] = {
        {"size-equal.bmp", bmpHead(300, 300), ImageKind::Bmp},
        {"size-unequal.bmp", bmpHead(301, 300), ImageKind::None},
        {"short.bmp", bmpHead(6, 6), ImageKind::Bmp}, // bytes 6..15 read as zeros
        {"a.gif", QByteArray("GIF87a") + QByteArray(20, '\1'), ImageKind::Gif},
        {"b.gif", QByteArray("GIF89a"), ImageKind::Gif},
        {"c.gif", QByteArray("GIF88a") + QByteArray(20, '\1'), ImageKind::None},
        {"d.gif", QByteArray("GIF89b") + QByteArray(20, '\1'), ImageKind::None},
        {"a.png", png, ImageKind::Png},
        {"other-chunk.png", pngOtherChunk, ImageKind::None},
        {"not-ihdr.png", pngNotIhdr, ImageKind::None},
        {"short.png", png.left(12), ImageKind::None}, // the missing IHDR reads as zeros
        {"a.jpg", bytes({0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0}), ImageKind::Jpeg},
        {"not.jpg", bytes({0xFF, 0xD8, 0xFE, 0xE0}), ImageKind::None},
        {"empty.bmp", QByteArray(), ImageKind::None},
        {"text.bmp", QByteArray("just some text, nothing else"), ImageKind::None},
    };

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const auto& c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.content);
        file.close();
        EXPECT_EQ(imageKind(path), c.kind) << c.name;
        EXPECT_EQ(IsAnImage(path), c.kind != ImageKind::None) << c.name;
    }

    // Neither a missing file nor a folder is an image, whatever its name.
    EXPECT_FALSE(IsAnImage(dir.filePath(QStringLiteral("missing.png"))));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.bmp")));
    EXPECT_FALSE(IsAnImage(dir.filePath(QStringLiteral("folder.bmp"))));
    EXPECT_FALSE(IsAnImage(QString()));
}

} // namespace
} // namespace vt
