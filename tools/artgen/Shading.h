// Shading and hand-drawn map-size cells, shared by the objects (Objects.cpp) and the creatures
// (Creatures.cpp).
#pragma once

#include "Raster.h"

#include <vector>

namespace vt::art {

// Light from the top left and in front. Returns the diffuse light (0 to 1) and the highlight
// of a surface with the unit normal (nu, nv, nz).
struct Lighting
{
    double diffuse;
    double highlight;
};
Lighting light(double nu, double nv, double nz);

// The colour of a lit surface between its dark, base and light colours; map-size cells use
// three flat steps so the snapped colours stay clean, full size a dozen or so colours.
Ink lit(const Tile& t, int x, int y, Rgb dark, Rgb base, Rgb bright, const Lighting& l);

// Normal of an ellipsoid at (u, v); false outside.
bool domeNormal(double u, double v, double cu, double cv, double ru, double rv, double& nu,
                double& nv, double& nz);

// Map-size cells of several objects are drawn by hand: at 16 x 15 a shape computed from the
// full-size description loses its face. One character per pixel, '.' leaves the pixel.
void drawSprite(Tile& t, const std::vector<const char*>& rows);

} // namespace vt::art
