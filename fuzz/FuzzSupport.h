// What the fuzz targets share: Qt started as the program starts it, quietly, and a scratch
// folder for the files they write.
#pragma once

#include <QString>

namespace vt::fuzz {

// Starts an offscreen QGuiApplication (the GIF and JPEG decoders are plugins it loads) and
// silences Qt's warnings about broken input, which would drown the fuzzer's own output.
void startQt(int* argc, char*** argv);

// A folder for this process's scratch files, on a memory file system where there is one.
QString scratchDir();

} // namespace vt::fuzz
