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

// The names of `names` (bare file names of one folder) that are an output the pattern gives
// another of them, in any output format and for either game number: a run whose destination
// was its source left them, and converting them again would only copy its own maps. In the
// order of `names`; compared without regard to case, as a folder on Windows does.
QStringList ownOutputs(const QStringList& names, const QString& pattern);

// Why the outputs named by `pattern` would not all lie in the destination folder, or empty
// when they do: a result that starts at a root ("/x", "\\server\x"), on a drive ("C:x"), or
// climbs out through ".." ("../x", "a/../../x"). "/" and "\" both count as separators on every
// platform, so a pattern behaves the same everywhere; the last part of a result is the start of
// a file name (its extension is added), so ".." there names a file ("...bmp") in the folder.
// Sub-folders inside the destination stay allowed.
QString patternLeavesFolder(const QString& pattern);

} // namespace vt
