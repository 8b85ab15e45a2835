// The picture outputs: BMP, PNG, GIF and JPEG written onto any QIODevice, so that the save
// commands, the bulk conversion and the command-line converter write the same bytes.
#pragma once

#include <QImage>
#include <QString>

class QIODevice;

namespace vt {

// Each writer encodes `picture` onto the open `device`, or throws vt::Error whose message is
// the reason (the caller names the file). A null picture is an error. When the device is a
// file, it is flushed, so that a full disk is reported here.

// Windows bitmap through Qt, at the picture's own size and pixel format as far as BMP has it.
void writeBmp(const QImage& picture, QIODevice& device);

// PNG: at 8 bits a pixel with the picture's own colours when it has 256 or fewer (pixel for
// pixel the same picture, its resolution kept), rows unfiltered, deflated by libdeflate at its
// fastest level; otherwise at 24 bits through Qt with its defaults. `indexed`, when given, is
// `picture` at 8 bits with its own colours (a colour table of 256 entries or fewer, as the
// decoding pass draws the converted map): its table and indices are written as they stand,
// with no look-up per pixel. One that is not 8-bit or not of the picture's size is ignored.
void writePng(const QImage& picture, QIODevice& device, const QImage* indexed = nullptr);

// JPEG through Qt's libjpeg writer: quality 100, baseline (not progressive), and always in
// colour, even for a grey or indexed picture whose colours happen to be all grey.
void writeJpeg(const QImage& picture, QIODevice& device);

// GIF through giflib, with the palette of reduceToPalette padded to a power of two (the
// picture's own colours when it has 256 or fewer), or `indexed`'s as writePng takes it. Alpha
// is ignored. Sides above 65535 pixels do not fit a GIF and are an error.
void writeGif(const QImage& picture, QIODevice& device, const QImage* indexed = nullptr);

// The picture at 8 bits per pixel with a colour table of at most 256 opaque entries (alpha
// ignored). Exact when the picture has 256 distinct colours or fewer: the table is then the
// picture's own colours. Otherwise the colours are reduced by median cut, without dithering.
// A null picture gives a null picture.
QImage reduceToPalette(const QImage& picture);

} // namespace vt
