// Reading a picture report of a bulk run as a browser would: its links, and the page drawn by
// headless Chromium.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <optional>

namespace vt::test {

// Every img src and a href of the page at `htmlPath` that does not lead anywhere: a file that
// does not exist, an anchor with no element of that id, or an address off this computer.
// Empty when every link holds; `count` gets the number of links looked at.
QStringList brokenLinks(const QString& htmlPath, int* count = nullptr);

// The path of Debian's Chromium, or empty when it is not installed.
QString chromium();

// The page drawn by headless Chromium in a window of `width` x `height` (device scale 1, sRGB),
// with no network and a profile of its own; nothing when Chromium fails. `log` gets its output.
std::optional<QImage> screenshot(const QString& htmlPath, int width, int height,
                                 QString* log = nullptr);

// Whether `picture` is drawn 1:1 somewhere in `shown` (each channel within `tolerance`).
bool drawnIn(const QImage& shown, const QImage& picture, int tolerance = 3);

} // namespace vt::test
