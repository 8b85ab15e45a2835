#include "export/SaveMap.h"

#include "export/FileWrite.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>

#include <array>

namespace vt {

namespace {

// Whether the save has what the output is made from.
bool hasSource(OutputSource source, const MapTableSource& table)
{
    const bool decoded = table.decoded && table.decoded->columns() > 0 && table.decoded->rows() > 0;
    switch (source) {
    case OutputSource::Picture:
        return true;
    case OutputSource::Table:
        return decoded;
    case OutputSource::Tiled:
        return decoded && table.characters && !table.characters->empty();
    }
    return false;
}

QString cannotWrite(const QString& file, const QString& reason)
{
    return QStringLiteral("Cannot write \"%1\": %2").arg(file, reason);
}

// Writes one output whole (writeWholeFile); throws "Cannot write ..." when it cannot. The
// bytes are made in memory first: an encoder never meets a failing disk (libpng would print
// its own line about it), the reason told is the system's, and a file written in place knows
// the room it needs before it is touched.
void writeOutput(const QString& path, const OutputFormatRow& output, const QImage& picture,
                 const QImage* indexed, const MapTableSource& table, bool sync)
{
    // One buffer per thread, kept from file to file, so that a run over many grabs does not
    // take and give back a map's 12 MB of pages for every file. One grown past this is let go
    // (a big screengrab's).
    constexpr qsizetype kKeptBuffer = 64 << 20;
    thread_local QByteArray bytes;
    struct Release
    {
        ~Release()
        {
            if (bytes.capacity() > kKeptBuffer)
                bytes = QByteArray();
        }
    } release;
    bytes.resize(0); // keeps the room
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    try {
        output.write(buffer, picture, indexed, table);
    } catch (const Error& error) {
        throw Error(cannotWrite(QDir::toNativeSeparators(path), error.message()));
    }
    buffer.close();
    FileWriteOptions options;
    options.sync = sync;
    writeWholeFile(path, bytes, options);
}

} // namespace

QStringList SaveMapUnder(const QImage& picture, const QString& base, SaveChoices choices,
                         bool confirmoverwrite, const MapTableSource& table,
                         const SaveMapHooks& hooks, const QImage* indexed)
{
    QStringList written;
    // The files to write, by format; an output whose source is missing is dropped, and the
    // first such file that has a name of its own is reported once the others are written.
    std::array<QString, kOutputFormatCount> paths;
    QString missing;
    for (const OutputFile& file :
         outputFiles(base, choices, table.game, table.colour, hooks.extension)) {
        const OutputFormatRow& row = outputFormat(file.format);
        if (hasSource(row.source, table))
            paths[std::size_t(file.format)] = file.path;
        else if (missing.isEmpty() && !file.shared)
            missing = QStringLiteral("No decoded map to write as %1: \"%2\" was not written")
                          .arg(row.source == OutputSource::Table ? QStringLiteral("a table")
                                                                 : QStringLiteral("a Tiled map"),
                               QDir::toNativeSeparators(file.path));
    }

    if (confirmoverwrite) {
        for (QString& path : paths) {
            if (path.isEmpty() || !QFileInfo::exists(path))
                continue;
            const QString message = QStringLiteral("\"%1\" already exists. Overwrite?")
                                        .arg(QDir::toNativeSeparators(path));
            if (!(hooks.confirm && hooks.confirm(message)))
                path.clear();
        }
    }

    for (const OutputFormatRow& row : outputFormatTable()) {
        const QString& path = paths[std::size_t(row.format)];
        if (!path.isEmpty()) {
            try {
                writeOutput(path, row, picture, indexed, table, hooks.syncEachFile);
            } catch (const Error& error) {
                throw SaveError(error.message(), written);
            }
            written.append(QDir::toNativeSeparators(path));
        }
        if (row.progressAfter >= 0 && hooks.progress)
            hooks.progress(row.progressAfter);
    }
    if (!missing.isEmpty())
        throw SaveError(missing, written);
    return written;
}

} // namespace vt
