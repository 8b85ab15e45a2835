// Helpers shared by the tests.
#pragma once

#include "decode/CellsToCheck.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <ostream>

// Readable QStrings in test failure messages.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace vt {
// Readable cells to check in test failure messages.
inline void PrintTo(const CellToCheck& cell, std::ostream* out)
{
    *out << (cell.reason == CheckReason::Unmatched ? "unmatched " : "near tie ") << cell.column
         << "," << cell.row;
}
} // namespace vt

namespace vt::test {

// Points the settings store at a file in a temporary folder for as long as it lives.
class SettingsSandbox
{
public:
    SettingsSandbox();
    ~SettingsSandbox();
    static void clear(); // empties the store

private:
    QTemporaryDir m_dir;
};

// The folder of the third-party test pictures (beside the checkout, at the workspace's place,
// or where VT_CORPORA_DIR says), or empty when it is not there.
QString corporaDir();

// Every file under corporaDir(), sorted: README and checksum files included, since those must
// be refused as well as any broken picture.
QStringList corpusFiles();

// The folder of this repository's sources (for shipped files and tools).
QString sourceDir();

// The whole file, or empty when it cannot be read.
QByteArray readAll(const QString& path);

// Writes the file whole, or fails the running test.
void writeFile(const QString& path, const QByteArray& bytes);

// A small file system of its own for as long as it lives (Linux, as root: a tmpfs of `size`
// bytes and `inodes` inodes mounted on a temporary folder), for disks that are full or have no
// free inode. mounted() is false with the reason in why() where it cannot be had: the test
// skips then.
class ScratchDisk
{
public:
    ScratchDisk(qint64 size, int inodes);
    ~ScratchDisk();
    ScratchDisk(const ScratchDisk&) = delete;
    ScratchDisk& operator=(const ScratchDisk&) = delete;

    bool mounted() const { return m_mounted; }
    const QString& why() const { return m_why; }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    // Takes the room left but `leave` bytes (a file "filler" of it) or the inodes left (empty
    // files "inode-<n>"), so that a write fails part way or a new file cannot be made.
    void fill(qint64 leave = 0);
    void useUpInodes();

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    QString m_why;
};

} // namespace vt::test
