#include "TestSupport.h"

#include "settings/RegUtils.h"

#include <QDir>
#include <QFileInfo>

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

QString corporaDir()
{
    const QString dir = QDir(sourceDir()).absoluteFilePath(QStringLiteral("../shared/corpora"));
    return QFileInfo(dir).isDir() ? QDir::cleanPath(dir) : QString();
}

} // namespace vt::test
