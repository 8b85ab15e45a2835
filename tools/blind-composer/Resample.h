// Scaling a capture as screen recorders, viewers and compositors do, in integer arithmetic so
// that the result is the same everywhere. A source point u (pixels, edges at whole numbers)
// lands at s * u + phase in the result; s and the phase (of a result pixel) are thousandths.
// The result starts a phase left of the source's edge (edge pixels repeat), so nothing of the
// source is lost to the phase.
#pragma once

#include "Canvas.h"

namespace blind {

enum class Resampler { Nearest, Bilinear, Bicubic, Area };
const char* resamplerName(Resampler r);

struct Scaling
{
    int sx = 1000, sy = 1000; // scale, thousandths
    int fx = 0, fy = 0;       // phase in result pixels, thousandths, 0..999
    Resampler how = Resampler::Nearest;
};

// The result's size: ceil(s * n + phase); the pixels past the source repeat its edge.
int scaledSize(int n, int s, int phase);
Canvas resample(const Canvas& src, const Scaling& sc);

} // namespace blind
