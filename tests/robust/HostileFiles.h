// Picture files made to claim sizes they do not have: headers only, no pixel data behind them.
#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace vt::test::hostile {

// A BMP with the 40-byte header (24 bits a pixel); a negative height stores rows from the top.
QByteArray bmpHeader(qint32 width, qint32 height);
// A BMP with the old 12-byte header and its 16-bit sides.
QByteArray bmpCoreHeader(quint16 width, quint16 height);
// A PNG of 8-bit RGB: the signature, IHDR and IEND, with correct checksums.
QByteArray pngHeader(quint32 width, quint32 height);
// A GIF whose logical screen and first (and only) frame have the given sizes; the frame's one
// code clears it.
QByteArray gifFile(quint16 screenWidth, quint16 screenHeight, quint16 frameWidth,
                   quint16 frameHeight);
// A baseline grey JPEG up to the start of its scan, with a few bytes of scan after it.
QByteArray jpegHeader(quint16 width, quint16 height);

} // namespace vt::test::hostile
