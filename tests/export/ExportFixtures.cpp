#include "ExportFixtures.h"

namespace vt::test {

QImage blocksOf256Colours(QImage::Format format)
{
    QImage picture(128, 128, QImage::Format_RGB32);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            const int i = (y / 8) * 16 + x / 8;
            picture.setPixel(x, y, qRgb(i, (i * 37) % 256, 255 - i / 2));
        }
    return picture.convertToFormat(format);
}

QImage gradient()
{
    QImage picture(256, 256, QImage::Format_RGB32);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            picture.setPixel(x, y, qRgb(x, y, 128));
    return picture;
}

QImage rgb(const QImage& picture)
{
    return picture.convertToFormat(QImage::Format_RGB32);
}

} // namespace vt::test
