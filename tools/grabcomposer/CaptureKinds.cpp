// Captures that are not pixel-exact: grabs scaled by any factor at any sub-pixel phase through
// a known resampler (display scaling, zoomed captures, forum uploads), an emulator's aspect
// correction, scanlines, a video still and a thumbnail. Every picture is scaled by our own
// resampler, so that the truth (origin and factors) is exact to a fraction of a pixel.
#include "KindParts.h"
#include "Resample.h"

#include "pictures/GridGeometry.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace vt::test {

namespace parts {

namespace {

constexpr int kScreenWidth = 3840;
constexpr int kScreenHeight = 2160;

// A factor of one of the bands the recognition is measured in (by the smaller factor): 0.75 to
// 0.9, 0.9 to 1, and 1 to 4, the last now and then a factor display scaling offers.
double drawFactor(GrabRandom& random, int band)
{
    static const double usual[] = {1.25, 1.5, 1.75, 2, 2.5, 3};
    switch (band) {
    case 0:
        return (750 + random.below(150)) / 1000.0;
    case 1:
        return (900 + random.below(100)) / 1000.0;
    default:
        return random.chance(30) ? usual[random.below(6)] : (1000 + random.below(3001)) / 1000.0;
    }
}

QString bandOf(double sx, double sy)
{
    const double s = std::min(sx, sy);
    return s >= 1     ? QStringLiteral("band 1-4")
           : s >= 0.9 ? QStringLiteral("band 0.9-1")
                      : QStringLiteral("band 0.75-0.9");
}

Resampler anyResampler(GrabRandom& random, bool nearest = true)
{
    return nearest ? Resampler(random.below(4)) : Resampler(1 + random.below(3));
}

// A phase in thousandths of a picture pixel, 0 to 0.999.
double drawPhase(GrabRandom& random)
{
    return random.below(1000) / 1000.0;
}

// Keeps the part of `base` around its map that still fits a screen once scaled by sx, sy.
void cropForScreen(Base& base, GrabRandom& random, double sx, double sy)
{
    const int maxWidth = int(kScreenWidth / sx);
    const int maxHeight = int(kScreenHeight / sy);
    const QSize size = base.image.size();
    if (size.width() <= maxWidth && size.height() <= maxHeight)
        return;
    const int w = std::min(size.width(), maxWidth);
    const int h = std::min(size.height(), maxHeight);
    const int mapx = int(base.truth.originx);
    const int mapy = int(base.truth.originy);
    const auto place = [&random](int mapAt, int mapSize, int keep, int whole) {
        const int low = std::max(0, mapAt + mapSize - keep);
        const int high = std::min(mapAt, whole - keep);
        return low <= high ? low + random.below(high - low + 1)
                           : std::clamp(mapAt, 0, whole - keep);
    };
    const int x = place(mapx, kCellWidth * base.truth.map.columns, w, size.width());
    const int y = place(mapy, kCellHeight * base.truth.map.rows, h, size.height());
    base.image = base.image.copy(x, y, w, h);
    base.truth.originx -= x;
    base.truth.originy -= y;
    base.truth.detail += QStringLiteral(" cropped %1x%2 at %3,%4").arg(w).arg(h).arg(x).arg(y);
}

// Scales the grab and its truth.
void scale(Base& base, double sx, double sy, double phasex, double phasey, Resampler resampler)
{
    base.image = resample(base.image, sx, sy, phasex, phasey, resampler);
    base.truth.originx = base.truth.originx * sx + phasex;
    base.truth.originy = base.truth.originy * sy + phasey;
    base.truth.scale = sx;
    base.truth.scaley = sy;
    base.truth.detail +=
        sx == sy ? QStringLiteral(" x%1").arg(sx) : QStringLiteral(" x%1,%2").arg(sx).arg(sy);
    base.truth.detail += QStringLiteral(" %1 phase %2,%3")
                             .arg(QLatin1String(resamplerName(resampler)))
                             .arg(phasex)
                             .arg(phasey);
}

void jpeg(Base& base, int quality)
{
    base.image = jpegRoundTrip(base.image, quality);
    base.truth.detail += QStringLiteral(" quality %1").arg(quality);
}

// Any grab scaled by any factors at any phase, then now and then cut by a pixel or two or set
// in margins, and now and then saved as JPEG.
Base resampled(GrabRandom& random)
{
    const int pick = random.below(100);
    Base base = pick < 40 ? mapView(random) : pick < 75 ? window(random, false) : desktop(random);
    const int bandDraw = random.below(100);
    const int band = bandDraw < 25 ? 0 : bandDraw < 45 ? 1 : 2;
    const double sx = drawFactor(random, band);
    // Now and then the two ways apart, neither below the band.
    const double sy = random.chance(20) ? std::max(sx, drawFactor(random, random.below(3))) : sx;
    const bool swap = random.chance(50);
    const double fx = swap ? sy : sx;
    const double fy = swap ? sx : sy;
    cropForScreen(base, random, fx, fy);
    const Resampler resampler = anyResampler(random);
    const double phasex = drawPhase(random);
    const double phasey = drawPhase(random);
    scale(base, fx, fy, phasex, phasey, resampler);

    if (random.chance(20)) {
        // The capture starts or ends a pixel or two into the picture.
        const int left = random.below(3);
        const int top = random.below(3);
        const int right = random.below(3);
        const int bottom = random.below(3);
        base.image = base.image.copy(left, top, base.image.width() - left - right,
                                     base.image.height() - top - bottom);
        base.truth.originx -= left;
        base.truth.originy -= top;
        base.truth.detail +=
            QStringLiteral(" cut %1,%2,%3,%4").arg(left).arg(top).arg(right).arg(bottom);
    } else if (random.chance(25)) {
        const int left = 1 + random.below(40);
        const int top = 1 + random.below(40);
        const int right = 1 + random.below(40);
        const int bottom = 1 + random.below(40);
        QImage framed(std::min(base.image.width() + left + right, kScreenWidth),
                      std::min(base.image.height() + top + bottom, kScreenHeight),
                      QImage::Format_RGB32);
        paintMargin(framed, random);
        QPainter(&framed).drawImage(left, top, base.image);
        base.image = framed;
        base.truth.originx += left;
        base.truth.originy += top;
        base.truth.detail +=
            QStringLiteral(" margins %1,%2,%3,%4").arg(left).arg(top).arg(right).arg(bottom);
    }
    if (random.chance(30))
        jpeg(base, 60 + random.below(36));
    base.truth.detail += QLatin1Char(' ') + bandOf(fx, fy);
    return base;
}

// A DOS emulator's aspect correction: every row 1.2 times as high, by nearest or smoothed.
Base aspect(GrabRandom& random)
{
    Base base = viewOrWindow(random);
    const Resampler resampler =
        random.chance(50) ? Resampler::Nearest : anyResampler(random, false);
    scale(base, 1, 1.2, 0, drawPhase(random), resampler);
    return base;
}

// Three times the size with pixels replicated, the last row of every three darkened, as an
// emulator's scanline filter draws it; the capture may start inside a grab pixel.
Base scanlines(GrabRandom& random)
{
    Base base = viewOrWindow(random);
    const int percent = 30 + random.below(41); // the dark rows' brightness
    const int cutx = random.below(3);
    const int cuty = random.below(3);
    QImage big = resample(base.image, 3, 3, 0, 0, Resampler::Nearest);
    for (int y = 2; y < big.height(); y += 3) {
        auto* line = reinterpret_cast<QRgb*>(big.scanLine(y));
        for (int x = 0; x < big.width(); ++x)
            line[x] = qRgb(qRed(line[x]) * percent / 100, qGreen(line[x]) * percent / 100,
                           qBlue(line[x]) * percent / 100);
    }
    base.image = big.copy(cutx, cuty, big.width() - cutx, big.height() - cuty);
    base.truth.originx = base.truth.originx * 3 - cutx;
    base.truth.originy = base.truth.originy * 3 - cuty;
    base.truth.scale = base.truth.scaley = 3;
    base.truth.detail +=
        QStringLiteral(" x3 scanlines %1% phase %2,%3").arg(percent).arg(cutx).arg(cuty);
    return base;
}

// A window fitted into a 1280 x 720 video frame on black, smoothed, saved as JPEG at 70.
Base video(GrabRandom& random)
{
    Base base = window(random, random.chance(50));
    const QSize size = base.image.size();
    const double s = std::min(1280.0 / size.width(), 720.0 / size.height());
    const double offx = (1280 - s * size.width()) / 2;
    const double offy = (720 - s * size.height()) / 2;
    const Resampler resampler = anyResampler(random, false);
    const int atx = int(std::floor(offx));
    const int aty = int(std::floor(offy));
    const double phasex = offx - atx;
    const double phasey = offy - aty;
    const QImage scaled = resample(base.image, s, s, phasex, phasey, resampler,
                                   QSize(int(std::ceil(s * size.width() + phasex)),
                                         int(std::ceil(s * size.height() + phasey))));
    QImage frame(1280, 720, QImage::Format_RGB32);
    frame.fill(Qt::black);
    QPainter(&frame).drawImage(atx, aty, scaled);
    base.image = frame;
    base.truth.originx = base.truth.originx * s + offx;
    base.truth.originy = base.truth.originy * s + offy;
    base.truth.scale = base.truth.scaley = s;
    base.truth.detail += QStringLiteral(" video x%1 %2")
                             .arg(s, 0, 'f', 4)
                             .arg(QLatin1String(resamplerName(resampler)));
    jpeg(base, 70);
    base.truth.detail += QLatin1Char(' ') + bandOf(s, s);
    return base;
}

// A 75 % thumbnail, smoothed, now and then saved as JPEG.
Base thumbnail(GrabRandom& random)
{
    Base base = viewOrWindow(random);
    const Resampler resampler = random.chance(50) ? Resampler::Area : anyResampler(random, false);
    scale(base, 0.75, 0.75, 0, 0, resampler);
    if (random.chance(40))
        jpeg(base, 75 + random.below(21));
    return base;
}

} // namespace

std::optional<Base> composeCapture(const QString& kind, GrabRandom& random)
{
    if (kind == QLatin1String("resampled"))
        return resampled(random);
    if (kind == QLatin1String("aspect"))
        return aspect(random);
    if (kind == QLatin1String("scanlines"))
        return scanlines(random);
    if (kind == QLatin1String("video"))
        return video(random);
    if (kind == QLatin1String("thumbnail"))
        return thumbnail(random);
    return std::nullopt;
}

} // namespace parts

const QStringList& captureKinds()
{
    static const QStringList kinds{QStringLiteral("resampled"), QStringLiteral("aspect"),
                                   QStringLiteral("scanlines"), QStringLiteral("video"),
                                   QStringLiteral("thumbnail")};
    return kinds;
}

QStringList allKinds()
{
    return grabKinds() + captureKinds();
}

} // namespace vt::test
