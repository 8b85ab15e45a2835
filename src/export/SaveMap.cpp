#include "export/SaveMap.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

#include <array>
#include <filesystem>
#include <system_error>

namespace vt {

namespace {

// Read and write for everyone, less what the umask takes away: what a new file usually gets.
constexpr QFileDevice::Permissions kNewFilePermissions =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
    QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::WriteGroup |
    QFileDevice::ReadOther | QFileDevice::WriteOther;

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
        // In a folder the user may not write, a target the user may write is written in place.
        file.setDirectWriteFallback(true);
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

    // A new file of the user's own, with the permissions a new file gets (the umask's on Unix),
    // beside the target under a name no other file has.
    const QFileInfo target(path);
    QFile file;
    for (int attempt = 0; attempt < 16; ++attempt) {
        file.setFileName(
            QStringLiteral("%1.%2.tmp")
                .arg(path, QString::number(QRandomGenerator::global()->generate(), 36)));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly, kNewFilePermissions) ||
            !QFileInfo::exists(file.fileName()))
            break; // open, or refused for another reason than a name taken
    }
    if (!file.isOpen()) {
        // A folder the user may not write, with a target the user may: written in place.
        if (target.isFile() && target.isWritable()) {
            QFile direct(path);
            if (!direct.open(QIODevice::WriteOnly | QIODevice::Truncate))
                throw Error(cannotWrite(shown, direct.errorString()));
            write(direct);
            if (!direct.flush())
                throw Error(cannotWrite(shown, direct.errorString()));
            return;
        }
        throw Error(cannotWrite(shown, file.errorString()));
    }
    try {
        write(file);
        if (!file.flush())
            throw Error(cannotWrite(shown, file.errorString()));
    } catch (...) {
        file.close();
        file.remove();
        throw;
    }
    file.close();
    if (target.exists())
        file.setPermissions(target.permissions());
    // Replaces an existing target in one step (QFile::rename would refuse it).
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(file.fileName().toStdU16String()),
                            std::filesystem::path(path.toStdU16String()), error);
    if (error) {
        file.remove();
        throw Error(cannotWrite(shown, QString::fromLocal8Bit(error.message().c_str())));
    }
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
