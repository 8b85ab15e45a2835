// Draws screengrabs for tests, benchmarks and the sample tool: a map view cropped to the map, or
// a whole game window in either layout, with the map drawn from character pictures. No real game
// window is at hand, so the windows are designed from what the grid location reads: the marker
// run and the hero where the window search looks for them, the map centred in the 512 x 480 view
// on a uniform background (layout A) or on black with orange frame lines (layout B), and
// plausible panels around them that offer the searches nothing else to latch on to.
#pragma once

#include "pictures/GridGeometry.h"

#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>

#include <optional>
#include <vector>

namespace vt::test {

// A small, fully specified random source, so that a seed gives the same grab everywhere.
class GrabRandom
{
public:
    explicit GrabRandom(quint64 seed) : m_state(seed) {}
    quint32 next();
    int below(int n); // 0 .. n - 1
    bool chance(int percent) { return below(100) < percent; }

private:
    quint64 m_state;
};

// A map as drawn: character indices by column and row; -1 marks a garbage cell, drawn as noise.
struct GrabMap
{
    int columns = 32;
    int rows = 32;
    std::vector<int> cells; // row * columns + column

    int at(int column, int row) const { return cells[std::size_t(row * columns + column)]; }
    void set(int column, int row, int character)
    {
        cells[std::size_t(row * columns + column)] = character;
    }

    static GrabMap filled(int columns, int rows, int character);
    // A plausible level of a game: a wall around earth, rocks, diamonds, open space and a few
    // of every other character, the hero once.
    static GrabMap random(int game, int columns, int rows, quint64 seed);
    // One line per map row, character indices separated by commas, "unk" for a garbage cell:
    // the program's own table with atlas references reads back, its first line naming the
    // colour scheme (given in `scheme` when asked for). Blank lines are skipped. Nothing, and
    // the reason in `error`, when a cell is not an index or the rows differ in length.
    static std::optional<GrabMap> fromCsv(const QString& text, QString* error = nullptr,
                                          QString* scheme = nullptr);
};

// The pictures a grab is drawn with.
struct GrabArt
{
    std::vector<QImage> characters; // map-size characters, 16 x 15, in character order
    QImage hero;                    // 34 x 34, the hero on black, as the game window draws it

    // The program's own: loadCharacters(game, colour, false) and the "HERO" picture.
    // Throws vt::Error when they are missing.
    static GrabArt shipped(int game, int colour);
};

// Speckles for robustness tests: some cells get a few pixels of random colours.
struct GrabNoise
{
    quint64 seed = 1;
    int cellPercent = 0;   // share of cells that get speckles
    int pixelsPerCell = 8; // speckles in each such cell
};

enum class WindowLayout
{
    A,
    B
};

// What a window looks like where the game leaves it free: the desktop, the frame, the panels'
// colours and decoration, layout A's background. The house style is the look the composer has
// always drawn (the tests' fixtures rely on it); a seeded style draws every free detail at
// random from its seed.
struct WindowStyle
{
    bool house = true;
    quint64 seed = 0;

    static WindowStyle random(quint64 seed) { return WindowStyle{false, seed}; }
};

struct WindowPlacement
{
    WindowLayout layout = WindowLayout::A;
    int game = 0;              // game selector index: decides the marker's and hero's places
    QSize grabSize{1024, 768}; // 512 < width <= 1024, 480 < height <= 768
    QPoint windowAt{8, 8};     // top-left corner of the window's frame in the grab
    WindowStyle style;
};

struct ComposedGrab
{
    QImage image;      // full colour (RGB32)
    GridGeometry grid; // where the map is: origin, size in cells, map-view corner
};

// The map cropped to its cells: 16 x columns by 15 x rows pixels.
QImage composeMapView(const GrabMap& map, const GrabArt& art, const GrabNoise& noise = {});

// A grab of the desktop with the game window on it. Throws std::invalid_argument when the map
// size is not 8, 16, 24 or 32 either way, the grab size is not a window grab's, or the window
// does not fit so that its marker, hero and map view are inside the grab; std::runtime_error when
// the map happens to draw a run that the window search would take for the marker before the real
// one (choose another map or place).
ComposedGrab composeWindow(const GrabMap& map, const GrabArt& art, const WindowPlacement& placement,
                           const GrabNoise& noise = {});

// Offset of the map-view area's corner from the window frame's corner.
QPoint mapViewOffset(WindowLayout layout);

// Width and height of the window's frame, title bar included.
QSize windowFrameSize(WindowLayout layout);

// The picture after saving as JPEG at `quality` and loading again.
QImage jpegRoundTrip(const QImage& picture, int quality);

// The picture with every colour component moved 9 towards the middle (RGB32): colours off the
// halftone palette that reduce to the same entries as before, so that the grab's full-colour
// copy differs from its working picture everywhere while it still decodes alike.
QImage offPalette(const QImage& picture);

} // namespace vt::test
