#include "GrabComposer.h"

#include "charsets/Atlas.h"
#include "charsets/GameTables.h"
#include "charsets/Resources.h"
#include "decode/CellCompare.h"
#include "pictures/Error.h"
#include "pictures/Halftone.h"

#include <QBuffer>
#include <QPainter>

#include <algorithm>
#include <array>
#include <optional>
#include <stdexcept>

namespace vt::test {

namespace {

constexpr int kViewWidth = 512;
constexpr int kViewHeight = 480;

// Where the window search looks, from the map-view corner. It reads row y + 1 for row y and
// takes RX one right of the run's first pixel, so a window origin of (RX - 549, RY - 174) puts
// the run's first pixel at (548, 173), and a hero place of (RX + 102, RY + 102) at (651, 276).
struct PanelPlaces
{
    QPoint marker; // first pixel of the marker run
    int markerLength;
    QPoint hero;
};

PanelPlaces placesOf(WindowLayout layout, int game)
{
    if (layout == WindowLayout::A)
        return game == 0 ? PanelPlaces{{548, 173}, 204, {651, 276}}
                         : PanelPlaces{{548, 146}, 204, {583, 283}};
    return game == 0 ? PanelPlaces{{513, 2}, 124, {532, 298}}
                     : PanelPlaces{{513, 2}, 124, {532, 363}};
}

// The client area around the map view, in view coordinates. Layout A keeps a margin of the
// background colour above the view, where the map search takes its reference colour.
QRect clientOf(WindowLayout layout)
{
    return layout == WindowLayout::A ? QRect(-8, -8, 784, 504) : QRect(-4, -4, 668, 488);
}

constexpr int kBorder = 3;
constexpr int kTitle = 22;

QRect frameOf(WindowLayout layout)
{
    return clientOf(layout).adjusted(-kBorder, -kBorder - kTitle, kBorder, kBorder);
}

const QColor kDesktop(0, 128, 128);
const QColor kMarkerRed(204, 51, 0);
const QColor kFrameOrange(255, 128, 0);
const QColor kPanelGrey(153, 153, 153);

// Layout A's background candidates: dark and muted, each nearest to a neutral survey colour.
const QColor kBackgrounds[] = {{51, 51, 102},   {102, 51, 51},   {51, 102, 51},
                               {102, 102, 153}, {153, 102, 102}, {204, 204, 204}};

// The free details of one window, as drawn.
struct Look
{
    QColor desktop = kDesktop;
    QColor face{192, 192, 192};
    QColor title{0, 0, 128};
    QColor panel = kPanelGrey;
    std::optional<QColor> background; // layout A's; none: chosen against the map (backgroundFor)
    std::optional<quint64> decoration; // extra boxes and text in the panel
};

QColor anyColourOf(GrabRandom& random)
{
    return QColor(random.below(256), random.below(256), random.below(256));
}

Look lookOf(const WindowStyle& style)
{
    Look look;
    if (style.house)
        return look;
    GrabRandom random(style.seed ^ 0x5bd1e995ull);
    look.desktop = anyColourOf(random);
    look.face = anyColourOf(random);
    look.title = anyColourOf(random);
    look.panel = anyColourOf(random);
    // Any uniform colour at all; now and then one of the house's.
    look.background = random.chance(25) ? kBackgrounds[random.below(6)] : anyColourOf(random);
    look.decoration = random.next();
    return look;
}

void fill(QImage& image, const QRect& r, const QColor& c)
{
    QPainter p(&image);
    p.fillRect(r, c);
}

void blit(QImage& target, const QImage& source, QPoint at)
{
    QPainter p(&target);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(at, source.convertToFormat(QImage::Format_RGB32));
}

// Text stand-in: a line of word-sized bars, as text looks from a distance.
void greekedText(QImage& image, QPoint at, int width, int height, const QColor& c, quint64 seed)
{
    GrabRandom random(seed);
    int x = at.x();
    while (x < at.x() + width) {
        const int word = std::min(6 + random.below(22), at.x() + width - x);
        fill(image, QRect(x, at.y(), word, height), c);
        x += word + 4;
    }
}

void bevel(QImage& image, const QRect& r, const QColor& face)
{
    fill(image, r, face);
    fill(image, QRect(r.left(), r.top(), r.width(), 1), face.lighter(130));
    fill(image, QRect(r.left(), r.top(), 1, r.height()), face.lighter(130));
    fill(image, QRect(r.left(), r.bottom(), r.width(), 1), face.darker(150));
    fill(image, QRect(r.right(), r.top(), 1, r.height()), face.darker(150));
}

// A box of black with a one-pixel grey rim, so that its rows are black runs of exactly its width.
void blackBox(QImage& image, const QRect& inner, const QColor& rim = QColor(102, 102, 102))
{
    fill(image, inner.adjusted(-1, -1, 1, 1), rim);
    fill(image, inner, Qt::black);
}

// Seven-segment style digits, one 8 x 14 cell each.
void digits(QImage& image, QPoint at, const QString& text, const QColor& c)
{
    static const quint8 segments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    for (int i = 0; i < text.size(); ++i) {
        const int d = text[i].digitValue();
        if (d < 0)
            continue;
        const quint8 s = segments[d];
        const int x = at.x() + 10 * i;
        const int y = at.y();
        if (s & 0x01)
            fill(image, QRect(x + 1, y, 6, 2), c);
        if (s & 0x02)
            fill(image, QRect(x + 6, y + 1, 2, 6), c);
        if (s & 0x04)
            fill(image, QRect(x + 6, y + 7, 2, 6), c);
        if (s & 0x08)
            fill(image, QRect(x + 1, y + 12, 6, 2), c);
        if (s & 0x10)
            fill(image, QRect(x, y + 7, 2, 6), c);
        if (s & 0x20)
            fill(image, QRect(x, y + 1, 2, 6), c);
        if (s & 0x40)
            fill(image, QRect(x + 1, y + 6, 6, 2), c);
    }
}

QColor randomCubeColour(GrabRandom& random)
{
    return QColor(51 * random.below(6), 51 * random.below(6), 51 * random.below(6));
}

// The map's cells at `at`: characters, garbage cells as noise, then the speckles.
void drawCells(QImage& image, QPoint at, const GrabMap& map, const GrabArt& art,
               const GrabNoise& noise)
{
    GrabRandom garbage(noise.seed * 7919 + 17);
    for (int r = 0; r < map.rows; ++r) {
        for (int c = 0; c < map.columns; ++c) {
            const QPoint cell = at + QPoint(kCellWidth * c, kCellHeight * r);
            const int ch = map.at(c, r);
            if (ch >= 0 && ch < int(art.characters.size())) {
                blit(image, art.characters[std::size_t(ch)], cell);
                continue;
            }
            for (int y = 0; y < kCellHeight; ++y)
                for (int x = 0; x < kCellWidth; ++x)
                    image.setPixel(cell.x() + x, cell.y() + y, randomCubeColour(garbage).rgb());
        }
    }
    if (noise.cellPercent <= 0)
        return;
    GrabRandom random(noise.seed);
    for (int r = 0; r < map.rows; ++r)
        for (int c = 0; c < map.columns; ++c) {
            if (!random.chance(noise.cellPercent))
                continue;
            for (int i = 0; i < noise.pixelsPerCell; ++i) {
                const int x = at.x() + kCellWidth * c + random.below(kCellWidth);
                const int y = at.y() + kCellHeight * r + random.below(kCellHeight);
                image.setPixel(x, y, randomCubeColour(random).rgb());
            }
        }
}

quint32 colourValue(QRgb c)
{
    return quint32(qBlue(c)) << 16 | quint32(qGreen(c)) << 8 | quint32(qRed(c));
}

// The colour a pixel has in the working picture.
quint32 reducedColour(QRgb c)
{
    const PaletteEntry& e = halftoneEntries()[nearestHalftoneIndex(c)];
    return quint32(e.blue) << 16 | quint32(e.green) << 8 | quint32(e.red);
}

// The background that differs most clearly from the map's top-left pixel, the first sample of
// the margin search that lands on the map.
QColor backgroundFor(QRgb firstMapPixel)
{
    const quint32 pixel = reducedColour(firstMapPixel);
    QColor best = kBackgrounds[0];
    int bestMatch = 101;
    for (const QColor& candidate : kBackgrounds) {
        const int match = pixelMatchPercent(reducedColour(candidate.rgb()), pixel);
        if (match <= 85)
            return candidate;
        if (match < bestMatch) {
            bestMatch = match;
            best = candidate;
        }
    }
    return best;
}

void drawDesktop(QImage& image, const Look& look)
{
    image.fill(look.desktop);
    // A few icons down the left edge.
    const QColor icons[] = {{255, 255, 204}, {51, 102, 204}, {204, 153, 51}};
    for (int i = 0; i < 3; ++i) {
        const QRect icon(14, 14 + 72 * i, 32, 32);
        bevel(image, icon, icons[i]);
        greekedText(image, QPoint(8, icon.bottom() + 6), 44, 4, Qt::white, 100 + quint64(i));
    }
}

void drawChrome(QImage& image, const QRect& frame, const QRect& client, const Look& look)
{
    bevel(image, frame, look.face);
    const QRect title(frame.left() + kBorder, frame.top() + kBorder, frame.width() - 2 * kBorder,
                      kTitle - 2);
    fill(image, title, look.title);
    fill(image, QRect(title.left() + 3, title.top() + 2, 16, 16), QColor(255, 204, 102));
    greekedText(image, QPoint(title.left() + 26, title.top() + 7), 150, 6, Qt::white, 7);
    for (int i = 0; i < 3; ++i) {
        const QRect button(title.right() - 20 * (i + 1), title.top() + 2, 16, 16);
        bevel(image, button, look.face);
        fill(image, QRect(button.left() + 4, button.top() + 7, 8, 2), QColor(51, 51, 51));
    }
    fill(image, client, Qt::black);
}

void drawPanelA(QImage& image, QPoint view, int game, const QImage& hero, const Look& look)
{
    const auto v = [&](int x, int y, int w, int h) {
        return QRect(view.x() + x, view.y() + y, w, h);
    };
    bevel(image, v(524, 0, 244, 480), look.panel);
    bevel(image, v(536, 12, 220, 32), game == 0 ? QColor(153, 0, 51) : QColor(0, 102, 51));
    greekedText(image, view + QPoint(548, 24), 196, 8, QColor(255, 255, 102), 11 + quint64(game));

    const PanelPlaces places = placesOf(WindowLayout::A, game);
    if (game == 0) {
        // Score above; the black viewer box below it starts with the marker row, the hero inside.
        blackBox(image, v(560, 100, 180, 50));
        digits(image, view + QPoint(590, 118), QStringLiteral("0012450"), QColor(0, 204, 0));
        blackBox(image, v(places.marker.x(), places.marker.y(), places.markerLength, 167));
        for (int i = 0; i < 3; ++i)
            fill(image, v(562 + 22 * i, 196, 14, 10), QColor(255, 204, 0));
    } else {
        // A status display whose top row is the marker; the hero in a box of its own lower down.
        blackBox(image, v(places.marker.x(), places.marker.y(), places.markerLength, 85));
        digits(image, view + QPoint(572, 172), QStringLiteral("00310"), QColor(255, 255, 0));
        digits(image, view + QPoint(672, 172), QStringLiteral("07"), QColor(255, 255, 0));
        blackBox(image, v(places.hero.x() - 8, places.hero.y() - 8, 50, 50));
        bevel(image, v(640, 240, 116, 30), QColor(204, 153, 51));
        greekedText(image, view + QPoint(648, 252), 100, 6, QColor(51, 0, 0), 23);
    }
    blit(image, hero, view + places.hero);

    bevel(image, v(536, 380, 220, 40), QColor(51, 51, 153));
    greekedText(image, view + QPoint(548, 396), 190, 7, Qt::white, 31);
    for (int i = 0; i < 3; ++i)
        bevel(image, v(536 + 76 * i, 436, 68, 30), QColor(204, 204, 204));
}

void drawPanelB(QImage& image, QPoint view, int game, const QImage& hero, const Look& look)
{
    const auto v = [&](int x, int y, int w, int h) {
        return QRect(view.x() + x, view.y() + y, w, h);
    };
    const PanelPlaces places = placesOf(WindowLayout::B, game);
    // Energy bar: its top row is the marker.
    fill(image, v(places.marker.x(), places.marker.y(), places.markerLength, 8), kMarkerRed);
    digits(image, view + QPoint(524, 24), QStringLiteral("0004200"), QColor(255, 204, 0));
    fill(image, v(520, 52, 132, 1), kFrameOrange);

    const auto frameBox = [&](const QRect& inner) {
        fill(image, inner.adjusted(-1, -1, 1, 1), kFrameOrange);
        fill(image, inner, Qt::black);
    };
    frameBox(v(places.hero.x() - 8, places.hero.y() - 8, 50, 50));
    if (game == 1) {
        // Where the first game shows its hero this one has an item plate.
        bevel(image, v(524, 290, 128, 52), look.panel);
        greekedText(image, view + QPoint(530, 310), 110, 6, Qt::white, 41);
    }
    blit(image, hero, view + places.hero);
    for (int i = 0; i < 4; ++i)
        fill(image, v(524 + 30 * i, 440, 22, 22), QColor(51, 153, 255).darker(100 + 20 * i));
}

// Boxes and text of random colours in the panel beside the view, clear of the marker's and the
// hero's places (the game fixes those).
void decorate(QImage& image, QPoint view, WindowLayout layout, int game, const Look& look)
{
    if (!look.decoration)
        return;
    GrabRandom random(*look.decoration);
    const PanelPlaces places = placesOf(layout, game);
    const QRect panel = layout == WindowLayout::A ? QRect(view + QPoint(526, 2), QSize(240, 476))
                                                  : QRect(view + QPoint(516, 12), QSize(144, 468));
    const QRect marker = QRect(view + places.marker, QSize(places.markerLength, 1))
                             .adjusted(-3, -3, 3, layout == WindowLayout::A ? 170 : 11);
    const QRect hero = QRect(view + places.hero, QSize(34, 34)).adjusted(-10, -10, 10, 10);
    for (int i = 3 + random.below(10); i > 0; --i) {
        const QRect box(panel.left() + random.below(panel.width() - 8),
                        panel.top() + random.below(panel.height() - 8), 8 + random.below(120),
                        6 + random.below(60));
        const QRect r = box.intersected(panel);
        if (r.intersects(marker) || r.intersects(hero))
            continue;
        const QColor face = anyColourOf(random);
        if (random.chance(50))
            bevel(image, r, face);
        else
            fill(image, r, face);
        if (r.width() > 20 && r.height() > 10)
            greekedText(image, r.topLeft() + QPoint(4, 4), r.width() - 8, 4 + random.below(4),
                        anyColourOf(random), random.next());
    }
}

// Layout B frames the map with orange lines across the view: one above the map and one down its
// first column (the search wants the left line within that column), with their partners just
// outside the map's bottom and right edges. A map that fills the view in one direction has no
// lines across that direction.
void drawFrameB(QImage& image, QPoint view, const QRect& map)
{
    if (map.height() < kViewHeight) {
        fill(image, QRect(view.x(), map.top() - 1, kViewWidth, 1), kFrameOrange);
        fill(image, QRect(view.x(), map.bottom() + 1, kViewWidth, 1), kFrameOrange);
    }
    if (map.width() < kViewWidth) {
        fill(image, QRect(map.left(), view.y() - 4, 1, kViewHeight + 8), kFrameOrange);
        fill(image, QRect(map.right() + 1, view.y() - 4, 1, kViewHeight + 8), kFrameOrange);
    }
}

// True when the window search would meet a run of exactly `length` marker-coloured pixels before
// the real marker: rows from the scan's start down to the marker's row, left of the marker there.
bool accidentalMarker(const QImage& working, quint32 markerColour, int length, QPoint scanStart,
                      QPoint marker)
{
    const QList<QRgb> table = working.colorTable();
    std::array<bool, 256> isMarker{};
    for (int i = 0; i < table.size() && i < 256; ++i)
        isMarker[std::size_t(i)] = colourValue(table[i]) == markerColour;
    const int firstRow = scanStart.y() - 1; // row y is read at y + 1
    for (int y = firstRow; y <= marker.y(); ++y) {
        const uchar* line = working.constScanLine(y);
        const int from = y == firstRow ? scanStart.x() + 1 : scanStart.x();
        const int to = y == marker.y() ? marker.x() : working.width();
        for (int x = from; x < to; ++x) {
            if (!isMarker[line[x]])
                continue;
            int end = x;
            while (end < working.width() && isMarker[line[end]])
                ++end;
            if (end - x == length && x < working.width() - length)
                return true;
            x = end;
        }
    }
    return false;
}

void checkMapSize(const GrabMap& map)
{
    if (!IsValidMapSize(map.columns) || !IsValidMapSize(map.rows))
        throw std::invalid_argument("a window shows maps of 8, 16, 24 or 32 cells either way");
    if (map.cells.size() != std::size_t(map.columns) * std::size_t(map.rows))
        throw std::invalid_argument("the map's cells do not match its size");
}

} // namespace

quint32 GrabRandom::next()
{
    // splitmix64
    m_state += 0x9E3779B97F4A7C15ull;
    quint64 z = m_state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<quint32>((z ^ (z >> 31)) >> 32);
}

int GrabRandom::below(int n)
{
    return n <= 1 ? 0 : static_cast<int>(next() % quint32(n));
}

GrabMap GrabMap::filled(int columns, int rows, int character)
{
    GrabMap map;
    map.columns = columns;
    map.rows = rows;
    map.cells.assign(std::size_t(columns) * std::size_t(rows), character);
    return map;
}

GrabMap GrabMap::random(int game, int columns, int rows, quint64 seed)
{
    // Character indices of the pieces a level is mostly made of.
    const int wall = game == 0 ? 3 : 9;
    const int earth[] = {game == 0 ? 14 : 18, game == 0 ? 15 : 19, game == 0 ? 14 : 20};
    const int rock = game == 0 ? 31 : 2;
    const int hero = game == 0 ? 30 : 25;
    const int count = char_count[std::size_t(game)];

    GrabRandom random(seed);
    GrabMap map = filled(columns, rows, wall);
    for (int r = 1; r < rows - 1; ++r) {
        for (int c = 1; c < columns - 1; ++c) {
            const int roll = random.below(100);
            int ch;
            if (roll < 50)
                ch = earth[random.below(3)];
            else if (roll < 65)
                ch = 0;
            else if (roll < 75)
                ch = rock;
            else if (roll < 82)
                ch = 1;
            else
                ch = random.below(count);
            map.set(c, r, ch == hero ? 0 : ch);
        }
    }
    if (columns > 2 && rows > 2)
        map.set(1 + random.below(columns - 2), 1 + random.below(rows - 2), hero);
    return map;
}

std::optional<GrabMap> GrabMap::fromCsv(const QString& text, QString* error, QString* scheme)
{
    const auto fail = [&](const QString& why) -> std::optional<GrabMap> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    GrabMap map;
    map.columns = 0;
    map.rows = 0;
    bool first = true;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty())
            continue;
        const QStringList fields = line.split(QLatin1Char(','));
        bool numeric = false;
        fields.front().trimmed().toInt(&numeric);
        if (first && fields.size() == 1 && !numeric && fields.front() != QLatin1String("unk")) {
            // The table's first line: the colour scheme's name.
            if (scheme)
                *scheme = line;
            first = false;
            continue;
        }
        first = false;
        if (map.rows == 0)
            map.columns = int(fields.size());
        else if (int(fields.size()) != map.columns)
            return fail(QStringLiteral("row %1 has %2 cells, the first row %3")
                            .arg(map.rows + 1)
                            .arg(fields.size())
                            .arg(map.columns));
        for (const QString& field : fields) {
            const QString cell = field.trimmed();
            const bool garbage = cell == QLatin1String("unk");
            bool ok = false;
            const int v = garbage ? -1 : cell.toInt(&ok);
            if (!garbage && (!ok || v < -1))
                return fail(QStringLiteral("row %1: \"%2\" is not a character index")
                                .arg(map.rows + 1)
                                .arg(cell));
            map.cells.push_back(v);
        }
        ++map.rows;
    }
    if (map.rows == 0)
        return fail(QStringLiteral("the map is empty"));
    return map;
}

