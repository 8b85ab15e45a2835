// Names of the output files: the extension rule shared by the save commands, the bulk
// conversion and the command-line converter.
#pragma once

#include <QString>

namespace vt {

// The name without its last extension: the part from the last "." that stands after the last
// path separator ("\", "/" or the drive separator ":"), the "." included. A name without such
// a "." comes back unchanged. "C:\grabs\a.b\level.2.png" gives "C:\grabs\a.b\level.2".
QString RemoveExt(const QString& filename);

// The extension that RemoveExt drops, "." included; empty when there is none.
QString extensionOf(const QString& filename);

// The name the Save Map command proposes for a grab's file: its file-name part (no folder)
// without the extension, then " Decode", then the extension. "C:\grabs\level1.png" gives
// "level1 Decode.png"; a grab without a file (empty name) gives " Decode". The extension keeps
// its spelling: "shot.JPG" gives "shot Decode.JPG".
QString proposedDecodeName(const QString& img_filename);

} // namespace vt
