// Writing one whole file so that a full disk, a kill or a second run never leaves a broken file
// at its final name: every output, thumbnail and report page goes through here.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <mutex>

namespace vt {

struct FileWriteOptions
{
    // Forced onto the disk before it replaces the target; a run over many files turns it off.
    bool sync = true;
    // Called once half of the bytes are written (tests: a run killed in the middle of a write).
    std::function<void()> halfway;
};

// Writes `bytes` as the file `path`, or throws vt::Error "Cannot write \"<file>\": <reason>"
// with the system's reason, once.
// - The bytes go to a temporary file beside the target, "<name>.<process id>.<tag>.tmp", which
//   replaces the target (keeping its permissions) only once complete; a failure removes it and
//   leaves the target as it was. A kill leaves the temporary behind (removeStaleTemporaries).
//   New files get the permissions the umask leaves.
// - Where no temporary file can be made beside it (a folder the user may not write, no free
//   inode), an existing regular file the user may write is written in place, but only once
//   room for all its new bytes is reserved; where it cannot be, the save is refused and the
//   file is left as it was. A kill or a failure of the disk during such a write still damages it.
void writeWholeFile(const QString& path, const QByteArray& bytes,
                    const FileWriteOptions& options = {});

// Whether `fileName` (no folder) is a temporary of writeWholeFile for the target named
// `targetName`; its writer's process id in `pid`.
bool isTemporaryOf(const QString& fileName, const QString& targetName, qint64* pid);

// Whether a process of that id runs now (one that cannot be asked counts as running).
bool processRuns(qint64 pid);

// Removes the temporaries of the files a run is about to write that a process which no longer
// runs left behind (a kill), and gives them with native separators; a live process's
// temporaries (a second run into the same folder) are left alone. Each folder is listed once.
// Safe to call from several threads.
class StaleTemporaries
{
public:
    QStringList removeFor(const QStringList& targets);

private:
    std::mutex m_mutex;
    QHash<QString, QStringList> m_folders; // folder -> names ending ".tmp" found there
};

} // namespace vt
