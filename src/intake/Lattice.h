// The lattice of a capture: how many picture pixels one game pixel became along each axis, and
// where the game's pixels begin, to a fraction of a pixel. Found from the picture alone, by the
// periodicity of its edges: a map repeats its characters every 16 x 15 game pixels, and the
// game's pixels themselves leave edges on a lattice of their own.
#pragma once

#include <QImage>
#include <QRect>

#include <vector>

namespace vt {

// Grab pixels x with phase + scale * X <= x < phase + scale * (X + 1) show game pixel X.
struct AxisLattice
{
    double scale = 1;
    double phase = 0;  // in [0, scale)
    double weight = 0; // how strongly the picture repeats at this pitch (comparable per axis)
};

struct Lattice
{
    AxisLattice x;
    AxisLattice y;
    bool byMarker = false; // from the length of a window's marker, not the picture's periodicity
    // Within a part in a few hundred of 1:1 both ways: the grab is searched as it is.
    bool oneToOne() const;
};

constexpr double kMinScale = 0.75;
constexpr double kMaxScale = 4.0;

// The pitches along one axis, best first: `profile` holds, per position, how much neighbouring
// lines differ there; `cell` is the cell's side in game pixels (16 across, 15 down). Each
// candidate's scale lies in [kMinScale, kMaxScale]. Exposed for the tests.
std::vector<AxisLattice> axisLattices(const std::vector<double>& profile, int cell,
                                      int count = 8);

// The likeliest lattices of `fullcolour`, best first (about `count`); none for a picture too
// small to show a lattice. `mapLike` gets the part of the picture that repeats most like a map.
std::vector<Lattice> estimateLattices(const QImage& fullcolour, int count = 4,
                                      QRect* mapLike = nullptr);

} // namespace vt
