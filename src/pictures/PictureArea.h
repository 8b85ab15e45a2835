// Cutting a rectangle of a picture into a small BMP byte image at 8 bits per pixel (halftone
// palette), the form in which grab cells and the hero's place are compared.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>

namespace vt {

// Copies `src` one to one from `picture`, reduces it to the halftone palette and writes its
// byte image over `bmp_map` (resized only when its length differs, so that a caller cutting
// many cells reuses one buffer). Pixels outside the picture count as black.
void CopyPictureArea(const QImage& picture, const QRect& src, QByteArray& bmp_map);

// The same, into a new byte image.
QByteArray ExtractPictureArea(const QImage& picture, const QRect& src);

} // namespace vt
