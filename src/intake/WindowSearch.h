// Game windows found in a picture at 1:1 by near-marker runs and the hero, wherever they lie
// and however their marker was blurred. Internal to intake/.
#pragma once

#include "intake/GrabLoader.h"
#include "intake/GridLocator.h"

#include <QByteArray>
#include <QImage>
#include <QPoint>

#include <optional>
#include <vector>

namespace vt::tolerant {

// A game window: the corner of its 512 x 480 map view, the game its hero stands for, and how
// well the hero matched (CompareBitmaps' score, up to 106).
struct WindowHit
{
    QPoint view;
    int game = 0;
    char layout = 'A';
    int heroScore = 0;
};

// Runs of near-marker colour (each pixel alike at pix_match or more) of the marker's length
// within a few pixels, the top one of a stack of such runs, with the hero looked for a few
// pixels around its place. Best hero first; at most a few dozen runs are followed, so the time
// is bounded by one pass over the pixels per layout. `game` -1 tries both games' places.
std::vector<WindowHit> findWindows(const QImage& working, const QByteArray& hero,
                                   const Thresholds& thresholds, int game);

} // namespace vt::tolerant
