// The pictures of the windows and the contact sheet of all characters.
#pragma once

#include "Raster.h"

#include <QImage>
#include <QString>

#include <vector>

namespace vt::art {

// A drawn tile as a picture: fixed inks as they are, clear inks transparent (tones are not
// expected here and take the first scheme's colours).
QImage toImage(const Tile& tile);

// The hero standing, 34 x 34 on black, in colours of the halftone cube.
std::vector<Rgb> heroPixels();
inline constexpr int kHeroSize = 34;

struct NamedPicture
{
    QString name; // file name in resources/pictures
    QImage image;
};

// Every PNG picture of the windows.
std::vector<NamedPicture> windowPictures();

// Both games, all six schemes, full-size and map-size characters, labelled.
QImage contactSheet();

} // namespace vt::art
