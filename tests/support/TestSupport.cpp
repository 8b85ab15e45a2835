#include "TestSupport.h"

#include "settings/RegUtils.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include <gtest/gtest.h>

#ifdef __linux__
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>
#endif

namespace vt::test {

namespace {
QString g_settingsFile;
}

SettingsSandbox::SettingsSandbox()
{
    g_settingsFile = m_dir.filePath(QStringLiteral("settings.ini"));
    useSettingsFile(g_settingsFile);
}

SettingsSandbox::~SettingsSandbox()
{
    useSettingsFile(QString());
}

void SettingsSandbox::clear()
{
    OpenReg()->clear();
}

QString sourceDir()
{
    return QStringLiteral(VT_SOURCE_DIR);
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path.toStdString() << ": "
                      << file.errorString().toStdString();
}

QString corporaDir()
{
    // Beside the checkout, as in the developers' workspace; a clean clone elsewhere on the same
    // machine finds it at the workspace's place, or where VT_CORPORA_DIR says.
    const QStringList candidates = {
        qEnvironmentVariable("VT_CORPORA_DIR"),
        QDir(sourceDir()).absoluteFilePath(QStringLiteral("../shared/corpora")),
        QStringLiteral("/work/shared/corpora"),
    };
    for (const QString& dir : candidates)
        if (!dir.isEmpty() && QFileInfo(dir).isDir())
            return QDir::cleanPath(dir);
    return {};
}

QStringList corpusFiles()
{
    QStringList files;
    const QString corpora = corporaDir();
    if (corpora.isEmpty())
        return files;
    for (QDirIterator it(corpora, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        files.append(it.next());
    files.sort();
    return files;
}

ScratchDisk::ScratchDisk(qint64 size, int inodes)
{
#ifdef __linux__
    const QByteArray options =
        QStringLiteral("size=%1,nr_inodes=%2,mode=0755").arg(size).arg(inodes).toLatin1();
    if (::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0,
                options.constData()) == 0)
        m_mounted = true;
    else
        m_why = QStringLiteral("cannot mount a tmpfs on %1: %2")
                    .arg(m_dir.path(), QString::fromLocal8Bit(std::strerror(errno)));
#else
    (void)size;
    (void)inodes;
    m_why = QStringLiteral("a scratch file system is mounted on Linux only");
#endif
}

ScratchDisk::~ScratchDisk()
{
#ifdef __linux__
    if (m_mounted)
        ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
#endif
}

void ScratchDisk::fill(qint64 leave)
{
#ifdef __linux__
    const int fd = ::open(QFile::encodeName(filePath(QStringLiteral("filler"))).constData(),
                          O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << std::strerror(errno);
    const QByteArray block(4096, 'f');
    while (::write(fd, block.constData(), std::size_t(block.size())) > 0) {
    }
    while (::write(fd, block.constData(), 1) > 0) {
    }
    if (leave > 0) {
        ASSERT_EQ(::ftruncate(fd, std::max<off_t>(0, ::lseek(fd, 0, SEEK_END) - off_t(leave))), 0);
    }
    ::close(fd);
#endif
}

void ScratchDisk::useUpInodes()
{
#ifdef __linux__
    for (int n = 0;; ++n) {
        const int fd =
            ::open(QFile::encodeName(filePath(QStringLiteral("inode-%1").arg(n))).constData(),
                   O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0)
            break;
        ::close(fd);
    }
#endif
}

} // namespace vt::test
