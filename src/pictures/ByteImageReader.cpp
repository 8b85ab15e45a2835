#include "pictures/ByteImageReader.h"

#include "pictures/BmpByteImage.h"

#include <utility>

namespace vt {

ByteImageReader::ByteImageReader(const QImage& picture)
    : ByteImageReader(bmpByteImage(picture), static_cast<quint32>(picture.width()),
                      static_cast<quint32>(picture.height()))
{}

ByteImageReader::ByteImageReader(QByteArray byteImage, quint32 width, quint32 height)
    : m_bytes(std::move(byteImage)), m_width(width), m_height(height)
{
    m_offBits = vt::OffBits(m_bytes);
    m_stride = bmpStride(m_width);
    for (int v = 0; v < 256; ++v)
        m_colours[v] = GetRGB(static_cast<quint8>(v), m_bytes);
}

} // namespace vt
