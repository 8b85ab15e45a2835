// Pixel access to the working picture through its BMP byte image, as the grid location reads it.
#pragma once

#include <QByteArray>
#include <QImage>

#include <array>

namespace vt {

class ByteImageReader
{
public:
    ByteImageReader() = default;
    // The byte image of the (8-bit) working picture.
    explicit ByteImageReader(const QImage& picture);
    // An existing byte image of a width x height picture.
    ByteImageReader(QByteArray byteImage, quint32 width, quint32 height);

    const QByteArray& bytes() const { return m_bytes; }
    quint32 OffBits() const { return m_offBits; }
    quint32 stride() const { return m_stride; }
    quint32 width() const { return m_width; }
    quint32 height() const { return m_height; }

    // Position read for picture coordinates (x, y): OffBits + (H - y) * stride + x in unsigned
    // 32-bit arithmetic, clamped into [OffBits, length - 1]. The row term is H - y, so row y
    // reads the stored pixel of row y - 1 and y = 0 lands on the last byte; the grid location's
    // offsets are tuned to this rule.
    quint32 PixelIndex(quint32 x, quint32 y) const
    {
        const auto length = static_cast<quint32>(m_bytes.size());
        quint32 i = m_offBits + (m_height - y) * m_stride + x;
        if (i >= length)
            i = length - 1;
        if (i < m_offBits)
            i = m_offBits;
        return i;
    }

    // The palette index read at (x, y); 0 for an image without pixel data.
    quint8 byteAt(quint32 x, quint32 y) const
    {
        const quint32 i = PixelIndex(x, y);
        return i < static_cast<quint32>(m_bytes.size())
                   ? static_cast<quint8>(m_bytes.constData()[i])
                   : 0;
    }

    // GetRGB of the byte read at (x, y).
    quint32 colourAt(quint32 x, quint32 y) const { return m_colours[byteAt(x, y)]; }

    // GetRGB of every palette entry, for per-entry lookup tables.
    const std::array<quint32, 256>& colours() const { return m_colours; }

private:
    QByteArray m_bytes;
    quint32 m_offBits = 0;
    quint32 m_stride = 0;
    quint32 m_width = 0;
    quint32 m_height = 0;
    std::array<quint32, 256> m_colours{};
};

} // namespace vt
