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

// The kind of picture the file's signature shows; None for a missing file, a folder, a device
// or pipe (opening one could wait for ever) or any other content. BMP: "BM" and the little-endian
// size at bytes 2..5 equal to the file's size; PNG: the signature followed by a 13-byte IHDR chunk;
// GIF: GIF87a or GIF89a; JPEG: FF D8 FF.
ImageKind imageKind(const QString& filename);

// The same test on a file's first bytes (fewer than 16 read as zeros for the rest) and its
// size, for a caller that has the file open already.
ImageKind imageKindOf(const QByteArray& head, qint64 size);

bool IsAnImage(const QString& filename);

} // namespace vt
