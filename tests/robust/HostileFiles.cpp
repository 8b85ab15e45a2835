#include "HostileFiles.h"

namespace vt::test::hostile {

namespace {

void le16(QByteArray& b, quint32 v)
{
    b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}

void le32(QByteArray& b, quint32 v)
{
    le16(b, v & 0xFFFF);
    le16(b, v >> 16);
}

void be16(QByteArray& b, quint32 v)
{
    b.append(char((v >> 8) & 0xFF)).append(char(v & 0xFF));
}

void be32(QByteArray& b, quint32 v)
{
    be16(b, v >> 16);
    be16(b, v & 0xFFFF);
}

quint32 crc32(const QByteArray& data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : data) {
        crc ^= uchar(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void pngChunk(QByteArray& png, const char* type, const QByteArray& data)
{
    be32(png, quint32(data.size()));
    const QByteArray typed = QByteArray(type) + data;
    png.append(typed);
    be32(png, crc32(typed));
}

} // namespace

QByteArray bmpHeader(qint32 width, qint32 height)
{
    QByteArray b("BM");
    le32(b, 54); // the file's size, which the signature test checks
    le32(b, 0);
    le32(b, 54);
    le32(b, 40);
    le32(b, quint32(width));
    le32(b, quint32(height));
    le16(b, 1);
    le16(b, 24);
    for (int i = 0; i < 6; ++i)
        le32(b, 0);
    return b;
}

QByteArray bmpCoreHeader(quint16 width, quint16 height)
{
    QByteArray b("BM");
    le32(b, 26);
    le32(b, 0);
    le32(b, 26);
    le32(b, 12);
    le16(b, width);
    le16(b, height);
    le16(b, 1);
    le16(b, 24);
    return b;
}

QByteArray pngHeader(quint32 width, quint32 height)
{
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray ihdr;
    be32(ihdr, width);
    be32(ihdr, height);
    ihdr.append(char(8)).append(char(2)).append(3, '\0');
    pngChunk(png, "IHDR", ihdr);
    pngChunk(png, "IEND", {});
    return png;
}

QByteArray gifFile(quint16 screenWidth, quint16 screenHeight, quint16 frameWidth,
                   quint16 frameHeight)
{
    QByteArray gif("GIF89a");
    le16(gif, screenWidth);
    le16(gif, screenHeight);
    gif.append(char(0x80)).append(2, '\0'); // a global table of two colours
    gif.append(QByteArray("\x00\x00\x00\xFF\xFF\xFF", 6));
    gif.append(',');
    le32(gif, 0); // left, top
    le16(gif, frameWidth);
    le16(gif, frameHeight);
    gif.append('\0');
    gif.append(QByteArray("\x02\x02\x44\x01\x00;", 6)); // clear, end of data
    return gif;
}

QByteArray jpegHeader(quint16 width, quint16 height)
{
    QByteArray j("\xFF\xD8", 2);
    j.append("\xFF\xDB", 2);
    be16(j, 67);
    j.append('\0').append(64, '\1');
    j.append("\xFF\xC0", 2);
    be16(j, 11);
    j.append(char(8));
    be16(j, height);
    be16(j, width);
    j.append(char(1)).append(QByteArray("\x01\x11\x00", 3));
    for (const char table : {'\x00', '\x10'}) {
        j.append("\xFF\xC4", 2);
        be16(j, 31);
        j.append(table);
        j.append(
            QByteArray("\x00\x01\x05\x01\x01\x01\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00", 16));
        for (int v = 0; v < 12; ++v)
            j.append(char(v));
    }
    j.append("\xFF\xDA", 2);
    be16(j, 8);
    j.append(QByteArray("\x01\x01\x00\x00\x3F\x00", 6));
    j.append(100, '\0').append("\xFF\xD9", 2);
    return j;
}

} // namespace vt::test::hostile
