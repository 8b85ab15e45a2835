// Random grabs of every kind the program is meant to read, each drawn from a seed with the truth
// recorded: lossless map views and windows, JPEG, speckles, loose crops, windows on a whole
// desktop, captures scaled by whole factors (pixels replicated) and by display scaling
// (smoothed), and captures at any scale and phase. The accuracy tool and the tests draw their
// corpora from here.
#pragma once

#include "GrabComposer.h"

#include <QImage>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace vt::test {

// The kinds by name: "view", "window", "jpeg-view", "jpeg-window", "noise", "crop", "desktop",
// "whole" (2 to 4 times, pixels replicated), "smooth" (125, 150, 175 or 200 %, smoothed),
// "covered" (sprites, a cursor, a tool tip or a grey box over some cells), "cutoff" (a window
// cut off at the picture's edge), "small-jpeg" (second-game windows with maps below 32 x 32
// through JPEG) and "display" (a desktop shown at 125 or 150 %).
const QStringList& grabKinds();

// Captures that are not pixel-exact, each scaled by our own resampler (Resample.h) with its
// factors and phase in the truth, the smaller factor's band ("band 1-4", "band 0.9-1",
// "band 0.75-0.9") at the end of `detail`: "resampled" (a view, window or desktop scaled by 0.75
// to 4 each way at any phase by nearest, bilinear, bicubic or area averaging, now and then cut
// a pixel or two or set in margins, now and then JPEG at 60 to 95), "aspect" (rows 1.2 times as
// high), "scanlines" (3 times, every third row darkened), "video" (a window fitted into
// 1280 x 720 on black, JPEG at 70) and "thumbnail" (75 %). Kept apart from grabKinds() so that
// corpora drawn from that list stay as they were.
const QStringList& captureKinds();

// grabKinds() and captureKinds().
QStringList allKinds();

struct GrabTruth
{
    QString kind;
    QString detail; // what the seed chose: layout, quality, factor, sizes
    int game = 0;   // game selector index
    int scheme = 0; // colour selector index
    GrabMap map;
    // The map's top-left cell in the final picture (fractional where scaled at a sub-pixel
    // phase), and how many picture pixels one grab pixel became each way (1 unless scaled;
    // apart only in captures scaled unevenly).
    double originx = 0;
    double originy = 0;
    double scale = 1; // scalex
    double scaley = 1;
    // Per cell, row by row: wholly inside the picture and not covered by anything drawn over it.
    // Empty: every cell is visible.
    std::vector<bool> visible;

    bool isVisible(int column, int row) const
    {
        return visible.empty() || visible[std::size_t(row * map.columns + column)];
    }

    QJsonObject toJson() const;
    static std::optional<GrabTruth> fromJson(const QJsonObject& object);
};

struct KindGrab
{
    QImage image; // full colour
    GrabTruth truth;
};

// A grab of `kind` drawn from `seed`; the same seed gives the same grab. Throws
// std::invalid_argument for an unknown kind.
KindGrab composeKind(const QString& kind, quint64 seed);

// The picture scaled by a whole factor with every pixel replicated, then cut `phaseX`, `phaseY`
// pixels from its left and top (a capture that does not start on a pixel boundary).
QImage replicate(const QImage& picture, int factor, int phaseX, int phaseY);

// The picture enlarged by `percent` / 100 with smoothing, as display scaling draws a window.
QImage smoothScale(const QImage& picture, int percent);

} // namespace vt::test
