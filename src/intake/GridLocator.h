// Grid location: finds the map's grid of 16 x 15-pixel cells in a loaded grab, whether the grab
// is cropped to the map view or shows the whole game window, and on the way guesses the game and
// the colour scheme. Pure logic: the main window applies the result to its controls.
#pragma once

#include "pictures/GridGeometry.h"
#include "settings/Defaults.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <array>
#include <optional>

namespace vt {

// Whole percentages; a value passes when it is at least the threshold.
struct Thresholds
{
    quint8 prob_match = regdefault::ProbMatch; // the hero check's acceptance
    quint8 pix_match = regdefault::PixelMatch; // two single pixels count as alike
    // The hero at its first place is accepted without trying the second.
    quint8 vorlan_match = regdefault::VorlanMatch;
};

struct LocateInput
{
    const QImage* working = nullptr; // the 8-bit halftone working picture (width W, height H)
    GridGeometry start;   // grid fields on entry (a fresh load has 32 x 32; a "reload" keeps the
                          // current ones, which stand where a search finds nothing)
    int selectedGame = 0; // cb_game's index when the analysis starts (the tentative game)
    bool newLoad = true;  // false for a "reload"
    Thresholds thresholds;
    const QByteArray* hero = nullptr; // byte image of the 34 x 34 hero picture (8-bit, halftone)
};

struct LocateResult
{
    bool recognised = false;         // passed the size classification: the window sets
                                     // screengrab_loaded
    bool windowNotFound = false;     // window-sized grab without a recognisable game window: the
                                     // load ends early
    bool valid = false;              // validity at the end of the colour survey
    char layout = 0;                 // 'A', 'B', or 0 for a map-view grab or an unrecognised one
    GridGeometry grid;               // the grid after the fallback; meaningless when windowNotFound
    bool captionsSet = false;        // the survey wrote the six captions
    std::array<QString, 6> captions; // "Blue: 87%" etc., by colour selector index
    int chosenScheme = -1;           // the survey's choice; -1 when the survey did not run
    int selectGame = -1;             // game index to select in cb_game, -1: leave it
    std::optional<int> detectedGame; // the game the analysis detected (hero check or size),
                                     // whether or not it is selected
};

// The whole analysis of one grab, from the size classification to the grid fallback.
LocateResult locateGrid(const LocateInput& input);

// The colour survey over `area` of the working picture, as the analysis takes it over the map:
// the six captions ("Blue: 87%", set only when some pixel is nearest a swatch) and the scheme
// most pixels are nearest to (0 on a tie or when none is).
struct SchemeSurvey
{
    bool captionsSet = false;
    std::array<QString, 6> captions;
    int chosen = 0;
};
SchemeSurvey surveySchemes(const QImage& working, const QRect& area);

} // namespace vt
