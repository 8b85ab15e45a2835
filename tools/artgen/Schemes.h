// Colour schemes: how a drawn ink becomes a colour in the full-size and map-size atlases, and
// the rule that keeps the map-size characters readable by the colour-scheme survey.
#pragma once

#include "Raster.h"

namespace vt::art {

inline constexpr int kSchemeCount = 6;

// The scheme's swatch (Blue, Cyan, Green, Magenta, Orange, Red).
Rgb swatch(int scheme);

// Full-size colour of an ink (before the atlas stores it at 16 bits). Tones snap to the
// scheme's shade ramp: steps of 1 / kFullToneSteps, with the swatch (tone 0.6) on a step.
inline constexpr int kFullToneSteps = 25;
Rgb fullColour(const Ink& value, int scheme);

// Map-size colour of an ink: always a colour of the halftone cube that the survey counts for
// this scheme or for no scheme (see allowedInScheme).
Rgb mapColour(const Ink& value, int scheme);

// Nearest colour of the 6 x 6 x 6 cube, for pictures that are reduced to the halftone palette.
Rgb cubeColour(Rgb colour);

// The colour comparison of the decoder: 256 minus the luminance-weighted distance, rounded.
int diff(Rgb a, Rgb b);

// The survey's reference colours: the six swatches, then black, yellow, white and grey.
inline constexpr int kReferenceCount = 10;
Rgb reference(int index);
// The reference nearest to a colour by 256 - diff, the first one on a tie.
int nearestReference(Rgb colour);
// A pixel of scheme s may be nearest to swatch s or to one of the four neutral references.
bool allowedInScheme(Rgb colour, int scheme);

// RGB565 as the 16-bit atlas stores a colour, and the colour it reads back as.
int toRgb565(Rgb colour);
Rgb fromRgb565(int value);

} // namespace vt::art
