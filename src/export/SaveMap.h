// Writing a picture and the decoded map under one base name: the work behind the Save Map and
// Save Screengrab commands and the bulk conversion.
#pragma once

#include "export/OutputFormats.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>

namespace vt {

struct SaveMapHooks
{
    // Asks a Yes/No question; true only for Yes. Without it no existing file is replaced.
    std::function<bool(const QString& message)> confirm;
    // Progress of the save, 0 to 100.
    std::function<void(int percent)> progress;
    // Each file is forced onto the disk before it replaces the target. A run over many grabs
    // turns it off: the files still replace their targets only once complete, but the disk
    // writes them at its own pace, several times faster.
    bool syncEachFile = true;
};

struct SaveMapResult
{
    QStringList written; // the files written, in order, with native separators
    QString error;       // why the save stopped; empty when it did not
    bool ok() const { return error.isEmpty(); }
};

// Writes `picture` and the table under the base name RemoveExt(filename): B.bmp, B.png, B.gif,
// B.jpeg (never ".jpg"), B.csv, then for a Tiled map the tileset picture beside B (named after
// the game and scheme, "pc-vorlan-2-orange-tiles.png") and B.tmx and B.json, whichever are
// chosen, in that order: the files of outputFiles (OutputFormats.h).
// - An empty `filename` is the clipboard copy, which the caller does itself: nothing is written.
// - With `confirmoverwrite`, every chosen output whose file exists is put to `hooks.confirm`
//   first, as "\"<file>\" already exists. Overwrite?"; No drops that output only. All the
//   questions come before the first file is written.
// - `hooks.progress` gets 20, 40, 60 and 80 after the BMP, PNG, GIF and JPEG steps, whether or
//   not that output was chosen.
// - Every file goes through a temporary file beside it that replaces the target only once it
//   is complete, so a failed write leaves any earlier file of that name as it was. The first
//   failure ends the save: files written before it stay, later ones are not tried, and `error`
//   names the file and the reason.
// - A chosen table without a decoded map (null or empty) writes no ".csv", asks no question
//   about it, and is reported in `error` after the pictures are written; so are Tiled maps
//   without a decoded map or without the characters of their tileset.
SaveMapResult SaveMap(const QImage& picture, const QString& filename, SaveChoices choices,
                      bool confirmoverwrite, const MapTableSource& table,
                      const SaveMapHooks& hooks);

// The same under a base name taken as it stands: the bulk conversion's names keep every "."
// of their pattern result (level.001-decode.bmp, not level.bmp).
SaveMapResult SaveMapUnder(const QImage& picture, const QString& base, SaveChoices choices,
                           bool confirmoverwrite, const MapTableSource& table,
                           const SaveMapHooks& hooks);

} // namespace vt
