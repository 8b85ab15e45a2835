#include "app/AppVersion.h"

#include "VersionInfo.h"

#include <QStringList>

namespace vt {

QString formatAppVersion(const QString& fileVersion)
{
    const QStringList parts = fileVersion.split(QLatin1Char('.'));
    if (parts.size() < 2)
        return {};
    bool majorOk = false;
    bool minorOk = false;
    const int major = parts[0].toInt(&majorOk);
    const int minor = parts[1].toInt(&minorOk);
    if (!majorOk || !minorOk)
        return {};
    return QString::asprintf("%d.%.2d", major, minor) + QStringLiteral("-x64");
}

QString AppVersion()
{
    return formatAppVersion(QStringLiteral(VT_FILE_VERSION));
}

} // namespace vt
