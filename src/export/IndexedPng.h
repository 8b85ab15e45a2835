// The PNG file of an 8-bit picture, coded here rather than by Qt's encoder: libpng deflates
// through zlib a row at a time, and on a converted map its own work per row took as long
// again as libdeflate's whole coding.
#pragma once

#include <QByteArray>
#include <QImage>

namespace vt {

// The whole file of `indexed` (Format_Indexed8, at most 256 colours, opaque: alpha is not
// written) at 8 bits a pixel with its colour table as the palette: the chunks Qt writes for
// such a picture, the header, the palette, the resolution when either figure is positive,
// the rows, unfiltered, in one stream deflated by libdeflate at its fastest level, and the
// end. Throws vt::Error when the memory runs out.
QByteArray indexedPng(const QImage& indexed, int dotsPerMeterX, int dotsPerMeterY);

} // namespace vt
