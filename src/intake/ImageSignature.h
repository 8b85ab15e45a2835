// Recognises a picture file by its first bytes, before it is handed to a decoder.
#pragma once

#include <QString>

namespace vt {

enum class ImageKind
{
    None,
    Bmp,
    Png,
    Gif,
    Jpeg
};

// The kind of picture the file's signature shows; None for a missing file, a folder or any
// other content. BMP: "BM" and the little-endian size at bytes 2..5 equal to the file's size;
// PNG: the signature followed by a 13-byte IHDR chunk; GIF: GIF87a or GIF89a; JPEG: FF D8 FF.
ImageKind imageKind(const QString& filename);

bool IsAnImage(const QString& filename);

} // namespace vt
