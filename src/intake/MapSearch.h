// The map in a picture at 1:1, wherever it lies: where the exact analysis puts it, in the view of
// a game window found by its marker and hero, or as a loose map view on the lattice whose
// phase fits characters best; each place refined and weighed by how its cells fit. Internal to
// the tolerant location.
#pragma once

#include "intake/TolerantLocator.h"

#include <QImage>

#include <optional>

namespace vt::tolerant {

// A grid and how it fits.
struct Candidate
{
    GridGeometry grid;
    int game = 0;
    int scheme = 0;
    GridFit fit;
    int distinct = 0; // matched cells of a character that is not a single colour
    long weight = 0;  // the cells' weights summed
    double otherShare = 0;
    long value() const { return weight; }
};

// The best grid in `working` (a picture at 1:1), if any cell fits at all.
std::optional<Candidate> locateAtOneToOne(const TolerantInput& input, const QImage& working);

// How well the best phase of a lattice fits characters in the middle of `working`: the scores
// of the 4 x 4 cells there that match a character of more than one colour.
long patchScore(const TolerantInput& input, const QImage& working);

} // namespace vt::tolerant
