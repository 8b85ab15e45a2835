#include "export/BulkConvert.h"

#include "export/FileNames.h"
#include "export/OutputFormats.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include <algorithm>

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

QStringList ownOutputs(const QStringList& names, const QString& pattern)
{
    // Every name an output of one of the names would take, with the names that give it.
    QHash<QString, QStringList> outputOf;
    for (const QString& name : names)
        for (const int gameNumber : {1, 2}) {
            const QString base = expandPattern(pattern, gameNumber, name);
            for (const OutputFormatRow& row : outputFormatTable())
                if (row.extension)
                    outputOf[(base + QLatin1String(row.extension)).toCaseFolded()].append(name);
        }
    QStringList own;
    for (const QString& name : names) {
        const QStringList givers = outputOf.value(name.toCaseFolded());
        if (std::any_of(givers.cbegin(), givers.cend(), [&name](const QString& giver) {
                return giver.compare(name, Qt::CaseInsensitive) != 0;
            }))
            own.append(name);
    }
    return own;
}

QString patternLeavesFolder(const QString& pattern)
{
    // Any grab gives the same folders: its name holds no separator of the platform it is on.
    const QString result = expandPattern(pattern, 1, QStringLiteral("grab"));
    const auto refused = [&](const QString& why) {
        return QStringLiteral("The file-name pattern \"%1\" %2: the outputs are written only "
                              "into the destination folder.")
            .arg(pattern, why);
    };
    if (result.startsWith(u'/') || result.startsWith(u'\\'))
        return refused(QStringLiteral("is an absolute path"));
    if (result.size() >= 2 && result.at(1) == u':' && result.at(0).isLetter())
        return refused(QStringLiteral("names a drive"));
    const QStringList parts = result.split(QRegularExpression(QStringLiteral("[/\\\\]")));
    int depth = 0;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        if (parts[i] == QLatin1String(".."))
            --depth;
        else if (!parts[i].isEmpty() && parts[i] != QLatin1String("."))
            ++depth;
        if (depth < 0)
            return refused(QStringLiteral("leads out of the destination folder"));
    }
    return {};
}

} // namespace vt
