#include "export/BulkConvert.h"

#include "export/FileNames.h"

#include <QDir>
#include <QFileInfo>

namespace vt {

QStringList listFolder(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System,
                                  QDir::Name | QDir::IgnoreCase);
}

QString expandPattern(const QString& pattern, int gameNumber, const QString& grabFileName)
{
    QString result = pattern;
    result.replace(QStringLiteral("%%"), QStringLiteral("%"), Qt::CaseInsensitive);
    result.replace(QStringLiteral("%g"), QString::number(gameNumber), Qt::CaseInsensitive);
    result.replace(QStringLiteral("%s"), RemoveExt(QFileInfo(grabFileName).fileName()),
                   Qt::CaseInsensitive);
    return result;
}

} // namespace vt
