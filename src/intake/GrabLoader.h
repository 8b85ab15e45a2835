// Reading a grab and making its working pictures.
#pragma once

#include <QImage>
#include <QString>

namespace vt {

// Largest grab accepted: no side beyond this, and no more than this many bytes decoded.
inline constexpr int kMaxGrabSide = 16384;
inline constexpr qint64 kMaxGrabBytes = 256ll * 1024 * 1024;

// Reads a grab file (BMP, PNG, GIF or JPEG, told by its first bytes, and decoded as that format
// only). Throws vt::Error naming the file when it is not such a picture, cannot be opened, is
// too large (judged from its header before anything is decoded), or cannot be decoded.
QImage readGrabFile(const QString& path);

// Refuses a picture too large to work on (from the clipboard, say); throws vt::Error.
void checkGrabSize(const QSize& size, const QString& what);

// The grab in full colour (32 bits, no alpha) and reduced to the halftone palette (8 bits).
struct WorkingPictures
{
    QImage fullcolour;
    QImage working;
};
WorkingPictures makeWorkingPictures(const QImage& picture);

} // namespace vt
