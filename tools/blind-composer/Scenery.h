// What a capture shows: the game's map view, the game window round it (layout A or B), other
// windows and the desktop. Where the game fixes a thing (the marker, the hero's place, the
// 512 x 480 view, the map centred in it) it is drawn exactly there; the rest is random.
#pragma once

#include "Canvas.h"
#include "Level.h"

#include <QImage>

#include <string>
#include <vector>

namespace blind {

// The game's pictures in one colour scheme.
struct Art
{
    std::vector<Canvas> characters; // map-size, 16 x 15
    Canvas hero;                    // 34 x 34, on black
};
const Art& artFor(int game, int scheme);

constexpr int kCellW = 16, kCellH = 15;
constexpr int kViewW = 512, kViewH = 480;

// A record of what was chosen, "key=value" items joined by "; ".
struct Detail
{
    std::string text;
    void add(const std::string& key, const std::string& value)
    {
        if (!text.empty())
            text += "; ";
        text += key + "=" + value;
    }
};
std::string hex(Colour c);

// The map's top-left corner in the 512 x 480 view: centred.
inline int mapOffsetX(int columns) { return (32 - columns) * kCellW / 2; }
inline int mapOffsetY(int rows) { return (32 - rows) * kCellH / 2; }

// Draws the map at (x, y), cell by cell.
void drawMap(Canvas& canvas, int x, int y, const Level& level, const Art& art);

// The 512 x 480 view at (vx, vy): layout A the map on `background`, layout B on black framed
// by orange lines across the view. Marks in `hidden` the cells a frame line is drawn over.
void drawView(Canvas& canvas, int vx, int vy, const Level& level, const Art& art, int layout,
              Colour background, std::vector<char>& hidden);

struct GameWindow
{
    Canvas img;           // the whole window, its frame included
    int clientX = 0, clientY = 0, clientW = 0, clientH = 0;
    int viewX = 0, viewY = 0; // the map-view area
    int mapX = 0, mapY = 0;   // the map's top-left corner
    int layout = 0;           // 0 = A, 1 = B
    int markerX = 0, markerY = 0, markerLen = 0; // the marker's run
    int heroX = 0, heroY = 0;                    // the hero picture's corner
    std::vector<char> hidden; // per cell, row-major: something of the window drawn over it
};

GameWindow makeGameWindow(Rng& rng, const Level& level, const Art& art, int layout, Detail& d);

// A window of some other program: frame, title, contents.
void drawOtherWindow(Canvas& canvas, Rng& rng, int x, int y, int w, int h);

// A desktop of w x h: wallpaper, icons, a taskbar and 0..6 other windows. `free` receives the
// area not taken by the taskbar (x, y, w, h).
Canvas makeDesktop(Rng& rng, int w, int h, Detail& d, int free[4]);

// A texture or plain colour for the margins of a crop.
void fillTexture(Canvas& canvas, Rng& rng, int x, int y, int w, int h, Detail& d);

} // namespace blind
