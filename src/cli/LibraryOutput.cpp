#include "cli/LibraryOutput.h"

#include <mutex>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#define VT_DUP _dup
#define VT_DUP2 _dup2
#define VT_FDOPEN _fdopen
#define VT_FILENO _fileno
#define VT_CLOSE _close
#else
#include <fcntl.h>
#include <unistd.h>
#define VT_DUP dup
#define VT_DUP2 dup2
#define VT_FDOPEN fdopen
#define VT_FILENO fileno
#define VT_CLOSE close
#endif

namespace vt::cli {

namespace {

struct Descriptors
{
    int saved = -1;   // a copy of standard error as the program started
    int nowhere = -1; // the null device
    std::FILE* program = nullptr;
    std::mutex mutex;
    int dropping = 0; // LibraryOutputDropped alive
};

Descriptors& descriptors()
{
    static Descriptors d;
    return d;
}

int openNowhere()
{
#ifdef _WIN32
    return _open("NUL", _O_WRONLY);
#else
    return open("/dev/null", O_WRONLY | O_CLOEXEC);
#endif
}

} // namespace

std::FILE* programErrors()
{
    Descriptors& d = descriptors();
    std::lock_guard lock(d.mutex);
    if (d.program)
        return d.program;
    std::fflush(stderr);
    d.saved = VT_DUP(VT_FILENO(stderr));
    d.nowhere = openNowhere();
    if (d.saved >= 0 && d.nowhere >= 0)
        d.program = VT_FDOPEN(d.saved, "w");
    if (!d.program) {
        if (d.saved >= 0)
            VT_CLOSE(d.saved);
        if (d.nowhere >= 0)
            VT_CLOSE(d.nowhere);
        d.saved = d.nowhere = -1;
        d.program = stderr;
        return d.program;
    }
    std::setvbuf(d.program, nullptr, _IONBF, 0); // as standard error itself: at once
    return d.program;
}

LibraryOutputDropped::LibraryOutputDropped()
{
    Descriptors& d = descriptors();
    std::lock_guard lock(d.mutex);
    if (d.dropping++ == 0 && d.nowhere >= 0)
        VT_DUP2(d.nowhere, VT_FILENO(stderr));
}

LibraryOutputDropped::~LibraryOutputDropped()
{
    Descriptors& d = descriptors();
    std::lock_guard lock(d.mutex);
    if (--d.dropping == 0 && d.saved >= 0)
        VT_DUP2(d.saved, VT_FILENO(stderr));
}

} // namespace vt::cli
