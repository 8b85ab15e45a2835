#include "TestSupport.h"

#include "settings/RegUtils.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

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

} // namespace vt::test
