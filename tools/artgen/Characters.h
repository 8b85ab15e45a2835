// The characters of the games, drawn from one description at both sizes: 64 x 64 for the
// full-size atlases, 16 x 15 for the map-size atlases.
#pragma once

#include "Raster.h"

#include <vector>

namespace vt::art {

enum class Art
{
    Blank,
    Diamond,
    EggWhite,
    EggYellow,
    Boulder,
    Safe,
    Key,
    KeyDisc,
    Skull,
    SkullRed,
    GoldBars,
    Hero,
    Cage,
    Cloud,
    Squares,
    OctagonTile,
    OrangeDisc,
    Brick,
    BrickTopLeft,
    BrickTopRight,
    BrickBottomLeft,
    BrickBottomRight,
    BrickEdgeLeft,
    BrickEdgeRight,
    BrickEdgeTop,
    BrickEdgeBottom,
    Smooth,
    SmoothTopLeft,
    SmoothTopRight,
    SmoothBottomLeft,
    SmoothBottomRight,
    SmoothEdgeLeft,
    SmoothEdgeRight,
    SmoothEdgeTop,
    SmoothEdgeBottom,
    Dotted,
    DottedTopLeft,
    DottedTopRight,
    DottedBottomLeft,
    DottedBottomRight,
    Earth,
    EarthStrata,
    EarthCrossTracks,
    EarthCurvedTracks,
    EarthCurvedTracks2,
    SpeckledGround,
    Pillars,
    FourBrickBlocks,
    TwoBrickBlocks,
    SmallBlocks,
    FourSquareBlocks,
    GoldTopBrick,
};

// The gold of the keys, the yellow egg, the padlock, the safe's dial and the gold coping, in
// shadow, lit and bright: one gold shared by all of them spends fewer of an atlas's colours.
inline constexpr Rgb kGoldDark{150, 95, 0};
inline constexpr Rgb kGold{245, 195, 35};
inline constexpr Rgb kGoldBright{255, 245, 160};

// The characters of a game in atlas order, by game table index; empty for a game without art.
const std::vector<Art>& catalogue(int game);

// Draws the character on a black tile; the tile's size chooses the level of detail.
void drawCharacter(Art art, Tile& tile);

// Objects (Objects.cpp).
void drawDiamond(Tile& tile);
void drawEgg(Tile& tile, bool yellow);
void drawBoulder(Tile& tile);
void drawOrangeDisc(Tile& tile);
void drawSafe(Tile& tile);
void drawKey(Tile& tile);
void drawKeyDisc(Tile& tile);
void drawCage(Tile& tile);
void drawGoldBars(Tile& tile);
void drawSquares(Tile& tile);
void drawOctagonTile(Tile& tile);

// Creatures (Creatures.cpp).
void drawSkull(Tile& tile, bool redGround);
void drawCloud(Tile& tile);
void drawHero(Tile& tile);

// Walls, ground and blocks (Walls.cpp).
enum class Texture
{
    Brick,
    Smooth,
    Dotted
};
enum class Side
{
    None,
    Left,
    Right,
    Top,
    Bottom
};
enum class Corner
{
    None,
    TopLeft,
    TopRight,
    BottomLeft,
    BottomRight
};

void drawWall(Tile& tile, Texture texture, Corner corner, Side side);
void drawEarth(Tile& tile, bool strata);
void drawTrackedEarth(Tile& tile, int arrangement); // 0 crossing, 1 and 2 curves
void drawSpeckledGround(Tile& tile);
void drawPillars(Tile& tile);
void drawBrickBlocks(Tile& tile, int rows, int columns);
void drawSmallBlocks(Tile& tile);
void drawSquareBlocks(Tile& tile);
void drawGoldTopBrick(Tile& tile);

// Shared by the objects and the walls: fills the pixels inside a shape, telling the shader how
// many pixels (up to `reach`) lie between the pixel and the shape's edge towards the light
// (up and left) and away from it (down and right); 0 means the pixel is on that edge.
using InsideFn = std::function<bool(double u, double v)>;
using BevelShader = std::function<Ink(int x, int y, int towardLight, int awayFromLight)>;
void bevelFill(Tile& tile, const InsideFn& inside, int reach, const BevelShader& shader);

} // namespace vt::art
