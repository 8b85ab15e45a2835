#include "export/SaveMap.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <array>
#include <filesystem>
#include <system_error>

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

// Writes one output through a temporary file; throws "Cannot write ..." when it cannot.
void writeOutput(const QString& path, const OutputFormatRow& output, const QImage& picture,
                 const QImage* indexed, const MapTableSource& table, bool sync)
{
    const QString shown = QDir::toNativeSeparators(path);
    const auto write = [&](QIODevice& device) {
        try {
            output.write(device, picture, indexed, table);
        } catch (const Error& error) {
            throw Error(cannotWrite(shown, error.message()));
        }
    };
    if (sync) {
        QSaveFile file(path); // forces the file onto the disk before it replaces the target
        if (!file.open(QIODevice::WriteOnly))
            throw Error(cannotWrite(shown, file.errorString()));
        try {
            write(file);
        } catch (...) {
            file.cancelWriting();
            throw;
        }
        if (!file.commit())
            throw Error(cannotWrite(shown, file.errorString()));
        return;
    }

    QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
    if (!file.open())
        throw Error(cannotWrite(shown, file.errorString()));
    write(file);
    if (!file.flush())
        throw Error(cannotWrite(shown, file.errorString()));
    file.close();
    // A temporary file is private to its owner; the output gets the target's permissions, or
    // those a new file usually has (read and write for the owner, read for the others).
    const QFileInfo target(path);
    file.setPermissions(target.exists() ? target.permissions()
                                        : QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ReadUser | QFileDevice::WriteUser |
                                              QFileDevice::ReadGroup | QFileDevice::ReadOther);
    // Replaces an existing target in one step (QFile::rename would refuse it).
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(file.fileName().toStdU16String()),
                            std::filesystem::path(path.toStdU16String()), error);
    if (error)
        throw Error(cannotWrite(shown, QString::fromLocal8Bit(error.message().c_str())));
    file.setAutoRemove(false);
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
    for (const OutputFile& file : outputFiles(base, choices, table.game, table.colour)) {
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
