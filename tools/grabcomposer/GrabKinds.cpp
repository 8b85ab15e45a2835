#include "GrabKinds.h"
#include "KindParts.h"

#include "charsets/GameTables.h"

#include <QJsonArray>
#include <QPainter>

#include <cmath>
#include <stdexcept>

namespace vt::test {

// Shared with the capture kinds (CaptureKinds.cpp).
namespace parts {

constexpr int kSizes[] = {8, 16, 24, 32};

// A map the game could show: the first game's levels fill the view, the second game's come in
// every size.
GrabMap randomMap(GrabRandom& random, int game)
{
    const int columns = game == 0 ? 32 : kSizes[random.below(4)];
    const int rows = game == 0 ? 32 : kSizes[random.below(4)];
    return GrabMap::random(game, columns, rows, random.next());
}

void start(Base& base, GrabRandom& random)
{
    base.truth.game = random.below(2);
    base.truth.scheme = random.below(kColourCount);
    base.truth.map = randomMap(random, base.truth.game);
}

Base mapView(GrabRandom& random, const GrabNoise& noise)
{
    Base base;
    start(base, random);
    const GrabArt art = GrabArt::shipped(base.truth.game, base.truth.scheme);
    base.image = composeMapView(base.truth.map, art, noise);
    base.truth.detail =
        QStringLiteral("view %1x%2").arg(base.truth.map.columns).arg(base.truth.map.rows);
    return base;
}

// A window grab of a random size with the window at a random place; `tight` puts the frame at
// the grab's corner in a grab just large enough (for pasting onto a desktop).
Base window(GrabRandom& random, bool tight, const GrabNoise& noise, bool smallMap)
{
    Base base;
    start(base, random);
    if (smallMap) {
        // The second game with a map below the full view at least one way.
        base.truth.game = 1;
        do
            base.truth.map = randomMap(random, 1);
        while (base.truth.map.columns == 32 && base.truth.map.rows == 32);
    }
    const GrabArt art = GrabArt::shipped(base.truth.game, base.truth.scheme);
    WindowPlacement placement;
    placement.layout = random.chance(50) ? WindowLayout::A : WindowLayout::B;
    placement.game = base.truth.game;
    for (int attempt = 0;; ++attempt) {
        placement.style = WindowStyle::random(random.next());
        const QSize frame = windowFrameSize(placement.layout);
        if (tight) {
            placement.windowAt = QPoint(0, 0);
            placement.grabSize =
                QSize(std::min(frame.width(), 1024), std::min(frame.height(), 768));
        } else {
            // The marker's run must end inside the grab, and the map view must fit.
            placement.windowAt = QPoint(random.below(60), random.below(60));
            const QPoint view = placement.windowAt + mapViewOffset(placement.layout);
            const int markerEnd = placement.layout == WindowLayout::A ? 753 : 638;
            const int minWidth = view.x() + markerEnd + 1;
            const int minHeight = view.y() + 480;
            placement.grabSize = QSize(minWidth + random.below(1025 - minWidth),
                                       minHeight + random.below(769 - minHeight));
        }
        try {
            const ComposedGrab grab = composeWindow(base.truth.map, art, placement, noise);
            base.image = grab.image;
            base.truth.originx = grab.grid.originx;
            base.truth.originy = grab.grid.originy;
            break;
        } catch (const std::runtime_error&) {
            // The map drew a run the exact search would take for the marker: another level.
            if (attempt > 20)
                throw;
            const int columns = base.truth.map.columns;
            const int rows = base.truth.map.rows;
            base.truth.map = GrabMap::random(base.truth.game, columns, rows, random.next());
        }
    }
    base.truth.detail = QStringLiteral("layout %1 %2x%3")
                            .arg(placement.layout == WindowLayout::A ? 'A' : 'B')
                            .arg(base.truth.map.columns)
                            .arg(base.truth.map.rows);
    return base;
}

Base viewOrWindow(GrabRandom& random, const GrabNoise& noise)
{
    return random.chance(50) ? mapView(random, noise) : window(random, false, noise);
}

QColor anyColour(GrabRandom& random)
{
    return QColor(random.below(256), random.below(256), random.below(256));
}

// A margin of one colour, or of bands and blocks of several (another program's window).
void paintMargin(QImage& image, GrabRandom& random)
{
    const QColor margin = random.chance(20) ? QColor(Qt::black) : anyColour(random);
    image.fill(margin);
    if (random.chance(50))
        return;
    QPainter painter(&image);
    for (int i = 2 + random.below(12); i > 0; --i)
        painter.fillRect(random.below(image.width()), random.below(image.height()),
                         4 + random.below(120), 2 + random.below(60), anyColour(random));
}

Base looseCrop(GrabRandom& random)
{
    Base base = mapView(random);
    // Each side: a margin of up to 64 pixels, or now and then cut into the map by up to 40.
    const auto side = [&random]() { return random.chance(15) ? -random.below(41) : 1 + random.below(64); };
    const int left = side();
    const int top = side();
    const int right = side();
    const int bottom = side();
    const int width = base.image.width() + left + right;
    const int height = base.image.height() + top + bottom;
    QImage framed(std::max(width, 16), std::max(height, 15), QImage::Format_RGB32);
    paintMargin(framed, random);
    QPainter(&framed).drawImage(left, top, base.image);
    base.image = framed;
    base.truth.originx = left;
    base.truth.originy = top;
    base.truth.detail +=
        QStringLiteral(" margins %1,%2,%3,%4").arg(left).arg(top).arg(right).arg(bottom);
    return base;
}

Base desktop(GrabRandom& random)
{
    static const QSize screens[] = {{1920, 1080}, {1920, 1200}, {2560, 1440}, {3840, 2160}};
    const QSize screen = screens[random.below(4)];
    Base base = window(random, true);
    QImage picture(screen, QImage::Format_RGB32);
    picture.fill(anyColour(random));
    {
        QPainter painter(&picture);
        // Other windows behind the game's: panels of any colours with a title bar and content.
        for (int i = random.below(8); i > 0; --i) {
            const QRect r(random.below(screen.width()), random.below(screen.height()),
                          100 + random.below(800), 80 + random.below(600));
            painter.fillRect(r, anyColour(random));
            painter.fillRect(r.adjusted(3, 3, -3, -r.height() + 22), anyColour(random));
            const QRect client = r.adjusted(3, 25, -3, -3);
            painter.fillRect(client, anyColour(random));
            for (int k = random.below(20); k > 0; --k)
                painter.fillRect(client.left() + random.below(std::max(1, client.width())),
                                 client.top() + random.below(std::max(1, client.height())),
                                 4 + random.below(90), 3 + random.below(30), anyColour(random));
        }
        // The taskbar.
        painter.fillRect(0, screen.height() - 40, screen.width(), 40, anyColour(random));
    }
    const int x = random.below(screen.width() - base.image.width());
    const int y = random.below(screen.height() - 40 - base.image.height());
    QPainter(&picture).drawImage(x, y, base.image);
    base.image = picture;
    base.truth.originx += x;
    base.truth.originy += y;
    base.truth.detail +=
        QStringLiteral(" on %1x%2 at %3,%4").arg(screen.width()).arg(screen.height()).arg(x).arg(y);
    return base;
}

// Cells of the map whose picture rectangle meets `r` (picture pixels at 1:1) are covered.
void markCovered(GrabTruth& truth, const QRect& r)
{
    if (truth.visible.empty())
        truth.visible.assign(truth.map.cells.size(), true);
    for (int row = 0; row < truth.map.rows; ++row)
        for (int c = 0; c < truth.map.columns; ++c) {
            const QRect cell(int(truth.originx) + kCellWidth * c, int(truth.originy) + kCellHeight * row,
                             kCellWidth, kCellHeight);
            if (cell.intersects(r))
                truth.visible[std::size_t(row * truth.map.columns + c)] = false;
        }
}

// Pictures that are no character over `percent` of the map's cells (sprites, mostly on a cell,
// now and then between two), and now and then a cursor, a tool tip or a grey box.
void cover(Base& base, GrabRandom& random, int percent)
{
    GrabTruth& t = base.truth;
    QPainter painter(&base.image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (int row = 0; row < t.map.rows; ++row)
        for (int c = 0; c < t.map.columns; ++c) {
            if (!random.chance(percent))
                continue;
            QRect box(int(t.originx) + kCellWidth * c, int(t.originy) + kCellHeight * row,
                      kCellWidth, kCellHeight);
            if (random.chance(20))
                box.translate(random.below(9) - 4, random.below(9) - 4);
            const QColor body = anyColour(random);
            painter.setPen(Qt::NoPen);
            painter.setBrush(body);
            painter.drawEllipse(box.adjusted(1, 1, -1, -1));
            painter.fillRect(QRect(box.left() + 3 + random.below(4), box.top() + 3, 3, 3),
                             anyColour(random));
            painter.fillRect(QRect(box.right() - 6, box.top() + 3 + random.below(4), 3, 3),
                             anyColour(random));
            painter.fillRect(QRect(box.left() + 2, box.bottom() - 3, box.width() - 4, 2),
                             body.darker(150));
            markCovered(t, box);
        }
    const QRect map(int(t.originx), int(t.originy), kCellWidth * t.map.columns,
                    kCellHeight * t.map.rows);
    const auto somewhere = [&](QSize size) {
        return QRect(QPoint(map.left() + random.below(std::max(1, map.width())) - size.width() / 2,
                            map.top() + random.below(std::max(1, map.height())) - size.height() / 2),
                     size);
    };
    if (random.chance(40)) {
        // An arrow pointer, white with a black edge.
        const QRect r = somewhere(QSize(12, 19));
        const QPoint o = r.topLeft();
        const QPolygon arrow({o, o + QPoint(0, 16), o + QPoint(4, 12), o + QPoint(7, 18),
                              o + QPoint(9, 17), o + QPoint(6, 11), o + QPoint(11, 11)});
        painter.setPen(Qt::black);
        painter.setBrush(Qt::white);
        painter.drawPolygon(arrow);
        markCovered(t, arrow.boundingRect().adjusted(-1, -1, 1, 1));
    }
    if (random.chance(25)) {
        const QRect r = somewhere(QSize(60 + random.below(160), 16 + random.below(7)));
        painter.setPen(Qt::black);
        painter.setBrush(QColor(255, 255, 225));
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        painter.fillRect(QRect(r.left() + 4, r.top() + 6, r.width() - 8, 4), QColor(40, 40, 40));
        markCovered(t, r);
    }
    if (random.chance(25)) {
        const QRect r = somewhere(QSize(20 + random.below(140), 15 + random.below(90)));
        const int grey = 100 + random.below(120);
        painter.fillRect(r, QColor(grey, grey, grey, random.chance(50) ? 255 : 128));
        markCovered(t, r);
    }
}

// Cells not wholly inside the final picture are not visible.
void markOutside(GrabTruth& t, QSize picture)
{
    for (int row = 0; row < t.map.rows; ++row)
        for (int c = 0; c < t.map.columns; ++c) {
            const double left = t.originx + t.scale * kCellWidth * c;
            const double top = t.originy + t.scaley * kCellHeight * row;
            const double right = left + t.scale * kCellWidth;
            const double bottom = top + t.scaley * kCellHeight;
            if (left < 0 || top < 0 || right > picture.width() + 1e-9 ||
                bottom > picture.height() + 1e-9) {
                if (t.visible.empty())
                    t.visible.assign(t.map.cells.size(), true);
                t.visible[std::size_t(row * t.map.columns + c)] = false;
            }
        }
}

// A game window cut off at the picture's edge: part of the map outside, the marker and the hero
// inside (they sit right of the view in both layouts, so the left and the bottom are cut).
Base cutOff(GrabRandom& random)
{
    Base base = window(random, true);
    const int left = random.chance(70) ? 8 + random.below(220) : 0;
    const int bottom = left == 0 || random.chance(40) ? 8 + random.below(150) : 0;
    base.image = base.image.copy(left, 0, base.image.width() - left, base.image.height() - bottom);
    base.truth.originx -= left;
    base.truth.detail += QStringLiteral(" cut %1 left, %2 bottom").arg(left).arg(bottom);
    return base;
}

} // namespace parts

using namespace parts;

const QStringList& grabKinds()
{
    static const QStringList kinds{
        QStringLiteral("view"),        QStringLiteral("window"), QStringLiteral("jpeg-view"),
        QStringLiteral("jpeg-window"), QStringLiteral("noise"),  QStringLiteral("crop"),
        QStringLiteral("desktop"),     QStringLiteral("whole"),  QStringLiteral("smooth"),
        QStringLiteral("covered"),     QStringLiteral("cutoff"), QStringLiteral("small-jpeg"),
        QStringLiteral("display")};
    return kinds;
}

QImage replicate(const QImage& picture, int factor, int phaseX, int phaseY)
{
    const QImage big = picture.scaled(picture.width() * factor, picture.height() * factor,
                                      Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return big.copy(phaseX, phaseY, big.width() - phaseX, big.height() - phaseY)
        .convertToFormat(QImage::Format_RGB32);
}

QImage smoothScale(const QImage& picture, int percent)
{
    const int w = int(std::lround(picture.width() * percent / 100.0));
    const int h = int(std::lround(picture.height() * percent / 100.0));
    return picture.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

KindGrab composeKind(const QString& kind, quint64 seed)
{
    // Seeds and kinds mixed so that neighbouring seeds, and kinds, draw unrelated grabs.
    quint64 mixed = 1469598103934665603ull; // FNV-1a over the kind's name
    for (const QChar c : kind) {
        mixed ^= c.unicode();
        mixed *= 1099511628211ull;
    }
    GrabRandom scramble(seed ^ mixed);
    GrabRandom random(quint64(scramble.next()) << 32 | scramble.next());
    Base base;
    if (kind == QLatin1String("view")) {
        base = mapView(random);
    } else if (kind == QLatin1String("window")) {
        base = window(random, false);
    } else if (kind == QLatin1String("jpeg-view") || kind == QLatin1String("jpeg-window")) {
        base = kind == QLatin1String("jpeg-view") ? mapView(random) : window(random, false);
        const int quality = 60 + random.below(36);
        base.image = jpegRoundTrip(base.image, quality);
        base.truth.detail += QStringLiteral(" quality %1").arg(quality);
    } else if (kind == QLatin1String("noise")) {
        GrabNoise noise;
        noise.seed = random.next();
        noise.cellPercent = 5 + random.below(26);
        noise.pixelsPerCell = 1 + random.below(6);
        base = viewOrWindow(random, noise);
        base.truth.detail +=
            QStringLiteral(" speckles %1% x %2").arg(noise.cellPercent).arg(noise.pixelsPerCell);
    } else if (kind == QLatin1String("crop")) {
        base = looseCrop(random);
    } else if (kind == QLatin1String("desktop")) {
        base = desktop(random);
    } else if (kind == QLatin1String("whole")) {
        base = viewOrWindow(random);
        const int factor = 2 + random.below(3);
        const int px = random.below(factor);
        const int py = random.below(factor);
        base.image = replicate(base.image, factor, px, py);
        base.truth.scale = factor;
        base.truth.originx = base.truth.originx * factor - px;
        base.truth.originy = base.truth.originy * factor - py;
        base.truth.detail += QStringLiteral(" x%1 phase %2,%3").arg(factor).arg(px).arg(py);
    } else if (kind == QLatin1String("smooth")) {
        base = viewOrWindow(random);
        static const int percents[] = {125, 150, 175, 200};
        const int percent = percents[random.below(4)];
        base.image = smoothScale(base.image, percent);
        base.truth.scale = percent / 100.0;
        base.truth.originx *= base.truth.scale;
        base.truth.originy *= base.truth.scale;
        base.truth.detail += QStringLiteral(" %1%").arg(percent);
    } else if (kind == QLatin1String("covered")) {
        base = viewOrWindow(random);
        const int percent = 5 + random.below(21);
        cover(base, random, percent);
        base.truth.detail += QStringLiteral(" sprites %1%").arg(percent);
    } else if (kind == QLatin1String("cutoff")) {
        base = cutOff(random);
    } else if (kind == QLatin1String("small-jpeg")) {
        base = window(random, random.chance(30), {}, true);
        const int quality = 75 + random.below(21);
        base.image = jpegRoundTrip(base.image, quality);
        base.truth.detail += QStringLiteral(" quality %1").arg(quality);
    } else if (kind == QLatin1String("display")) {
        base = random.chance(70) ? desktop(random) : window(random, false);
        const int percent = random.chance(50) ? 125 : 150;
        // Display scaling of a whole screen, kept to a screen's size.
        const QImage scaled = smoothScale(base.image, percent);
        base.image = scaled.copy(0, 0, std::min(scaled.width(), 3840), std::min(scaled.height(), 2160));
        base.truth.scale = base.truth.scaley = percent / 100.0;
        base.truth.originx *= base.truth.scale;
        base.truth.originy *= base.truth.scale;
        base.truth.detail += QStringLiteral(" %1%").arg(percent);
        if (random.chance(40)) {
            const int quality = 75 + random.below(21);
            base.image = jpegRoundTrip(base.image, quality);
            base.truth.detail += QStringLiteral(" quality %1").arg(quality);
        }
    } else if (std::optional<Base> capture = composeCapture(kind, random)) {
        base = std::move(*capture);
    } else {
        throw std::invalid_argument("unknown kind of grab");
    }
    if (!captureKinds().contains(kind))
        base.truth.scaley = base.truth.scale;
    markOutside(base.truth, base.image.size());
    base.truth.kind = kind;
    return KindGrab{base.image, base.truth};
}

QJsonObject GrabTruth::toJson() const
{
    QJsonArray cells;
    for (int c : map.cells)
        cells.append(c);
    QJsonArray visibleCells;
    for (std::size_t i = 0; i < map.cells.size(); ++i)
        visibleCells.append(visible.empty() || visible[i] ? 1 : 0);
    return QJsonObject{
        {QStringLiteral("kind"), kind},           {QStringLiteral("detail"), detail},
        {QStringLiteral("game"), game + 1},       {QStringLiteral("scheme"), colourName(scheme)},
        {QStringLiteral("columns"), map.columns}, {QStringLiteral("rows"), map.rows},
        {QStringLiteral("originx"), originx},     {QStringLiteral("originy"), originy},
        {QStringLiteral("scale"), scale},         {QStringLiteral("scalex"), scale},
        {QStringLiteral("scaley"), scaley},       {QStringLiteral("cells"), cells},
        {QStringLiteral("visible"), visibleCells}};
}

std::optional<GrabTruth> GrabTruth::fromJson(const QJsonObject& object)
{
    GrabTruth truth;
    truth.kind = object.value(QStringLiteral("kind")).toString();
    truth.detail = object.value(QStringLiteral("detail")).toString();
    truth.game = object.value(QStringLiteral("game")).toInt() - 1;
    truth.scheme = -1;
    const QString scheme = object.value(QStringLiteral("scheme")).toString();
    for (int i = 0; i < kColourCount; ++i)
        if (colourName(i) == scheme)
            truth.scheme = i;
    truth.map.columns = object.value(QStringLiteral("columns")).toInt();
    truth.map.rows = object.value(QStringLiteral("rows")).toInt();
    truth.originx = object.value(QStringLiteral("originx")).toDouble();
    truth.originy = object.value(QStringLiteral("originy")).toDouble();
    truth.scale = object.value(QStringLiteral("scalex"))
                      .toDouble(object.value(QStringLiteral("scale")).toDouble(1));
    truth.scaley = object.value(QStringLiteral("scaley")).toDouble(truth.scale);
    truth.map.cells.clear();
    for (const QJsonValue& v : object.value(QStringLiteral("cells")).toArray())
        truth.map.cells.push_back(v.toInt());
    const QJsonArray visibleCells = object.value(QStringLiteral("visible")).toArray();
    if (!visibleCells.isEmpty()) {
        if (visibleCells.size() != qsizetype(truth.map.cells.size()))
            return std::nullopt;
        for (const QJsonValue& v : visibleCells)
            truth.visible.push_back(v.toInt() != 0);
    }
    if (truth.game < 0 || truth.game > 1 || truth.scheme < 0 || truth.map.columns <= 0 ||
        truth.map.rows <= 0 ||
        truth.map.cells.size() != std::size_t(truth.map.columns) * std::size_t(truth.map.rows))
        return std::nullopt;
    return truth;
}

} // namespace vt::test
