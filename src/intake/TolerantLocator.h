// Tolerant grid location, for grabs that are not pixel-perfect: JPEG grabs, map views cropped
// with loose margins, game windows anywhere on a desktop, captures scaled by whole factors or by
// display scaling. Where the exact analysis (locateGrid) finds no grid, or one that decoding
// contradicts, this searches more widely and keeps the grid whose cells fit the game's
// characters best. Window-free: the caller applies the result.
#pragma once

#include "intake/GrabLoader.h"
#include "intake/GridLocator.h"
#include "pictures/GridGeometry.h"

#include <QByteArray>
#include <QImage>
#include <QPointF>

#include <functional>
#include <optional>
#include <vector>

namespace vt {

// The map-size characters of `game` in colour scheme `scheme` as byte images (16 x 15, 8 bits,
// halftone palette), the candidates a cell is scored against. The reference must stay valid.
using CharacterSource = std::function<const std::vector<QByteArray>&(int game, int scheme)>;

// The program's own characters, made once and shared by every thread.
CharacterSource shippedCharacters();

struct TolerantInput
{
    const QImage* working = nullptr;    // the grab at 8 bits, halftone palette
    const QImage* fullcolour = nullptr; // the same grab in full colour
    Thresholds thresholds;
    const QByteArray* hero = nullptr; // byte image of the 34 x 34 hero picture
    CharacterSource characters;
    int game = -1; // a game held by the user: only its places and characters are tried
};

// How a grid was found.
enum class LocatedBy
{
    Exact,    // the exact analysis (locateGrid) of the grab as it stands
    Tolerant, // the tolerant search, in the grab as it is
    Scaled,   // the tolerant search, after bringing a scaled capture back to 1:1
    Fallback, // nothing found: the grid is a guess
};

struct TolerantLocation
{
    GridGeometry grid; // in `pictures` when scaled back, else in the grab itself
    int game = 0;      // game selector index
    int scheme = 0;    // colour selector index
    LocatedBy located_by = LocatedBy::Tolerant;
    double scale = 1;  // grab pixels per game pixel, across
    double scaley = 1; // and down
    QPointF corner;    // where the 1:1 copy's first pixel begins in the grab
    // The grab brought back to 1:1 (working and full-colour copies from the same place) when
    // located_by is Scaled; empty otherwise.
    std::optional<WorkingPictures> pictures;
    int matched = 0; // cells scoring at least prob_match with the game's characters
    int cells = 0;
    bool certain = false; // nearly every cell matched, and the other game fits no better
};

// Searches the grab; nothing when no grid with matching cells is found anywhere. Time is bounded
// on every picture within the size limits.
std::optional<TolerantLocation> locateTolerant(const TolerantInput& input);

// How many cells of `grid` in `working` score at least `prob_match` against `characters`, out
// of how many (every `step`-th column and row), and their scores summed.
struct GridFit
{
    int matched = 0;
    int cells = 0;
    long scores = 0; // the cells' scores summed: which of two sets that both pass fits better
    double share() const { return cells ? double(matched) / cells : 0.0; }
};
GridFit fitOfGrid(const QImage& working, const GridGeometry& grid,
                  const std::vector<QByteArray>& characters, quint8 prob_match, int step = 1);

// The colour scheme whose swatch colour most pixels of `area` are nearest to (the colour survey
// of the exact analysis, over every `step`-th pixel); 0 when none is.
int surveyScheme(const QImage& working, const QRect& area, int step = 1);

} // namespace vt
