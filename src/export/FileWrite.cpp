#include "export/FileWrite.h"

#include "pictures/Error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <algorithm>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX // std::min and std::max, not the macros
#endif
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vt {

namespace {

QString cannotWrite(const QString& path, const QString& reason)
{
    return QStringLiteral("Cannot write \"%1\": %2").arg(QDir::toNativeSeparators(path), reason);
}

QString temporaryName(const QString& path)
{
    return QStringLiteral("%1.%2.%3.tmp")
        .arg(path, QString::number(QCoreApplication::applicationPid()),
             QString::number(QRandomGenerator::global()->generate() % (36u * 36u * 36u * 36u), 36));
}

#ifdef _WIN32

QString systemReason(DWORD code)
{
    return qt_error_string(int(code));
}

class Handle
{
public:
    explicit Handle(HANDLE h) : m_h(h) {}
    ~Handle()
    {
        if (valid())
            CloseHandle(m_h);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return m_h != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return m_h; }
    // Closes now; the error code of a failed close, else 0.
    DWORD close()
    {
        const BOOL ok = CloseHandle(m_h);
        m_h = INVALID_HANDLE_VALUE;
        return ok ? 0 : GetLastError();
    }

private:
    HANDLE m_h;
};

// Writes all of `bytes` from the handle's position; 0 or the error code.
DWORD writeAll(HANDLE h, const QByteArray& bytes, const FileWriteOptions& options)
{
    const qint64 half = bytes.size() / 2;
    qint64 done = 0;
    bool toldHalfway = false;
    while (done < bytes.size()) {
        qint64 chunk = std::min<qint64>(bytes.size() - done, 1 << 20);
        if (options.halfway && !toldHalfway)
            chunk = std::min(chunk, std::max<qint64>(half - done, 1));
        DWORD written = 0;
        if (!WriteFile(h, bytes.constData() + done, DWORD(chunk), &written, nullptr))
            return GetLastError();
        if (written == 0)
            return ERROR_DISK_FULL;
        done += written;
        if (options.halfway && !toldHalfway && done >= half) {
            toldHalfway = true;
            options.halfway();
        }
    }
    if (options.sync && !FlushFileBuffers(h))
        return GetLastError();
    return 0;
}

void writeInPlace(const QString& path, const QByteArray& bytes, const FileWriteOptions& options,
                  const QString& noTemporary)
{
    const std::wstring name = QDir::toNativeSeparators(path).toStdWString();
    Handle file(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        throw Error(cannotWrite(path, noTemporary));
    if (GetFileType(file.get()) != FILE_TYPE_DISK)
        throw Error(cannotWrite(path, noTemporary));
    // Room for the whole new file before the old one is touched.
    FILE_ALLOCATION_INFO allocation{};
    allocation.AllocationSize.QuadPart = bytes.size();
    if (!SetFileInformationByHandle(file.get(), FileAllocationInfo, &allocation, sizeof allocation))
        throw Error(cannotWrite(
            path, QStringLiteral("%1 (no temporary file could be made beside it: %2); it is "
                                 "left as it was")
                      .arg(systemReason(GetLastError()), noTemporary)));
    DWORD error = writeAll(file.get(), bytes, options);
    if (!error && !SetEndOfFile(file.get()))
        error = GetLastError();
    if (!error)
        error = file.close();
    if (error)
        throw Error(cannotWrite(path, systemReason(error)));
}

#else

QString systemReason(int code)
{
    return qt_error_string(code);
}

class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    // Closes now; the errno of a failed close, else 0.
    int close()
    {
        const int result = ::close(m_fd);
        m_fd = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int m_fd;
};

// Writes all of `bytes` at `fd`'s position; 0 or the errno. A short write is retried, so that
// the system's own reason for the part that does not fit is what is told.
int writeAll(int fd, const QByteArray& bytes, const FileWriteOptions& options)
{
    const qint64 half = bytes.size() / 2;
    qint64 done = 0;
    bool toldHalfway = false;
    while (done < bytes.size()) {
        qint64 chunk = std::min<qint64>(bytes.size() - done, 1 << 20);
        if (options.halfway && !toldHalfway)
            chunk = std::min(chunk, std::max<qint64>(half - done, 1));
        const ssize_t written = ::write(fd, bytes.constData() + done, std::size_t(chunk));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return ENOSPC;
        done += written;
        if (options.halfway && !toldHalfway && done >= half) {
            toldHalfway = true;
            options.halfway();
        }
    }
    if (options.sync && ::fsync(fd) != 0)
        return errno;
    return 0;
}

void writeInPlace(const QString& path, const QByteArray& bytes, const FileWriteOptions& options,
                  const QString& noTemporary)
{
    // Never blocks on a pipe, and never truncates before the room is there.
    Descriptor file(::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat status
    {
    };
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode))
        throw Error(cannotWrite(path, noTemporary));
    ::fcntl(file.get(), F_SETFL, ::fcntl(file.get(), F_GETFL) & ~O_NONBLOCK);
    const off_t oldSize = status.st_size;
    if (const int error = ::posix_fallocate(file.get(), 0, off_t(bytes.size())); error != 0) {
        // What a failed reservation may have added past the old end goes again.
        if (::fstat(file.get(), &status) == 0 && status.st_size > oldSize)
            (void)::ftruncate(file.get(), oldSize);
        throw Error(cannotWrite(
            path, QStringLiteral("%1 (no temporary file could be made beside it: %2); it is "
                                 "left as it was")
                      .arg(systemReason(error), noTemporary)));
    }
    int error = writeAll(file.get(), bytes, options);
    if (!error && ::ftruncate(file.get(), off_t(bytes.size())) != 0)
        error = errno;
    if (!error)
        error = file.close();
    if (error)
        throw Error(cannotWrite(path, systemReason(error)));
}

#endif

} // namespace

void writeWholeFile(const QString& path, const QByteArray& bytes, const FileWriteOptions& options)
{
#ifdef _WIN32
    QString temporary;
    HANDLE opened = INVALID_HANDLE_VALUE;
    DWORD refusal = 0;
    for (int attempt = 0; attempt < 16 && opened == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = temporaryName(path);
        opened = CreateFileW(QDir::toNativeSeparators(temporary).toStdWString().c_str(),
                             GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (opened == INVALID_HANDLE_VALUE) {
            refusal = GetLastError();
            if (refusal != ERROR_FILE_EXISTS)
                break;
        }
    }
    Handle file(opened);
    if (!file.valid()) {
        if (QFileInfo(path).isFile())
            return writeInPlace(path, bytes, options, systemReason(refusal));
        throw Error(cannotWrite(path, systemReason(refusal)));
    }
    DWORD error = writeAll(file.get(), bytes, options);
    if (!error)
        error = file.close();
    if (!error && !MoveFileExW(QDir::toNativeSeparators(temporary).toStdWString().c_str(),
                               QDir::toNativeSeparators(path).toStdWString().c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error) {
        if (file.valid())
            file.close();
        DeleteFileW(QDir::toNativeSeparators(temporary).toStdWString().c_str());
        throw Error(cannotWrite(path, systemReason(error)));
    }
#else
    QString temporary;
    int fd = -1;
    int refusal = 0;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temporary = temporaryName(path);
        fd = ::open(QFile::encodeName(temporary).constData(),
                    O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        refusal = fd < 0 ? errno : 0;
        if (fd < 0 && refusal != EEXIST)
            break;
    }
    Descriptor file(fd);
    if (file.get() < 0) {
        if (QFileInfo(path).isFile())
            return writeInPlace(path, bytes, options, systemReason(refusal));
        throw Error(cannotWrite(path, systemReason(refusal)));
    }
    const QByteArray from = QFile::encodeName(temporary);
    const QByteArray to = QFile::encodeName(path);
    int error = writeAll(file.get(), bytes, options);
    // A file replaced keeps its permissions.
    struct stat target
    {
    };
    if (!error && ::stat(to.constData(), &target) == 0 && S_ISREG(target.st_mode))
        (void)::fchmod(file.get(), target.st_mode & 07777);
    if (!error)
        error = file.close();
    if (!error && ::rename(from.constData(), to.constData()) != 0)
        error = errno;
    if (error) {
        ::unlink(from.constData());
        throw Error(cannotWrite(path, systemReason(error)));
    }
#endif
}

bool isTemporaryOf(const QString& fileName, const QString& targetName, qint64* pid)
{
    if (!fileName.startsWith(targetName + QLatin1Char('.')) ||
        !fileName.endsWith(QLatin1String(".tmp")))
        return false;
    static const QRegularExpression rest(QStringLiteral("^([0-9]{1,10})\\.[0-9a-z]{1,8}\\.tmp$"));
    const QRegularExpressionMatch match = rest.match(fileName.mid(targetName.size() + 1));
    if (!match.hasMatch())
        return false;
    *pid = match.captured(1).toLongLong();
    return true;
}

bool processRuns(qint64 pid)
{
    if (pid == QCoreApplication::applicationPid())
        return true;
#ifdef _WIN32
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    const bool runs = !GetExitCodeProcess(process, &code) || code == STILL_ACTIVE;
    CloseHandle(process);
    return runs;
#else
    if (pid <= 0 || pid > 0x7fffffff)
        return false;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
#endif
}

QStringList StaleTemporaries::removeFor(const QStringList& targets)
{
    std::lock_guard lock(m_mutex);
    QStringList removed;
    for (const QString& target : targets) {
        const QFileInfo info(target);
        const QString folder = info.absolutePath();
        auto listed = m_folders.find(folder);
        if (listed == m_folders.end())
            listed = m_folders.insert(
                folder, QDir(folder).entryList({QStringLiteral("*.tmp")},
                                               QDir::Files | QDir::Hidden | QDir::System));
        const QString name = info.fileName();
        for (auto it = listed->begin(); it != listed->end();) {
            qint64 pid = 0;
            if (isTemporaryOf(*it, name, &pid) && !processRuns(pid)) {
                const QString file = QDir(folder).filePath(*it);
                if (QFile::remove(file))
                    removed.append(QDir::toNativeSeparators(file));
                it = listed->erase(it);
            } else {
                ++it;
            }
        }
    }
    return removed;
}

} // namespace vt
