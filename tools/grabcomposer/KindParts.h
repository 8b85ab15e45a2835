// The pieces the kinds of grab are drawn from, shared by GrabKinds.cpp and CaptureKinds.cpp.
// Each draws from `random` in a fixed order: a kind's grabs stay the same for the same seed
// only as long as these do.
#pragma once

#include "GrabKinds.h"

namespace vt::test::parts {

struct Base
{
    QImage image;
    GrabTruth truth;
};

// A map view cropped to the map.
Base mapView(GrabRandom& random, const GrabNoise& noise = {});
// A window grab of a random size with the window at a random place; `tight` puts the frame at
// the grab's corner in a grab just large enough.
Base window(GrabRandom& random, bool tight, const GrabNoise& noise = {}, bool smallMap = false);
Base viewOrWindow(GrabRandom& random, const GrabNoise& noise = {});
// A game window on a whole screen of other windows.
Base desktop(GrabRandom& random);
QColor anyColour(GrabRandom& random);
// Fills `image` with a margin of one colour, or of bands and blocks of several.
void paintMargin(QImage& image, GrabRandom& random);
// Cells not wholly inside a picture of `picture`'s size are not visible.
void markOutside(GrabTruth& truth, QSize picture);

// The kinds of CaptureKinds.cpp: nothing when `kind` is none of them.
std::optional<Base> composeCapture(const QString& kind, GrabRandom& random);

} // namespace vt::test::parts
