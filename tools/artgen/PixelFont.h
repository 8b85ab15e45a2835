// A small pixel font of our own: 5 x 7 capitals and figures, lower case with two rows of
// descender, so no shipped picture depends on the fonts of the machine that made it.
#pragma once

#include "Raster.h"

#include <string_view>

namespace vt::art {

inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphHeight = 9; // 7 above the base line, 2 below
inline constexpr int kGlyphAdvance = 6;

// Whether pixel (x, y) of a character's glyph is set; unknown characters are blank.
bool glyphPixel(char c, int x, int y);

// Width in pixels of a text at a scale (each glyph pixel a scale x scale square).
int textWidth(std::string_view text, int scale);

// Draws the text with its top-left corner at (x, y); `shade(gx, gy)` gives the ink of a
// glyph pixel from its position in the text's own grid of glyph pixels.
void drawText(Tile& tile, std::string_view text, int x, int y, int scale, const Ink& value);
void drawText(Tile& tile, std::string_view text, int x, int y, int scale,
              const std::function<Ink(int gx, int gy)>& shade);

} // namespace vt::art
