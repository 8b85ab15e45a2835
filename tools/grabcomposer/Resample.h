// Our own picture scaler for composing captures: separable kernels with a sub-pixel phase, so
// that the place of every grab pixel in the scaled picture is known exactly (Qt's scaler says
// nothing of its phase or its kernel).
#pragma once

#include <QImage>
#include <QSize>

namespace vt::test {

enum class Resampler
{
    Nearest,  // each picture pixel takes the grab pixel under its centre
    Bilinear, // a tent over the two nearest grab pixels, whatever the factor (aliases when
              // shrinking)
    Bicubic,  // Keys' cubic (a = -0.5) over the four nearest, whatever the factor
    Area,     // each picture pixel averages the grab area it covers
};

const char* resamplerName(Resampler resampler);

// The picture scaled by `sx` and `sy`: grab pixel (x, y) covers the picture's
// [sx * x + phasex, sx * (x + 1) + phasex) by [sy * y + phasey, ...). The result is `size`
// (by default the grab's size times the factors, rounded half to even); picture pixels beyond
// the grab take its nearest edge. RGB32.
QImage resample(const QImage& picture, double sx, double sy, double phasex, double phasey,
                Resampler resampler, QSize size = QSize());

} // namespace vt::test
