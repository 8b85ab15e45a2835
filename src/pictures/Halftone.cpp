#include "pictures/Halftone.h"

#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace vt {

namespace {

const std::array<PaletteEntry, 256> kEntries{{
#include "pictures/HalftonePalette.inc"
}};

int squaredDistance(int r, int g, int b, const PaletteEntry& e)
{
    const int dr = r - e.red;
    const int dg = g - e.green;
    const int db = b - e.blue;
    return dr * dr + dg * dg + db * db;
}

// Nearest-entry search without 256 distances per pixel: colour space is cut into 16 x 16 x 16
// boxes, and each box keeps only the entries that can be nearest to some colour inside it
// (an entry whose closest possible distance exceeds another entry's farthest possible one
// never wins). The candidates stay in palette order, so ties still go to the lowest index.
class NearestIndex
{
public:
    NearestIndex()
    {
        m_candidates.resize(kBoxes * kBoxes * kBoxes);
        for (int br = 0; br < kBoxes; ++br)
            for (int bg = 0; bg < kBoxes; ++bg)
                for (int bb = 0; bb < kBoxes; ++bb)
                    fillBox(br, bg, bb);
    }

    std::uint8_t operator()(int r, int g, int b) const
    {
        const auto& candidates = m_candidates[boxOf(r >> 4, g >> 4, b >> 4)];
        std::uint8_t best = candidates.front();
        int bestDistance = squaredDistance(r, g, b, kEntries[best]);
        for (std::size_t i = 1; i < candidates.size(); ++i) {
            const int d = squaredDistance(r, g, b, kEntries[candidates[i]]);
            if (d < bestDistance) {
                bestDistance = d;
                best = candidates[i];
            }
        }
        return best;
    }

private:
    static constexpr int kBoxes = 16;

    static int boxOf(int br, int bg, int bb) { return (br * kBoxes + bg) * kBoxes + bb; }

    static int axisNear(int lo, int hi, int v) { return v < lo ? lo - v : (v > hi ? v - hi : 0); }
    static int axisFar(int lo, int hi, int v)
    {
        return std::max(std::abs(v - lo), std::abs(v - hi));
    }

    void fillBox(int br, int bg, int bb)
    {
        const int r0 = br * 16, g0 = bg * 16, b0 = bb * 16;
        int bound = INT32_MAX;
        for (const PaletteEntry& e : kEntries) {
            const int fr = axisFar(r0, r0 + 15, e.red);
            const int fg = axisFar(g0, g0 + 15, e.green);
            const int fb = axisFar(b0, b0 + 15, e.blue);
            bound = std::min(bound, fr * fr + fg * fg + fb * fb);
        }
        auto& list = m_candidates[boxOf(br, bg, bb)];
        for (int i = 0; i < 256; ++i) {
            const PaletteEntry& e = kEntries[i];
            const int nr = axisNear(r0, r0 + 15, e.red);
            const int ng = axisNear(g0, g0 + 15, e.green);
            const int nb = axisNear(b0, b0 + 15, e.blue);
            if (nr * nr + ng * ng + nb * nb <= bound)
                list.push_back(static_cast<std::uint8_t>(i));
        }
    }

    std::vector<std::vector<std::uint8_t>> m_candidates;
};

const NearestIndex& nearestIndex()
{
    static const NearestIndex index;
    return index;
}

} // namespace

const std::array<PaletteEntry, 256>& halftoneEntries()
{
    return kEntries;
}

const QList<QRgb>& halftoneColorTable()
{
    static const QList<QRgb> table = [] {
        QList<QRgb> colours;
        colours.reserve(256);
        for (const PaletteEntry& e : kEntries)
            colours.append(qRgb(e.red, e.green, e.blue));
        return colours;
    }();
    return table;
}

std::uint8_t nearestHalftoneIndex(QRgb colour)
{
    return nearestIndex()(qRed(colour), qGreen(colour), qBlue(colour));
}

QImage reduceToHalftone(const QImage& picture)
{
    if (picture.isNull())
        return {};
    QImage rgb;
    if (picture.hasAlphaChannel()) {
        rgb = QImage(picture.size(), QImage::Format_RGB32);
        rgb.fill(Qt::black);
        QPainter painter(&rgb);
        painter.drawImage(0, 0, picture);
    } else {
        rgb = picture.convertToFormat(QImage::Format_RGB32);
    }

    QImage result(rgb.size(), QImage::Format_Indexed8);
    result.setColorTable(halftoneColorTable());
    const NearestIndex& nearest = nearestIndex();
    const int width = rgb.width(); // read once: the pixel loop is the hot one of every load
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* source = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* target = result.scanLine(y);
        // Grabs are made of long runs of one colour: remember the last answer.
        QRgb last = (source[0] & 0xFFFFFFu) ^ 1u;
        uchar lastIndex = 0;
        for (int x = 0; x < width; ++x) {
            const QRgb colour = source[x] & 0xFFFFFFu;
            if (colour != last) {
                last = colour;
                lastIndex = nearest(qRed(colour), qGreen(colour), qBlue(colour));
            }
            target[x] = lastIndex;
        }
    }
    return result;
}

} // namespace vt
