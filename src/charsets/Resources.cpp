#include "charsets/Resources.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <vector>

namespace vt {

namespace {

// Resource folders hold few files, so a scan is as quick as an index and never goes stale.
QString findIn(const QString& folder, const QString& name, bool ignoreExtension)
{
    const QDir dir(folder);
    const QStringList entries = dir.entryList(QDir::Files);
    for (const QString& entry : entries) {
        const QString key = ignoreExtension ? QFileInfo(entry).completeBaseName() : entry;
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    return {};
}

struct Override
{
    QString name;
    std::optional<QByteArray> bytes;
};

std::vector<Override>& overrides()
{
    static std::vector<Override> list;
    return list;
}

} // namespace

namespace {
std::atomic<int> g_generation{0};
} // namespace

int resourceGeneration()
{
    return g_generation.load();
}

void overrideResource(const QString& name, std::optional<QByteArray> bytes)
{
    ++g_generation;
    auto& list = overrides();
    if (name.isNull()) {
        list.clear();
        return;
    }
    std::erase_if(list, [&name](const Override& o) {
        return o.name.compare(name, Qt::CaseInsensitive) == 0;
    });
    list.push_back({name, std::move(bytes)});
}

std::optional<QByteArray> readResource(const QString& name)
{
    for (const Override& o : overrides())
        if (o.name.compare(name, Qt::CaseInsensitive) == 0)
            return o.bytes;
    const QString path = findIn(QStringLiteral(":/rcdata"), name, false);
    if (path.isEmpty())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

QImage programPicture(const QString& name)
{
    const QString path = findIn(QStringLiteral(":/pictures"), name, true);
    return path.isEmpty() ? QImage() : QImage(path);
}

} // namespace vt
