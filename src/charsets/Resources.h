// The program's embedded data: the atlases (raw data, looked up by name without regard to
// case, as "R1_BLUE_ATLAS") and the pictures of the windows.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

namespace vt {

// The bytes of the raw-data resource with this name, compared without regard to case;
// nothing when there is none.
std::optional<QByteArray> readResource(const QString& name);

// Tests stand a resource in for the embedded one: `bytes` replaces it, or with no bytes the
// resource counts as missing. A null name clears every stand-in.
void overrideResource(const QString& name, std::optional<QByteArray> bytes);

// Counts the calls of overrideResource, so that a cache of what the resources hold knows when
// to read them again.
int resourceGeneration();

// A picture of the windows (banner, button pictures, hero, puzzle piece, ...), found by its
// name without extension and without regard to case; a null image when there is none.
QImage programPicture(const QString& name);

} // namespace vt
