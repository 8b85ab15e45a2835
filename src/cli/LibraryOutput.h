// What the libraries print on standard error themselves, apart from the program's messages.
// libpng reports a damaged file with a line of its own ("libpng error: Read Error") written
// straight to standard error, past Qt's message handler, beside the program's message that
// names the file: while pictures are read, that descriptor leads nowhere, and the program
// writes through a copy of it.
#pragma once

#include <cstdio>

namespace vt::cli {

// Standard error as the program started with it: every message of the program goes there.
// Call first thing in main(); standard error itself when no copy can be made.
std::FILE* programErrors();

// While any of these lives, on any thread, what is written to standard error (descriptor 2)
// is dropped. Around the reading of a picture only, so that a crash elsewhere is still told.
class LibraryOutputDropped
{
public:
    LibraryOutputDropped();
    ~LibraryOutputDropped();
    LibraryOutputDropped(const LibraryOutputDropped&) = delete;
    LibraryOutputDropped& operator=(const LibraryOutputDropped&) = delete;
};

} // namespace vt::cli
