// Writing a picture and the decoded map under one base name: the work behind the Save Map and
// Save Screengrab commands and the bulk conversion.
#pragma once

#include "export/OutputFormats.h"
#include "pictures/Error.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>

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
    // The extension the player typed for one of the outputs (".JPG"): that file is written
    // under it (see outputFiles). Empty: every output takes the table's own.
    QString extension;
};

// The error that ends a save. Its message is the text for the user, naming the file and the
// reason; written() keeps the files written before the failure, in order, with native
// separators, which a bulk run and the command line report.
class SaveError : public Error
{
public:
    SaveError(const QString& message, QStringList written)
        : Error(message), m_written(std::move(written))
    {}
    const QStringList& written() const { return m_written; }

private:
    QStringList m_written;
};

// Writes `picture` and the table under the base name `base` taken as it stands (the bulk
// conversion's names keep every "." of their pattern result: level.001-decode.bmp), and
// returns the files written, in order, with native separators: B.bmp, B.png, B.gif, B.jpeg
// (or the spelling in `hooks.extension`, ".jpg"), B.csv, then for a Tiled map the tileset picture beside B (named after the
// game and scheme, "pc-vorlan-2-orange-tiles.png") and B.tmx and B.json, whichever are chosen,
// in that order: the files of outputFiles (OutputFormats.h). The window's save takes its base
// from a dialog's name through RemoveExt and keeps the clipboard copy (no name) to itself.
// - With `confirmoverwrite`, every chosen output whose file exists is put to `hooks.confirm`
//   first, as "\"<file>\" already exists. Overwrite?"; No drops that output only. All the
//   questions come before the first file is written.
// - `hooks.progress` gets 20, 40, 60 and 80 after the BMP, PNG, GIF and JPEG steps, whether or
//   not that output was chosen.
// - Every file is made in memory, then written whole by writeWholeFile (FileWrite.h): through
//   a temporary file beside it that replaces the target only once it is complete, so a failed
//   write leaves any earlier file of that name as it was; where no temporary can be made (a
//   folder the user may not write, no free inode), an existing target is written in place only
//   once room for all its bytes is reserved, and otherwise left as it was. New files get the
//   permissions the umask leaves (0644 under 022, 0600 under 077). The first failure ends the
//   save with a SaveError, "Cannot write \"<file>\": <the system's reason>": files written
//   before it stay, later ones are not tried.
// - A chosen table without a decoded map (null or empty) writes no ".csv" and asks no question
//   about it; once the pictures are written, a SaveError says "No decoded map to write as a
//   table: ...". So do Tiled maps without a decoded map or without the characters of their
//   tileset ("... as a Tiled map: ...").
// - `indexed`, when given, is `picture` at 8 bits with its own colours (the converted map as
//   the decoding pass draws it): the PNG and GIF files take its indices as they stand.
QStringList SaveMapUnder(const QImage& picture, const QString& base, SaveChoices choices,
                         bool confirmoverwrite, const MapTableSource& table,
                         const SaveMapHooks& hooks, const QImage* indexed = nullptr);

} // namespace vt
