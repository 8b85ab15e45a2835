// Unsigned little-endian fields of file headers, read from any byte container.
#pragma once

#include <QtEndian>

#include <cstddef>

namespace vt {

// The 16- and 32-bit fields at `at`; the caller has checked that they lie inside `bytes`.
template <typename Bytes> quint16 le16(const Bytes& bytes, std::size_t at)
{
    return qFromLittleEndian<quint16>(reinterpret_cast<const uchar*>(bytes.data()) + at);
}

template <typename Bytes> quint32 le32(const Bytes& bytes, std::size_t at)
{
    return qFromLittleEndian<quint32>(reinterpret_cast<const uchar*>(bytes.data()) + at);
}

} // namespace vt
