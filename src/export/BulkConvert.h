// The pieces of a bulk conversion that need no window: the grabs of a folder and the names
// their outputs get.
#pragma once

#include <QString>
#include <QStringList>

namespace vt {

// The names of every entry of `folder` that is not a folder (hidden and system files
// included), in name order, ignoring case; empty when the folder cannot be read.
QStringList listFolder(const QString& folder);

// The output name of a grab from the file-name pattern: every "%%" becomes "%", then every
// "%g" the game number (1 or 2), then every "%s" the grab's file name without its folder and
// its last extension. Placeholders ignore case; a later step also acts on what an earlier one
// produced, so "%%s" gives the grab's name.
QString expandPattern(const QString& pattern, int gameNumber, const QString& grabFileName);

} // namespace vt
