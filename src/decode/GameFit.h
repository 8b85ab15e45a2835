// Which game a map view comes from, told by its content: every cell scored against each game's
// map-size characters. Many characters are the same picture in both games (under another
// index), so a map drawn with only those fits both equally and tells nothing.
#pragma once

#include "pictures/GridGeometry.h"

#include <QImage>

#include <span>
#include <vector>

namespace vt {

struct GameFitScore
{
    int cellsPassing = 0; // cells whose best score reaches prob_match
    int perfect = 0;      // cells that score 100
    quint64 total = 0;    // sum of every cell's best score
};

// How a winner was told from the rest: by the first of the three counts in which it leads.
enum class GameFitDecider
{
    None, // no winner (the leaders are equal in all three), or a single set
    CellsPassing,
    Perfect,
    Total
};

struct GameFitResult
{
    std::vector<GameFitScore> games; // one per candidate set, in the order given
    int best = -1;                   // index of the set that fits best, -1 when uncertain
    bool certain = false;            // one set fits strictly better than every other
    GameFitDecider decidedBy = GameFitDecider::None;
    // The winner is told apart by a count of fitting cells (passing, or else perfect) that
    // leads the runner-up's by at least max(2, 1 % of the cells): a lead in the totals alone,
    // or of a cell or two, is what a speck or a sprite can make.
    bool decisive = false;
};

// Scores every cell of `grid` in `working` (8 bits, halftone palette) against each set of
// map-size characters (16 x 15, 8 bits; one set per game, all in the same colour scheme) and
// ranks the sets: more cells at or above `prob_match`, then more perfect cells, then the higher
// total. Cells reaching past the picture's edge read black there, as in the decoding pass.
GameFitResult fitGames(const QImage& working, const GridGeometry& grid,
                       std::span<const std::vector<QImage>> candidateSets, quint8 prob_match);

} // namespace vt
