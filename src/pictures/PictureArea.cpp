#include "pictures/PictureArea.h"

#include "pictures/BmpByteImage.h"
#include "pictures/Halftone.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace vt {

namespace {

using Remap = std::array<uchar, 256>;

// The halftone reduction of a halftone picture is not quite the identity: the palette holds
// some colours twice and the reduction picks the first entry, so indices go through this map.
const Remap& halftoneRemap()
{
    static const Remap remap = [] {
        Remap r{};
        const QList<QRgb>& table = halftoneColorTable();
        for (int i = 0; i < 256; ++i)
            r[i] = nearestHalftoneIndex(table[i]);
        return r;
    }();
    return remap;
}

// The working picture (8-bit, halftone palette): indices are copied straight into the byte
// image, with no scratch picture.
void copyHalftoneArea(const QImage& picture, const QRect& src, QByteArray& bmp_map)
{
    const int w = std::max(src.width(), 0);
    const int h = std::max(src.height(), 0);
    uchar* pixels = beginBmpByteImage(bmp_map, w, h, halftoneColorTable());
    const quint32 stride = bmpStride(static_cast<quint32>(w));
    const Remap& remap = halftoneRemap();
    const uchar black = nearestHalftoneIndex(qRgb(0, 0, 0));

    // Columns of the area that lie inside the picture.
    const int x0 = std::clamp(-src.x(), 0, w);
    const int x1 = std::clamp(picture.width() - src.x(), x0, w);
    for (int y = 0; y < h; ++y) {
        uchar* out = pixels + static_cast<quint32>(h - 1 - y) * stride;
        const int py = src.y() + y;
        if (py < 0 || py >= picture.height()) {
            std::memset(out, black, static_cast<std::size_t>(w));
            continue;
        }
        const uchar* in = picture.constScanLine(py);
        std::memset(out, black, static_cast<std::size_t>(x0));
        for (int x = x0; x < x1; ++x)
            out[x] = remap[in[src.x() + x]];
        std::memset(out + x1, black, static_cast<std::size_t>(w - x1));
    }
}

// Any other picture: a full-colour scratch copy, black where the area leaves the picture, then
// the halftone reduction.
void copyOtherArea(const QImage& picture, const QRect& src, QByteArray& bmp_map)
{
    const int w = std::max(src.width(), 0);
    const int h = std::max(src.height(), 0);
    if (w == 0 || h == 0) {
        beginBmpByteImage(bmp_map, w, h, halftoneColorTable());
        return;
    }
    const QImage::Format format =
        picture.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    QImage scratch(w, h, format);
    scratch.fill(qRgb(0, 0, 0));
    const QRect area(src.x(), src.y(), w, h);
    const QRect inside = area.intersected(picture.rect());
    if (!inside.isEmpty()) {
        const QImage part = picture.copy(inside).convertToFormat(format);
        const int dx = inside.x() - area.x();
        const int dy = inside.y() - area.y();
        for (int y = 0; y < part.height(); ++y)
            std::memcpy(scratch.scanLine(dy + y) + 4 * dx, part.constScanLine(y),
                        static_cast<std::size_t>(4 * part.width()));
    }
    writeBmpByteImage(reduceToHalftone(scratch), bmp_map);
}

} // namespace

void CopyPictureArea(const QImage& picture, const QRect& src, QByteArray& bmp_map)
{
    if (picture.format() == QImage::Format_Indexed8 && picture.colorTable() == halftoneColorTable())
        copyHalftoneArea(picture, src, bmp_map);
    else
        copyOtherArea(picture, src, bmp_map);
}

QByteArray ExtractPictureArea(const QImage& picture, const QRect& src)
{
    QByteArray out;
    CopyPictureArea(picture, src, out);
    return out;
}

} // namespace vt
