// The fixed 256-colour halftone palette that every 8-bit picture of the program is reduced
// to, so that equal colours always get equal palette entries.
#pragma once

#include <QImage>
#include <QList>
#include <QRgb>

#include <array>
#include <cstdint>

namespace vt {

struct PaletteEntry
{
    std::uint8_t red, green, blue;
};

// The 256 entries in palette order.
const std::array<PaletteEntry, 256>& halftoneEntries();

// The palette as a colour table for 8-bit images (opaque).
const QList<QRgb>& halftoneColorTable();

// The entry nearest to a colour (smallest squared distance in RGB, lowest index on a tie).
std::uint8_t nearestHalftoneIndex(QRgb colour);

// The picture at 8 bits per pixel with the halftone palette, every pixel the nearest entry.
// Transparent parts are taken as drawn over black. A null picture gives a null picture.
QImage reduceToHalftone(const QImage& picture);

} // namespace vt
