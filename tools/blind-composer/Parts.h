// The pieces the kinds are made of (Composer.cpp), shared with the kinds that need more than a
// few lines (Kinds.cpp).
#pragma once

#include "Capture.h"

#include <string>

namespace blind {

// The map: game, scheme, size and content; `smallOnly` asks for a second-game map smaller
// than 32 x 32.
Level chooseMap(Rng& rng, Detail& d, int& scheme, bool smallOnly);

Scene sceneOf(const GameWindow& gw, const Level& level);
// True when r covers nothing the game's geometry fixes.
bool clearOfGeometry(const Scene& s, const Rect& r);

// A game window on a desktop and a window-sized grab of it.
struct WindowShot
{
    Scene scene;
    GameWindow gw;
    int winX = 0, winY = 0;
    Rect grab;
};
WindowShot windowShot(Rng& rng, const Level& level, const Art& art, Detail& d);
// A game window alone; the grab is the map exactly.
Scene viewScene(Rng& rng, const Level& level, const Art& art, Detail& d, Rect& grab);

Mapping plain(const Rect& grab);
Encoding jpegOf(Rng& rng, int lo, int hi);
// A mouse cursor somewhere in the grab with probability per / 1000.
void maybeCursor(Rng& rng, Scene& s, const Rect& grab, Detail& d, int per);
// A view, a window grab or (with probability desktopPer / 1000) a desktop of at most
// maxW x maxH.
Scene baseScene(Rng& rng, const Level& level, const Art& art, Detail& d, Rect& grab, int desktopPer,
                int maxW = 3840, int maxH = 2160);
Scene desktopScene(Rng& rng, const Level& level, const Art& art, Detail& d, Rect& grab, int maxW,
                   int maxH);
Grab scaledGrab(const std::string& kind, Detail& d, const Scene& s, const Rect& grab, const Scaling& sc,
                int scheme, const Encoding& e = {});

Grab composeCrop(const std::string& kind, Rng& rng, Detail& d, const Level& level, const Art& art, int scheme);
Grab composeCutoff(const std::string& kind, Rng& rng, Detail& d, const Level& level, const Art& art, int scheme);
Grab composeScanlines(const std::string& kind, Rng& rng, Detail& d, const Level& level, const Art& art, int scheme);
Grab composeVideo(const std::string& kind, Rng& rng, Detail& d, const Level& level, const Art& art, int scheme);
Grab composeDisplay(const std::string& kind, Rng& rng, Detail& d, const Level& level, const Art& art, int scheme);

} // namespace blind