GrabArt GrabArt::shipped(int game, int colour)
{
    GrabArt art;
    art.characters = loadCharacters(game, colour, false);
    art.hero = programPicture(QStringLiteral("HERO"));
    if (art.hero.isNull())
        throw Error(QStringLiteral("The hero picture is missing from the program."));
    return art;
}

QImage composeMapView(const GrabMap& map, const GrabArt& art, const GrabNoise& noise)
{
    if (map.columns <= 0 || map.rows <= 0 ||
        map.cells.size() != std::size_t(map.columns) * std::size_t(map.rows))
        throw std::invalid_argument("the map's cells do not match its size");
    QImage image(kCellWidth * map.columns, kCellHeight * map.rows, QImage::Format_RGB32);
    image.fill(Qt::black);
    drawCells(image, QPoint(0, 0), map, art, noise);
    return image;
}

QPoint mapViewOffset(WindowLayout layout)
{
    return -frameOf(layout).topLeft();
}

QSize windowFrameSize(WindowLayout layout)
{
    return frameOf(layout).size();
}

ComposedGrab composeWindow(const GrabMap& map, const GrabArt& art, const WindowPlacement& placement,
                           const GrabNoise& noise)
{
    checkMapSize(map);
    const QSize size = placement.grabSize;
    if (size.width() <= 512 || size.width() > 1024 || size.height() <= 480 || size.height() > 768)
        throw std::invalid_argument("a window grab is wider than 512 and up to 1024 pixels, "
                                    "higher than 480 and up to 768");
    const WindowLayout layout = placement.layout;
    const int game = placement.game == 0 ? 0 : 1;
    const PanelPlaces places = placesOf(layout, game);
    const QPoint view = placement.windowAt + mapViewOffset(layout);
    const QPoint marker = view + places.marker;
    if (placement.windowAt.x() < 0 || placement.windowAt.y() < 0 ||
        marker.x() + places.markerLength >= size.width() || view.y() + kViewHeight > size.height())
        throw std::invalid_argument("the window's marker, hero or map view would leave the grab");

    const int mapWidth = kCellWidth * map.columns;
    const int mapHeight = kCellHeight * map.rows;
    const QRect mapRect(view.x() + (kViewWidth - mapWidth) / 2,
                        view.y() + (kViewHeight - mapHeight) / 2, mapWidth, mapHeight);

    const Look look = lookOf(placement.style);
    QImage image(size, QImage::Format_RGB32);
    drawDesktop(image, look);
    drawChrome(image, frameOf(layout).translated(view), clientOf(layout).translated(view), look);

    // The map first, so that layout A's background can be chosen against its first pixel.
    drawCells(image, mapRect.topLeft(), map, art, noise);
    if (layout == WindowLayout::A) {
        const QImage cells = image.copy(mapRect);
        fill(image, clientOf(layout).translated(view),
             look.background ? *look.background : backgroundFor(cells.pixel(0, 0)));
        blit(image, cells, mapRect.topLeft());
        drawPanelA(image, view, game, art.hero, look);
    } else {
        drawFrameB(image, view, mapRect);
        drawPanelB(image, view, game, art.hero, look);
    }
    decorate(image, view, layout, game, look);
    blit(image, art.hero, view + places.hero);

    const QImage working = reduceToHalftone(image);
    const bool accidental = layout == WindowLayout::A
                                ? accidentalMarker(working, 0x000000, 204, QPoint(549, 147), marker)
                                : accidentalMarker(working, 13260, 124, QPoint(514, 3), marker);
    if (accidental)
        throw std::runtime_error("the map draws a run the window search would take for the "
                                 "marker; choose another map or window place");

    ComposedGrab grab;
    grab.image = image;
    grab.grid.originx = quint32(mapRect.left());
    grab.grid.originy = quint32(mapRect.top());
    grab.grid.grab_width = map.columns;
    grab.grid.grab_height = map.rows;
    grab.grid.mapareax = quint32(view.x());
    grab.grid.mapareay = quint32(view.y());
    return grab;
}

QImage jpegRoundTrip(const QImage& picture, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPEG", quality);
    return QImage::fromData(bytes, "JPEG").convertToFormat(QImage::Format_RGB32);
}

QImage offPalette(const QImage& picture)
{
    QImage moved = picture.convertToFormat(QImage::Format_RGB32);
    const auto shift = [](int c) { return c < 128 ? c + 9 : c - 9; };
    for (int y = 0; y < moved.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(moved.scanLine(y));
        for (int x = 0; x < moved.width(); ++x)
            line[x] = qRgb(shift(qRed(line[x])), shift(qGreen(line[x])), shift(qBlue(line[x])));
    }
    return moved;
}

} // namespace vt::test
