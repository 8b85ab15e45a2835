#include "Capture.h"

#include "charsets/GameTables.h"

#include <QBuffer>
#include <QImageWriter>

#include <algorithm>
#include <stdexcept>

namespace blind {

namespace {
constexpr std::int64_t kMillion = 1000000;

std::int64_t place(int off, int crop, int s, int phase, std::int64_t x)
{
    return off * kMillion + static_cast<std::int64_t>(s) * 1000 * (x - crop) + 1000 * static_cast<std::int64_t>(phase);
}
} // namespace

CellBox cellBox(const Scene& s, const Mapping& m, int c, int r)
{
    const std::int64_t x0 = s.mapX + c * kCellW, y0 = s.mapY + r * kCellH;
    return {place(m.offX, m.cropX, m.sc.sx, m.sc.fx, x0), place(m.offY, m.cropY, m.sc.sy, m.sc.fy, y0),
            place(m.offX, m.cropX, m.sc.sx, m.sc.fx, x0 + kCellW),
            place(m.offY, m.cropY, m.sc.sy, m.sc.fy, y0 + kCellH)};
}

Rect drawnBox(const Canvas& layer, int x, int y)
{
    int x0 = layer.width(), y0 = layer.height(), x1 = -1, y1 = -1;
    for (int yy = 0; yy < layer.height(); ++yy)
        for (int xx = 0; xx < layer.width(); ++xx)
            if (alpha(layer.at(xx, yy)) != 0) {
                x0 = std::min(x0, xx);
                y0 = std::min(y0, yy);
                x1 = std::max(x1, xx);
                y1 = std::max(y1, yy);
            }
    if (x1 < 0)
        return {x, y, 0, 0};
    return {x + x0, y + y0, x1 - x0 + 1, y1 - y0 + 1};
}

void overlay(Scene& s, const Canvas& layer, int x, int y)
{
    s.img.composite(layer, x, y);
    for (int r = 0; r < s.level.rows; ++r)
        for (int c = 0; c < s.level.columns; ++c) {
            char& hid = s.hidden[static_cast<std::size_t>(r * s.level.columns + c)];
            for (int yy = 0; yy < kCellH && !hid; ++yy)
                for (int xx = 0; xx < kCellW && !hid; ++xx) {
                    const int lx = s.mapX + c * kCellW + xx - x, ly = s.mapY + r * kCellH + yy - y;
                    hid = layer.contains(lx, ly) && alpha(layer.at(lx, ly)) != 0;
                }
        }
}

void markFinalLayer(Scene& s, const Mapping& m, const Canvas& layer, int x, int y)
{
    for (int r = 0; r < s.level.rows; ++r)
        for (int c = 0; c < s.level.columns; ++c) {
            const CellBox b = cellBox(s, m, c, r);
            char& hid = s.hidden[static_cast<std::size_t>(r * s.level.columns + c)];
            for (int ly = 0; ly < layer.height() && !hid; ++ly) {
                const std::int64_t fy = y + ly;
                if (fy * kMillion >= b.bottom || (fy + 1) * kMillion <= b.top)
                    continue;
                for (int lx = 0; lx < layer.width() && !hid; ++lx) {
                    const std::int64_t fx = x + lx;
                    hid = fx * kMillion < b.right && (fx + 1) * kMillion > b.left &&
                          alpha(layer.at(lx, ly)) != 0;
                }
            }
        }
}

Grab finish(const std::string& kind, Detail& d, const Scene& s, const Mapping& m, Canvas picture,
            const Encoding& e, int scheme)
{
    Grab g;
    Truth& t = g.truth;
    t.kind = kind;
    t.game = s.level.game + 1;
    t.scheme = scheme;
    t.columns = s.level.columns;
    t.rows = s.level.rows;
    t.cells = s.shown;
    t.scalex = m.sc.sx;
    t.scaley = m.sc.sy;
    const CellBox o = cellBox(s, m, 0, 0);
    t.originx = o.left;
    t.originy = o.top;
    for (int r = 0; r < t.rows; ++r)
        for (int c = 0; c < t.columns; ++c) {
            const CellBox b = cellBox(s, m, c, r);
            const bool inside = b.left >= 0 && b.top >= 0 && b.right <= picture.width() * kMillion &&
                                b.bottom <= picture.height() * kMillion;
            t.visible.push_back(inside && !s.hidden[static_cast<std::size_t>(r * t.columns + c)] ? 1 : 0);
        }

    QBuffer buffer(&g.bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, e.jpeg ? "jpeg" : "png");
    if (e.jpeg) {
        writer.setQuality(e.quality);
        writer.setProgressiveScanWrite(e.progressive);
        writer.setOptimizedWrite(e.optimized);
        d.add("jpeg", "quality " + std::to_string(e.quality) + (e.progressive ? " progressive" : "") +
                          (e.optimized ? " optimized" : ""));
    }
    if (!writer.write(picture.toImage()))
        throw std::runtime_error("cannot encode the grab: " + writer.errorString().toStdString());
    g.extension = e.jpeg ? QStringLiteral("jpg") : QStringLiteral("png");
    d.add("picture", std::to_string(picture.width()) + "x" + std::to_string(picture.height()));
    t.detail = d.text;
    g.picture = std::move(picture);
    return g;
}

namespace {

void appendNumber(QByteArray& out, std::int64_t num, std::int64_t den)
{
    if (num < 0) {
        out += '-';
        num = -num;
    }
    out += QByteArray::number(static_cast<qlonglong>(num / den));
    std::int64_t frac = num % den;
    if (frac == 0)
        return;
    out += '.';
    for (std::int64_t unit = den / 10; unit > 0 && frac > 0; unit /= 10) {
        out += static_cast<char>('0' + frac / unit);
        frac %= unit;
    }
}

QByteArray quoted(const std::string& s)
{
    QByteArray out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (static_cast<unsigned char>(c) < 0x20)
            continue;
        out += c;
    }
    return out + "\"";
}

template <typename T> QByteArray list(const std::vector<T>& v)
{
    QByteArray out = "[";
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (i)
            out += ',';
        out += QByteArray::number(static_cast<int>(v[i]));
    }
    return out + "]";
}

} // namespace

QByteArray truthJson(const Truth& t)
{
    QByteArray out = "{";
    out += "\"kind\": " + quoted(t.kind);
    out += ",\n \"detail\": " + quoted(t.detail);
    out += ",\n \"game\": " + QByteArray::number(t.game);
    out += ",\n \"scheme\": " + quoted(vt::colour_names[static_cast<std::size_t>(t.scheme)]);
    out += ",\n \"columns\": " + QByteArray::number(t.columns);
    out += ",\n \"rows\": " + QByteArray::number(t.rows);
    out += ",\n \"cells\": " + list(t.cells);
    out += ",\n \"visible\": " + list(t.visible);
    out += ",\n \"originx\": ";
    appendNumber(out, t.originx, kMillion);
    out += ",\n \"originy\": ";
    appendNumber(out, t.originy, kMillion);
    out += ",\n \"scalex\": ";
    appendNumber(out, t.scalex, 1000);
    out += ",\n \"scaley\": ";
    appendNumber(out, t.scaley, 1000);
    out += "}\n";
    return out;
}

} // namespace blind
