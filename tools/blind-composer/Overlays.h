// Things drawn over a capture: sprites, a mouse cursor, a tooltip, a grey box, a see-through
// rectangle. Each is drawn on a transparent layer; what the layer's pixels cover is what the
// truth marks as hidden.
#pragma once

#include "Canvas.h"
#include "Scenery.h"

#include <string>

namespace blind {

enum class Overlay { Sprite, Cursor, Tooltip, GreyBox, SeeThrough };
const char* overlayName(Overlay o);

// Draws one overlay with its top-left corner near (x, y) on `layer`; `size` bounds sprites and
// boxes (pixels). Returns a short description.
std::string drawOverlay(Canvas& layer, Rng& rng, Overlay kind, int x, int y, int size);

// A 16 x 15 picture of a creature that is no character of the game: the game draws it in a
// cell where a monster stands. It differs from every character of `art` in most pixels.
Canvas cellSprite(Rng& rng, const Art& art);

} // namespace blind
