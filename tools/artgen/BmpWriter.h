// BMP files written byte by byte, so the atlases are the same on every machine.
#pragma once

#include "Raster.h"

#include <QByteArray>

#include <vector>

namespace vt::art {

// 16 bits per pixel, BI_BITFIELDS with masks 0xF800, 0x07E0, 0x001F, bottom-up.
QByteArray bmp16(int width, int height, const std::vector<Rgb>& pixels);

// 8 bits per pixel with the halftone palette as its colour table, bottom-up; every pixel
// takes the palette entry nearest to its colour.
QByteArray bmp8Halftone(int width, int height, const std::vector<Rgb>& pixels);

// 24 bits per pixel, bottom-up.
QByteArray bmp24(int width, int height, const std::vector<Rgb>& pixels);

} // namespace vt::art
