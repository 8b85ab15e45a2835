#include "export/OutputFormats.h"

#include "export/ImageWriters.h"
#include "export/MapTable.h"
#include "export/TiledExport.h"
#include "pictures/Error.h"
#include "settings/Flags.h"

#include <QFileInfo>
#include <QIODevice>

#include <algorithm>

namespace vt {

namespace {

void writeText(QIODevice& device, const QByteArray& text)
{
    if (device.write(text) != text.size())
        throw Error(device.errorString());
}

TiledTileset tilesetOf(const MapTableSource& table)
{
    return tiledTileset(table.game, table.colour, int(table.characters->size()));
}

void bmp(QIODevice& device, const QImage& picture, const QImage*, const MapTableSource&)
{
    writeBmp(picture, device);
}

void png(QIODevice& device, const QImage& picture, const QImage* indexed, const MapTableSource&)
{
    writePng(picture, device, indexed);
}

void gif(QIODevice& device, const QImage& picture, const QImage* indexed, const MapTableSource&)
{
    writeGif(picture, device, indexed);
}

void jpeg(QIODevice& device, const QImage& picture, const QImage*, const MapTableSource&)
{
    writeJpeg(picture, device);
}

void csv(QIODevice& device, const QImage&, const QImage*, const MapTableSource& table)
{
    writeText(device, csvTable(*table.decoded, table.colourItemText, table.game, table.charRef,
                               table.map_text));
}

void tileset(QIODevice& device, const QImage&, const QImage*, const MapTableSource& table)
{
    writePng(tilesetImage(*table.characters), device);
}

void tmx(QIODevice& device, const QImage&, const QImage*, const MapTableSource& table)
{
    writeText(device, tmxMap(*table.decoded, tilesetOf(table), table.game, table.charRef));
}

void json(QIODevice& device, const QImage&, const QImage*, const MapTableSource& table)
{
    writeText(device, tiledJsonMap(*table.decoded, tilesetOf(table), table.game, table.charRef));
}

using F = OutputFormat;
using S = OutputSource;

// The flag bits and the dialog rows are stored and shown: they keep their numbers.
constexpr std::array<OutputFormatRow, kOutputFormatCount> kRows{{
    // clang-format off
    // format    label            extension source
    //           dialog row and label            -f and alias     bit  bulk box      progress writer
    {F::Bmp,     "BMP",           ".bmp",   S::Picture,
                 0, "Windows Bitmap",             "bmp",  nullptr,  0, "cb_SaveBMP", 20, bmp},
    {F::Png,     "PNG",           ".png",   S::Picture,
                 2, "PNG Image File",             "png",  nullptr,  2, "cb_SavePNG", 40, png},
    {F::Gif,     "GIF",           ".gif",   S::Picture,
                 1, "GIF Image File",             "gif",  nullptr,  1, "cb_SaveGIF", 60, gif},
    {F::Jpeg,    "JPEG",          ".jpeg",  S::Picture,
                 3, "JPEG Image File",            "jpeg", "jpg",    3, "cb_SaveJPG", 80, jpeg},
    {F::Csv,     "CSV",           ".csv",   S::Table,
                 4, "Comma Separated Value file", "csv",  nullptr,  4, "cb_SaveCSV", -1, csv},
    {F::Tileset, "Tiled tileset", nullptr,  S::Tiled,
                -1, nullptr,                      nullptr, nullptr, -1, nullptr,     -1, tileset},
    {F::Tmx,     "TMX",           ".tmx",   S::Tiled,
                 5, "Tiled Map",                  "tmx",  nullptr, -1, nullptr,      -1, tmx},
    {F::Json,    "Tiled JSON",    ".json",  S::Tiled,
                -1, nullptr,                      "json", nullptr, -1, nullptr,      -1, json},
    // clang-format on
}};

constexpr bool rowsInEnumOrder()
{
    for (std::size_t i = 0; i < kRows.size(); ++i)
        if (std::size_t(kRows[i].format) != i)
            return false;
    return true;
}
static_assert(rowsInEnumOrder(), "row i of the output table must be OutputFormat(i)");

// "a, b or c".
QString listed(const QStringList& items, const QString& separator, const QString& last)
{
    if (items.size() < 2)
        return items.join(separator);
    return items.mid(0, items.size() - 1).join(separator) + last + items.constLast();
}

// The rows with a place in `place` (dialog row, flag bit), in the order of that place.
std::vector<const OutputFormatRow*> rowsBy(int OutputFormatRow::*place)
{
    std::vector<const OutputFormatRow*> rows;
    for (const OutputFormatRow& row : kRows)
        if (row.*place >= 0)
            rows.push_back(&row);
    std::sort(rows.begin(), rows.end(),
              [place](const auto* a, const auto* b) { return a->*place < b->*place; });
    return rows;
}

} // namespace

const std::array<OutputFormatRow, kOutputFormatCount>& outputFormatTable()
{
    return kRows;
}

const OutputFormatRow& outputFormat(OutputFormat format)
{
    return kRows[std::size_t(format)];
}

QStringList saveDialogRows(bool mapOutputs)
{
    QStringList rows;
    for (const OutputFormatRow* row : rowsBy(&OutputFormatRow::dialogRow))
        if (mapOutputs || row->source == OutputSource::Picture)
            rows.append(QStringLiteral("%1 (*%2)")
                            .arg(QLatin1String(row->dialogLabel), QLatin1String(row->extension)));
    return rows;
}

std::optional<OutputFormat> saveDialogFormat(const QString& extension)
{
    // Players name files in any case, and JPEG as often ".jpg" as ".jpeg": the alias -f takes.
    for (const OutputFormatRow& row : kRows) {
        if (row.dialogRow < 0)
            continue;
        if (extension.compare(QLatin1String(row.extension), Qt::CaseInsensitive) == 0)
            return row.format;
        if (row.cliAlias && extension.startsWith(QLatin1Char('.')) &&
            extension.mid(1).compare(QLatin1String(row.cliAlias), Qt::CaseInsensitive) == 0)
            return row.format;
    }
    return std::nullopt;
}

int saveDialogRowOf(const QString& extension, bool mapOutputs)
{
    const std::optional<OutputFormat> format = saveDialogFormat(extension);
    if (!format)
        return -1;
    const OutputFormatRow& row = outputFormat(*format);
    const QString shown = QStringLiteral("%1 (*%2)")
                              .arg(QLatin1String(row.dialogLabel), QLatin1String(row.extension));
    return int(saveDialogRows(mapOutputs).indexOf(shown));
}

QString saveDialogExtensions()
{
    QStringList extensions;
    for (const OutputFormatRow& row : kRows)
        if (row.dialogRow >= 0) {
            extensions.append(QLatin1String(row.extension));
            if (row.cliAlias)
                extensions.append(QLatin1Char('.') + QLatin1String(row.cliAlias));
        }
    return listed(extensions, QStringLiteral(", "), QStringLiteral(" or "));
}

std::optional<OutputFormat> cliFormat(const QString& name)
{
    for (const OutputFormatRow& row : kRows)
        for (const char* known : {row.cliName, row.cliAlias})
            if (known && name.compare(QLatin1String(known), Qt::CaseInsensitive) == 0)
                return row.format;
    return std::nullopt;
}

QString cliFormatNames(const QString& separator, const QString& last)
{
    QStringList names;
    for (const OutputFormatRow& row : kRows)
        if (row.cliName)
            names.append(QLatin1String(row.cliName));
    return listed(names, separator, last);
}

std::vector<OutputFormat> flagFormats()
{
    std::vector<OutputFormat> formats;
    for (const OutputFormatRow* row : rowsBy(&OutputFormatRow::flagBit))
        formats.push_back(row->format);
    return formats;
}

SaveChoices formatsOfFlags(qint32 flags)
{
    SaveChoices formats;
    for (const OutputFormatRow& row : kRows)
        if (row.flagBit >= 0)
            formats.set(row.format, IsBitSet(flags, quint8(row.flagBit)));
    return formats;
}

qint32 flagsOf(SaveChoices formats)
{
    qint32 flags = 0;
    for (const OutputFormatRow& row : kRows)
        if (row.flagBit >= 0)
            flags |= SetBit(quint8(row.flagBit), formats.has(row.format));
    return flags;
}

std::vector<OutputFile> outputFiles(const QString& base, SaveChoices formats, int game, int colour,
                                    const QString& typed)
{
    const std::optional<OutputFormat> typedFormat =
        typed.isEmpty() ? std::nullopt : saveDialogFormat(typed);
    SaveChoices tiledMaps;
    for (const OutputFormatRow& row : kRows)
        if (row.source == OutputSource::Tiled && row.extension)
            tiledMaps.set(row.format);

    std::vector<OutputFile> files;
    for (const OutputFormatRow& row : kRows) {
        if (row.extension) {
            if (formats.has(row.format))
                files.push_back(
                    {row.format,
                     base +
                         (typedFormat == row.format ? typed : QString::fromLatin1(row.extension)),
                     false});
        } else if (formats.intersects(tiledMaps)) {
            // Beside the maps, which name it without a folder.
            const QString folder = QFileInfo(base + QStringLiteral(".tmx")).absolutePath();
            files.push_back({row.format,
                             folder + QLatin1Char('/') + tiledTileset(game, colour, 0).imageFile,
                             true});
        }
    }
    return files;
}

void writePicture(const QImage& picture, OutputFormat format, QIODevice& device,
                  const QImage* indexed)
{
    const OutputFormatRow& row = outputFormat(format);
    if (row.source != OutputSource::Picture)
        throw Error(QStringLiteral("%1 is not a picture format").arg(QLatin1String(row.label)));
    row.write(device, picture, indexed, MapTableSource{});
}

} // namespace vt
