#include "export/SaveMap.h"

#include "export/FileNames.h"
#include "export/ImageWriters.h"
#include "export/MapTable.h"
#include "export/TiledExport.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <array>
#include <filesystem>
#include <system_error>

namespace vt {

namespace {

enum class Output
{
    Bmp,
    Png,
    Gif,
    Jpeg,
    Csv,
    Tileset, // the picture the Tiled maps refer to, beside them
    Tmx,
    Json
};

struct Step
{
    Output output;
    const char* extension;
    int progressAfter; // -1: none
};

constexpr std::array<Step, 8> kSteps{{{Output::Bmp, ".bmp", 20},
                                      {Output::Png, ".png", 40},
                                      {Output::Gif, ".gif", 60},
                                      {Output::Jpeg, ".jpeg", 80},
                                      {Output::Csv, ".csv", -1},
                                      {Output::Tileset, nullptr, -1},
                                      {Output::Tmx, ".tmx", -1},
                                      {Output::Json, ".json", -1}}};

bool chosen(const SaveChoices& choices, Output output)
{
    switch (output) {
    case Output::Bmp:
        return choices.bmp;
    case Output::Png:
        return choices.png;
    case Output::Gif:
        return choices.gif;
    case Output::Jpeg:
        return choices.jpg;
    case Output::Csv:
        return choices.csv;
    case Output::Tileset:
        return choices.tmx || choices.json;
    case Output::Tmx:
        return choices.tmx;
    case Output::Json:
        return choices.json;
    }
    return false;
}

bool hasTable(const MapTableSource& table)
{
    return table.decoded && table.decoded->columns() > 0 && table.decoded->rows() > 0;
}

bool hasTileset(const MapTableSource& table)
{
    return hasTable(table) && table.characters && !table.characters->empty();
}

bool isTiled(Output output)
{
    return output == Output::Tileset || output == Output::Tmx || output == Output::Json;
}

TiledTileset tilesetOf(const MapTableSource& table)
{
    return tiledTileset(table.game, table.colour, int(table.characters->size()));
}

QString cannotWrite(const QString& file, const QString& reason)
{
    return QStringLiteral("Cannot write \"%1\": %2").arg(file, reason);
}

// Writes the output's bytes onto `device`; false with `reason` when they cannot be written.
bool writeContent(QIODevice& device, Output output, const QImage& picture,
                  const MapTableSource& table, QString& reason)
{
    switch (output) {
    case Output::Bmp:
        return writeBmp(picture, device, &reason);
    case Output::Png:
        return writePng(picture, device, &reason);
    case Output::Gif:
        return writeGif(picture, device, &reason);
    case Output::Jpeg:
        return writeJpeg(picture, device, &reason);
    case Output::Tileset:
        return writePng(tilesetImage(*table.characters), device, &reason);
    case Output::Csv:
    case Output::Tmx:
    case Output::Json: {
        const QByteArray text =
            output == Output::Csv
                ? csvTable(*table.decoded, table.colourItemText, table.game, table.charRef)
            : output == Output::Tmx ? tmxMap(*table.decoded, tilesetOf(table))
                                    : tiledJsonMap(*table.decoded, tilesetOf(table));
        if (device.write(text) == text.size())
            return true;
        reason = device.errorString();
        return false;
    }
    }
    return false;
}

// Writes one output through a temporary file; returns the error text, empty on success.
QString writeOutput(const QString& path, Output output, const QImage& picture,
                    const MapTableSource& table, bool sync)
{
    const QString shown = QDir::toNativeSeparators(path);
    QString reason;
    if (sync) {
        QSaveFile file(path); // forces the file onto the disk before it replaces the target
        if (!file.open(QIODevice::WriteOnly))
            return cannotWrite(shown, file.errorString());
        if (!writeContent(file, output, picture, table, reason)) {
            file.cancelWriting();
            return cannotWrite(shown, reason);
        }
        if (!file.commit())
            return cannotWrite(shown, file.errorString());
        return {};
    }

    QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
    if (!file.open())
        return cannotWrite(shown, file.errorString());
    if (!writeContent(file, output, picture, table, reason))
        return cannotWrite(shown, reason);
    if (!file.flush())
        return cannotWrite(shown, file.errorString());
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
        return cannotWrite(shown, QString::fromLocal8Bit(error.message().c_str()));
    file.setAutoRemove(false);
    return {};
}

} // namespace

SaveMapResult SaveMap(const QImage& picture, const QString& filename, SaveChoices choices,
                      bool confirmoverwrite, const MapTableSource& table, const SaveMapHooks& hooks)
{
    if (filename.isEmpty())
        return {}; // the clipboard copy: the caller's part
    return SaveMapUnder(picture, RemoveExt(filename), choices, confirmoverwrite, table, hooks);
}

SaveMapResult SaveMapUnder(const QImage& picture, const QString& base, SaveChoices choices,
                           bool confirmoverwrite, const MapTableSource& table,
                           const SaveMapHooks& hooks)
{
    SaveMapResult result;
    const auto pathOf = [&base, &table](const Step& step) {
        if (step.output == Output::Tileset)
            return QFileInfo(base + QStringLiteral(".tmx")).absolutePath() + QLatin1Char('/') +
                   tilesetOf(table).imageFile;
        return base + QLatin1String(step.extension);
    };
    const bool tableMissing = choices.csv && !hasTable(table);
    const bool tiledMissing = (choices.tmx || choices.json) && !hasTileset(table);

    std::array<bool, kSteps.size()> keep{};
    for (std::size_t i = 0; i < kSteps.size(); ++i) {
        const Output output = kSteps[i].output;
        keep[i] = chosen(choices, output) && !(output == Output::Csv && tableMissing) &&
                  !(isTiled(output) && tiledMissing);
    }

    if (confirmoverwrite) {
        for (std::size_t i = 0; i < kSteps.size(); ++i) {
            if (!keep[i])
                continue;
            const QString path = pathOf(kSteps[i]);
            if (!QFileInfo::exists(path))
                continue;
            const QString message = QStringLiteral("\"%1\" already exists. Overwrite?")
                                        .arg(QDir::toNativeSeparators(path));
            keep[i] = hooks.confirm && hooks.confirm(message);
        }
    }

    for (std::size_t i = 0; i < kSteps.size(); ++i) {
        const Step& step = kSteps[i];
        if (keep[i]) {
            const QString path = pathOf(step);
            result.error = writeOutput(path, step.output, picture, table, hooks.syncEachFile);
            if (!result.error.isEmpty())
                return result;
            result.written.append(QDir::toNativeSeparators(path));
        }
        if (step.progressAfter >= 0 && hooks.progress)
            hooks.progress(step.progressAfter);
    }

    if (tableMissing) {
        result.error = QStringLiteral("No decoded map to write as a table: \"%1\" was not written")
                           .arg(QDir::toNativeSeparators(base + QStringLiteral(".csv")));
    } else if (tiledMissing) {
        result.error =
            QStringLiteral("No decoded map to write as a Tiled map: \"%1\" was not written")
                .arg(QDir::toNativeSeparators(
                    base + (choices.tmx ? QStringLiteral(".tmx") : QStringLiteral(".json"))));
    }
    return result;
}

} // namespace vt
