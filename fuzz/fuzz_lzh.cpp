// The compressed resource stream. An odd first byte: the rest is data that must come back
// unchanged through lzhCompress and lzhDecompress. An even one: the rest is a stream, which
// decodes or raises ELzrw1Exception and nothing else.
#include "charsets/Lzh.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray rest(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    if (data[0] & 1) {
        if (vt::lzhDecompress(vt::lzhCompress(rest)) != rest)
            std::abort();
        return 0;
    }
    try {
        const QByteArray decoded = vt::lzhDecompress(rest);
        if (decoded.size() > vt::Tlzrw1::MaxSize)
            std::abort();
    } catch (const vt::ELzrw1Exception&) {
    }
    return 0;
}
