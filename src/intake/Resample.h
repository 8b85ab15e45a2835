// A capture brought back to the game's own pixels: each game pixel the mean of the middle of
// the picture pixels it became, so that the blend a smoothing scaler leaves at its edges weighs
// little and a reduced capture is averaged, not sampled.
#pragma once

#include "intake/GrabLoader.h"
#include "intake/Lattice.h"

#include <QImage>
#include <QRect>

namespace vt {

// Game pixel X lies at picture x = phase + scale * X. The game pixels whose centres lie in a
// picture of `picture`'s size.
QRect gameArea(const Lattice& lattice, QSize picture);

// The game pixels of `area` read from `fullcolour` (the picture's edge pixels read for any
// that lie outside it), in full colour: by the inverse of linear enlargement where that
// explains the picture nearly exactly and `invertLinear`, else by averaging.
QImage gamePixels(const QImage& fullcolour, const Lattice& lattice, const QRect& area,
                  bool invertLinear = true);

// The game pixels of `fullcolour` under `lattice` (its gameArea), in full colour and reduced to
// the halftone palette.
WorkingPictures resampleToGame(const QImage& fullcolour, const Lattice& lattice);

// `lattice` moved to where linear enlargement of game pixels explains `part` of the picture
// best, when it explains it nearly exactly (a capture enlarged by display scaling); as it was
// otherwise. The periodicity and the cells' fit place a lattice to a fraction of a pixel; the
// inverse of the enlargement needs it exact.
Lattice polishLinear(const QImage& fullcolour, Lattice lattice, const QRect& part);

} // namespace vt
