// The searches behind the tolerant grid location: game windows found by near-marker runs and
// the hero, and scaled captures found and brought back to 1:1. Internal to intake/.
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

// A capture scaled by a whole factor with pixels replicated: the factor and where the first
// whole block of pixels starts.
struct Replication
{
    int factor = 1;
    int phaseX = 0;
    int phaseY = 0;
};
std::optional<Replication> detectReplication(const QImage& fullcolour);
WorkingPictures decimate(const QImage& fullcolour, const Replication& replication);

// A capture enlarged with smoothing (display scaling): each enlarged pixel a blend of the two
// game pixels around its centre along each axis.
struct SmoothScale
{
    double factor = 1;
    double error = 0; // mean difference per channel between the grab and the recovery enlarged
};
// The one of 125, 150, 175 and 200 % whose recovery, enlarged again, gives back the grab (on a
// patch); nothing when none does.
std::optional<SmoothScale> estimateSmoothScale(const QImage& fullcolour);
// The game's picture recovered from an enlargement by `factor`, in palette colours.
WorkingPictures resample(const QImage& fullcolour, double factor);

} // namespace vt::tolerant
