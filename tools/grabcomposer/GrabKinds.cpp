#include "GrabKinds.h"

#include "charsets/GameTables.h"

#include <QJsonArray>
#include <QPainter>

#include <cmath>
#include <stdexcept>

namespace vt::test {

namespace {

constexpr int kSizes[] = {8, 16, 24, 32};

// A map the game could show: the first game's levels fill the view, the second game's come in
// every size.
GrabMap randomMap(GrabRandom& random, int game)
{
    const int columns = game == 0 ? 32 : kSizes[random.below(4)];
    const int rows = game == 0 ? 32 : kSizes[random.below(4)];
    return GrabMap::random(game, columns, rows, random.next());
}

struct Base
{
    QImage image;
    GrabTruth truth;
};

void start(Base& base, GrabRandom& random)
{
    base.truth.game = random.below(2);
    base.truth.scheme = random.below(kColourCount);
    base.truth.map = randomMap(random, base.truth.game);
}

Base mapView(GrabRandom& random, const GrabNoise& noise = {})
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
Base window(GrabRandom& random, bool tight, const GrabNoise& noise = {})
{
    Base base;
    start(base, random);
    const GrabArt art = GrabArt::shipped(base.truth.game, base.truth.scheme);
    WindowPlacement placement;
    placement.layout = random.chance(50) ? WindowLayout::A : WindowLayout::B;
    placement.game = base.truth.game;
    for (int attempt = 0;; ++attempt) {
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
            base.truth.map = randomMap(random, base.truth.game);
        }
    }
    base.truth.detail = QStringLiteral("layout %1 %2x%3")
                            .arg(placement.layout == WindowLayout::A ? 'A' : 'B')
                            .arg(base.truth.map.columns)
                            .arg(base.truth.map.rows);
    return base;
}

Base viewOrWindow(GrabRandom& random, const GrabNoise& noise = {})
{
    return random.chance(50) ? mapView(random, noise) : window(random, false, noise);
}

QColor anyColour(GrabRandom& random)
{
    return QColor(random.below(256), random.below(256), random.below(256));
}

Base looseCrop(GrabRandom& random)
{
    Base base = mapView(random);
    const int left = 1 + random.below(64);
    const int top = 1 + random.below(64);
    const int right = 1 + random.below(64);
    const int bottom = 1 + random.below(64);
    // Mostly a plain margin of any colour; now and then black, as the game's own border.
    const QColor margin = random.chance(20) ? QColor(Qt::black) : anyColour(random);
    QImage framed(base.image.width() + left + right, base.image.height() + top + bottom,
                  QImage::Format_RGB32);
    framed.fill(margin);
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
    picture.fill(QColor(0, 102 + random.below(60), 128));
    {
        QPainter painter(&picture);
        // Other windows behind the game's: plain panels with a title bar.
        for (int i = random.below(6); i > 0; --i) {
            const QRect r(random.below(screen.width()), random.below(screen.height()),
                          100 + random.below(800), 80 + random.below(600));
            painter.fillRect(r, QColor(192, 192, 192));
            painter.fillRect(r.adjusted(3, 3, -3, -r.height() + 22), QColor(0, 0, 128));
            painter.fillRect(r.adjusted(3, 25, -3, -3), anyColour(random));
        }
        // The taskbar.
        painter.fillRect(0, screen.height() - 40, screen.width(), 40, QColor(51, 51, 51));
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

} // namespace

const QStringList& grabKinds()
{
    static const QStringList kinds{
        QStringLiteral("view"),        QStringLiteral("window"), QStringLiteral("jpeg-view"),
        QStringLiteral("jpeg-window"), QStringLiteral("noise"),  QStringLiteral("crop"),
        QStringLiteral("desktop"),     QStringLiteral("whole"),  QStringLiteral("smooth")};
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
    } else {
        throw std::invalid_argument("unknown kind of grab");
    }
    base.truth.kind = kind;
    return KindGrab{base.image, base.truth};
}

QJsonObject GrabTruth::toJson() const
{
    QJsonArray cells;
    for (int c : map.cells)
        cells.append(c);
    return QJsonObject{
        {QStringLiteral("kind"), kind},           {QStringLiteral("detail"), detail},
        {QStringLiteral("game"), game + 1},       {QStringLiteral("scheme"), colourName(scheme)},
        {QStringLiteral("columns"), map.columns}, {QStringLiteral("rows"), map.rows},
        {QStringLiteral("originx"), originx},     {QStringLiteral("originy"), originy},
        {QStringLiteral("scale"), scale},         {QStringLiteral("cells"), cells}};
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
    truth.scale = object.value(QStringLiteral("scale")).toDouble(1);
    truth.map.cells.clear();
    for (const QJsonValue& v : object.value(QStringLiteral("cells")).toArray())
        truth.map.cells.push_back(v.toInt());
    if (truth.game < 0 || truth.game > 1 || truth.scheme < 0 || truth.map.columns <= 0 ||
        truth.map.rows <= 0 ||
        truth.map.cells.size() != std::size_t(truth.map.columns) * std::size_t(truth.map.rows))
        return std::nullopt;
    return truth;
}

} // namespace vt::test
