// The catalogue that puts every character of the games in its place, and the drawing of each
// character.
#include "Characters.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace vt::art {

const std::vector<Art>& catalogue(int game)
{
    static const std::vector<Art> game1{
        Art::Blank,
        Art::Diamond,
        Art::EggWhite,
        Art::Brick,
        Art::BrickTopLeft,
        Art::BrickTopRight,
        Art::BrickBottomLeft,
        Art::BrickBottomRight,
        Art::BrickEdgeLeft,
        Art::BrickEdgeRight,
        Art::BrickEdgeTop,
        Art::BrickEdgeBottom,
        Art::Safe,
        Art::Pillars,
        Art::Earth,
        Art::EarthStrata,
        Art::SpeckledGround,
        Art::GoldBars,
        Art::SmoothEdgeTop,
        Art::SmoothEdgeBottom,
        Art::FourBrickBlocks,
        Art::SmoothEdgeLeft,
        Art::SmoothEdgeRight,
        Art::Key,
        Art::Smooth,
        Art::SmoothTopLeft,
        Art::SmoothTopRight,
        Art::SmoothBottomLeft,
        Art::SmoothBottomRight,
        Art::TwoBrickBlocks,
        Art::Hero,
        Art::Boulder,
        Art::SmallBlocks,
    };
    static const std::vector<Art> game2{
        Art::Blank,
        Art::Diamond,
        Art::Boulder,
        Art::EggWhite,
        Art::Safe,
        Art::Key,
        Art::Cloud,
        Art::Cage,
        Art::FourSquareBlocks,
        Art::Brick,
        Art::BrickTopLeft,
        Art::BrickTopRight,
        Art::BrickEdgeLeft,
        Art::BrickEdgeRight,
        Art::BrickEdgeTop,
        Art::BrickEdgeBottom,
        Art::BrickBottomLeft,
        Art::BrickBottomRight,
        Art::EarthCrossTracks,
        Art::EarthCurvedTracks,
        Art::EarthCurvedTracks2,
        Art::Dotted,
        Art::DottedTopLeft,
        Art::DottedTopRight,
        Art::Squares,
        Art::Hero,
        Art::OctagonTile,
        Art::Skull,
        Art::DottedBottomLeft,
        Art::DottedBottomRight,
        Art::OrangeDisc,
        Art::SkullRed,
        Art::GoldTopBrick,
        Art::EggYellow,
        Art::KeyDisc,
    };
    // By game, in the order of the game table.
    static const std::vector<Art>* const games[] = {&game1, &game2};
    static const std::vector<Art> none;
    if (game < 0 || game >= static_cast<int>(std::size(games)))
        return none;
    return *games[game];
}

void drawCharacter(Art art, Tile& t)
{
    switch (art) {
    case Art::Blank:
        return;
    case Art::Diamond:
        return drawDiamond(t);
    case Art::EggWhite:
        return drawEgg(t, false);
    case Art::EggYellow:
        return drawEgg(t, true);
    case Art::Boulder:
        return drawBoulder(t);
    case Art::Safe:
        return drawSafe(t);
    case Art::Key:
        return drawKey(t);
    case Art::KeyDisc:
        return drawKeyDisc(t);
    case Art::Skull:
        return drawSkull(t, false);
    case Art::SkullRed:
        return drawSkull(t, true);
    case Art::GoldBars:
        return drawGoldBars(t);
    case Art::Hero:
        return drawHero(t);
    case Art::Cage:
        return drawCage(t);
    case Art::Cloud:
        return drawCloud(t);
    case Art::Squares:
        return drawSquares(t);
    case Art::OctagonTile:
        return drawOctagonTile(t);
    case Art::OrangeDisc:
        return drawOrangeDisc(t);
    case Art::Brick:
        return drawWall(t, Texture::Brick, Corner::None, Side::None);
    case Art::BrickTopLeft:
        return drawWall(t, Texture::Brick, Corner::TopLeft, Side::None);
    case Art::BrickTopRight:
        return drawWall(t, Texture::Brick, Corner::TopRight, Side::None);
    case Art::BrickBottomLeft:
        return drawWall(t, Texture::Brick, Corner::BottomLeft, Side::None);
    case Art::BrickBottomRight:
        return drawWall(t, Texture::Brick, Corner::BottomRight, Side::None);
    case Art::BrickEdgeLeft:
        return drawWall(t, Texture::Brick, Corner::None, Side::Left);
    case Art::BrickEdgeRight:
        return drawWall(t, Texture::Brick, Corner::None, Side::Right);
    case Art::BrickEdgeTop:
        return drawWall(t, Texture::Brick, Corner::None, Side::Top);
    case Art::BrickEdgeBottom:
        return drawWall(t, Texture::Brick, Corner::None, Side::Bottom);
    case Art::Smooth:
        return drawWall(t, Texture::Smooth, Corner::None, Side::None);
    case Art::SmoothTopLeft:
        return drawWall(t, Texture::Smooth, Corner::TopLeft, Side::None);
    case Art::SmoothTopRight:
        return drawWall(t, Texture::Smooth, Corner::TopRight, Side::None);
    case Art::SmoothBottomLeft:
        return drawWall(t, Texture::Smooth, Corner::BottomLeft, Side::None);
    case Art::SmoothBottomRight:
        return drawWall(t, Texture::Smooth, Corner::BottomRight, Side::None);
    case Art::SmoothEdgeLeft:
        return drawWall(t, Texture::Smooth, Corner::None, Side::Left);
    case Art::SmoothEdgeRight:
        return drawWall(t, Texture::Smooth, Corner::None, Side::Right);
    case Art::SmoothEdgeTop:
        return drawWall(t, Texture::Smooth, Corner::None, Side::Top);
    case Art::SmoothEdgeBottom:
        return drawWall(t, Texture::Smooth, Corner::None, Side::Bottom);
    case Art::Dotted:
        return drawWall(t, Texture::Dotted, Corner::None, Side::None);
    case Art::DottedTopLeft:
        return drawWall(t, Texture::Dotted, Corner::TopLeft, Side::None);
    case Art::DottedTopRight:
        return drawWall(t, Texture::Dotted, Corner::TopRight, Side::None);
    case Art::DottedBottomLeft:
        return drawWall(t, Texture::Dotted, Corner::BottomLeft, Side::None);
    case Art::DottedBottomRight:
        return drawWall(t, Texture::Dotted, Corner::BottomRight, Side::None);
    case Art::Earth:
        return drawEarth(t, false);
    case Art::EarthStrata:
        return drawEarth(t, true);
    case Art::EarthCrossTracks:
        return drawTrackedEarth(t, 0);
    case Art::EarthCurvedTracks:
        return drawTrackedEarth(t, 1);
    case Art::EarthCurvedTracks2:
        return drawTrackedEarth(t, 2);
    case Art::SpeckledGround:
        return drawSpeckledGround(t);
    case Art::Pillars:
        return drawPillars(t);
    case Art::FourBrickBlocks:
        return drawBrickBlocks(t, 2, 2);
    case Art::TwoBrickBlocks:
        return drawBrickBlocks(t, 2, 1);
    case Art::SmallBlocks:
        return drawSmallBlocks(t);
    case Art::FourSquareBlocks:
        return drawSquareBlocks(t);
    case Art::GoldTopBrick:
        return drawGoldTopBrick(t);
    }
}

} // namespace vt::art
