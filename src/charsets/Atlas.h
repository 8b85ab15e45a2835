// Atlas resources and the characters cut from them.
#pragma once

#include <QImage>
#include <QString>

#include <vector>

namespace vt {

// Loads the named atlas resource (plain, or compressed and marked "!HZL") as a picture.
// Throws vt::Error naming the resource when it is missing or not a valid BMP picture.
QImage loadAtlas(const QString& name);

// Cuts `chars` cells of w x h pixels laid out `across` to a row from (sx, sy): cell b from
// (sx + w * (b mod across), sy + h * (b div across)). A bpp of 16 or 32 gives 32-bit
// pictures; any other gives 8-bit pictures reduced to the halftone palette.
std::vector<QImage> Extract(const QImage& atlas, int sx, int sy, int chars, int across, int w,
                            int h, int bpp);

// The character set of a game in a colour scheme: full-size (64 x 64, 32 bits) or map-size
// (16 x 15, 8 bits, halftone palette), in character order.
std::vector<QImage> loadCharacters(int game, int colour, bool fullsize);

} // namespace vt
