// A scene (what the screen showed, with the map's place and which cells something hides) and
// the capture of it: crop, scaling, encoding, and the truth that follows from them.
#pragma once

#include "Composer.h"
#include "Level.h"
#include "Resample.h"
#include "Scenery.h"

#include <cstdint>
#include <vector>

namespace blind {

struct Rect
{
    int x = 0, y = 0, w = 0, h = 0;
    bool meets(const Rect& o) const { return x < o.x + o.w && o.x < x + w && y < o.y + o.h && o.y < y + h; }
};

struct Scene
{
    Canvas img;
    int mapX = 0, mapY = 0;
    Level level;
    std::vector<char> hidden; // per cell: something drawn over it
    std::vector<int> shown;   // per cell: the character drawn, -1 for a picture that is none
    // What the game's geometry fixes and nothing random may cover: the marker's run and the
    // pixels either side, the hero, the reference pixel above a layout-A view, the frame lines
    // of a layout-B view.
    std::vector<Rect> keepClear;
};

// The bounding box of a layer's drawn pixels, placed at (x, y).
Rect drawnBox(const Canvas& layer, int x, int y);

// Scene pixel x lands at off + s * (x - crop) + phase in the final picture (s, phase from
// `sc`, thousandths).
struct Mapping
{
    int offX = 0, offY = 0;
    int cropX = 0, cropY = 0;
    Scaling sc;
};

// A cell's rectangle in the final picture, millionths of a pixel.
struct CellBox
{
    std::int64_t left, top, right, bottom;
};
CellBox cellBox(const Scene& s, const Mapping& m, int c, int r);

// Composites `layer` at (x, y) onto the scene and marks the cells it touches as hidden.
void overlay(Scene& s, const Canvas& layer, int x, int y);
// Marks the cells a layer at (x, y) of the final picture touches; the caller draws it.
void markFinalLayer(Scene& s, const Mapping& m, const Canvas& layer, int x, int y);

struct Encoding
{
    bool jpeg = false;
    int quality = 0;
    bool progressive = false, optimized = false;
};

Grab finish(const std::string& kind, Detail& d, const Scene& s, const Mapping& m, Canvas picture,
            const Encoding& e, int scheme);

} // namespace blind
