#include "export/MapTableReader.h"

#include "charsets/GameTables.h"
#include "export/MapTable.h"
#include "pictures/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QXmlStreamReader>

namespace vt {

namespace {

// A table the program writes is a few kilobytes; anything far larger is no table of ours, and
// is not read into memory.
constexpr qint64 kMostTableBytes = 4 * 1024 * 1024;
constexpr int kMostCells = 32; // a side

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

[[noreturn]] void notATable(const QString& path, const QString& why)
{
    throw Error(
        QStringLiteral("\"%1\" is not a map table the program wrote: %2.").arg(shown(path), why));
}

// The scheme named by a table's first line ("Green", or the selector's "Green: 87%"), or by
// the end of a tileset's name ("pc-vorlan-2-green"); -1 for none.
int colourNamed(const QString& name)
{
    for (int i = 0; i < kColourCount; ++i)
        if (name.compare(colourName(i), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QByteArray readAll(const QString& path)
{
    const QFileInfo info(path);
    // Only a regular file: a pipe or a device would block or never end.
    if (!info.isFile())
        throw Error(QStringLiteral("\"%1\" is not a file that can be read.").arg(shown(path)));
    if (info.size() > kMostTableBytes)
        notATable(path, QStringLiteral("it is larger than any table"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Cannot read \"%1\": %2").arg(shown(path), file.errorString()));
    return file.read(kMostTableBytes + 1);
}

// The common part: rows of codes checked for length and size, then laid out row by row.
void takeRows(MapTableFile& table, const QString& path, const std::vector<QStringList>& rows)
{
    if (rows.empty() || rows.front().isEmpty())
        notATable(path, QStringLiteral("it holds no cells"));
    const qsizetype width = rows.front().size();
    for (std::size_t r = 1; r < rows.size(); ++r)
        if (rows[r].size() != width)
            notATable(path, QStringLiteral("row %1 has %2 %3, row 1 has %4")
                                .arg(r + 1)
                                .arg(rows[r].size())
                                .arg(rows[r].size() == 1 ? QStringLiteral("cell")
                                                         : QStringLiteral("cells"))
                                .arg(width));
    if (width > kMostCells || qsizetype(rows.size()) > kMostCells)
        notATable(path, QStringLiteral("its map is %1 x %2 cells, more than %3 a side")
                            .arg(width)
                            .arg(rows.size())
                            .arg(kMostCells));
    table.columns = int(width);
    table.rows = int(rows.size());
    table.codes.clear();
    for (const QStringList& row : rows)
        for (const QString& code : row)
            table.codes.push_back(code);
}

// A Tiled map's layer ids, `width` to a row.
std::vector<QStringList> rowsOfIds(const QStringList& ids, int width, int height,
                                   const QString& path)
{
    if (width < 1 || height < 1 || qsizetype(width) * height != ids.size())
        notATable(path, QStringLiteral("its layer holds %1 cells for a map of %2 x %3")
                            .arg(ids.size())
                            .arg(width)
                            .arg(height));
    std::vector<QStringList> rows;
    for (int y = 0; y < height; ++y)
        rows.push_back(ids.mid(qsizetype(y) * width, width));
    return rows;
}

// The map properties the program writes; a value it does not write makes no table of ours.
void takeProperty(MapTableFile& table, const QString& path, const QString& name,
                  const QString& value)
{
    if (name == QLatin1String(kTiledGameProperty)) {
        bool ok = false;
        const int number = value.toInt(&ok);
        if (!ok || number < 1 || number > kGameCount)
            notATable(path, QStringLiteral("its game \"%1\" is none the program knows").arg(value));
        table.game = number - 1;
    } else if (name == QLatin1String(kTiledCodesProperty)) {
        for (const int mode : {kCharRefAtlas, kCharRefPc})
            if (value == codeModeName(mode))
                table.charRef = mode;
        if (!table.charRef)
            notATable(path, QStringLiteral("its codes \"%1\" are neither atlas nor pc").arg(value));
    }
}

void takeTilesetName(MapTableFile& table, const QString& path, const QString& name)
{
    const int colour = colourNamed(name.section(QLatin1Char('-'), -1));
    if (colour < 0)
        notATable(path, QStringLiteral("its tileset \"%1\" names no colour scheme").arg(name));
    table.colour = colour;
}

void readCsv(MapTableFile& table, const QString& path, const QByteArray& bytes)
{
    // The program ends every line with CR LF; a line edited elsewhere may end in LF alone.
    QStringList lines = QString::fromLatin1(bytes).split(QLatin1Char('\n'));
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    while (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    const QString first = lines.isEmpty() ? QString() : lines.takeFirst();
    table.colour = colourNamed(first.section(QStringLiteral(": "), 0, 0).trimmed());
    if (table.colour < 0)
        notATable(path, QStringLiteral("its first line names no colour scheme"));
    std::vector<QStringList> rows;
    for (const QString& line : lines) {
        QStringList fields = line.split(QLatin1Char(','));
        for (QString& field : fields)
            field = field.trimmed();
        rows.push_back(fields);
    }
    takeRows(table, path, rows);
}

void readTmx(MapTableFile& table, const QString& path, const QByteArray& bytes)
{
    QXmlStreamReader xml(bytes);
    int width = -1;
    int height = -1;
    bool tileset = false;
    QString data;
    bool layer = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        const auto name = xml.name();
        if (name == QLatin1String("map")) {
            width = attributes.value(QLatin1String("width")).toInt();
            height = attributes.value(QLatin1String("height")).toInt();
        } else if (name == QLatin1String("property")) {
            takeProperty(table, path, attributes.value(QLatin1String("name")).toString(),
                         attributes.value(QLatin1String("value")).toString());
        } else if (name == QLatin1String("tileset") && !tileset) {
            tileset = true;
            takeTilesetName(table, path, attributes.value(QLatin1String("name")).toString());
        } else if (name == QLatin1String("data") && !layer) {
            layer = true;
            if (attributes.value(QLatin1String("encoding")) != QLatin1String("csv"))
                notATable(path, QStringLiteral("its layer is not held as CSV"));
            data = xml.readElementText();
        }
    }
    if (xml.hasError() || width < 0)
        notATable(path, QStringLiteral("it is no TMX map"));
    if (!tileset || !layer)
        notATable(path, QStringLiteral("it has no tileset or no layer"));
    data.remove(QLatin1Char('\n')).remove(QLatin1Char('\r')).remove(QLatin1Char(' '));
    takeRows(table, path, rowsOfIds(data.split(QLatin1Char(',')), width, height, path));
}

void readJson(MapTableFile& table, const QString& path, const QByteArray& bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    const QJsonObject map = document.object();
    if (error.error != QJsonParseError::NoError || map.value(QLatin1String("type")) != "map")
        notATable(path, QStringLiteral("it is no Tiled JSON map"));
    for (const QJsonValue& property : map.value(QLatin1String("properties")).toArray()) {
        const QJsonObject object = property.toObject();
        const QJsonValue value = object.value(QLatin1String("value"));
        takeProperty(table, path, object.value(QLatin1String("name")).toString(),
                     value.isDouble() ? QString::number(value.toInteger()) : value.toString());
    }
    const QJsonArray tilesets = map.value(QLatin1String("tilesets")).toArray();
    const QJsonArray layers = map.value(QLatin1String("layers")).toArray();
    if (tilesets.isEmpty() || layers.isEmpty())
        notATable(path, QStringLiteral("it has no tileset or no layer"));
    takeTilesetName(table, path, tilesets[0].toObject().value(QLatin1String("name")).toString());
    QStringList ids;
    for (const QJsonValue& id : layers[0].toObject().value(QLatin1String("data")).toArray())
        ids.append(id.isDouble() ? QString::number(id.toInteger(-1)) : QStringLiteral("?"));
    takeRows(table, path,
             rowsOfIds(ids, map.value(QLatin1String("width")).toInt(-1),
                       map.value(QLatin1String("height")).toInt(-1), path));
}

// The character a code names in `game`, or -1 for a cell that matched nothing; nothing for a
// code that names no character.
std::optional<qint32> characterOf(const QString& code, TableKind kind, int game, int charRef)
{
    const int count = char_count[std::size_t(game)];
    if (kind == TableKind::Csv && code == QLatin1String("unk"))
        return -1;
    bool ok = false;
    const uint number = code.toUInt(&ok);
    if (!ok || code.startsWith(QLatin1Char('+')))
        return std::nullopt;
    if (kind != TableKind::Csv) {
        if (number == 0)
            return -1;
        return number <= uint(count) ? std::optional<qint32>(qint32(number) - 1) : std::nullopt;
    }
    if (charRef == kCharRefAtlas)
        return number < uint(count) ? std::optional<qint32>(qint32(number)) : std::nullopt;
    // The lowest index with that code: see mapOfTable.
    for (int i = 0; i < count; ++i)
        if (pcRef(game, i) == number)
            return i;
    return std::nullopt;
}

} // namespace

std::optional<TableKind> tableKindOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("csv"))
        return TableKind::Csv;
    if (suffix == QLatin1String("tmx"))
        return TableKind::Tmx;
    if (suffix == QLatin1String("json"))
        return TableKind::Json;
    return std::nullopt;
}

QString codeModeName(int charRef)
{
    return charRef == kCharRefPc ? QStringLiteral("pc") : QStringLiteral("atlas");
}

MapTableFile readMapTable(const QString& path)
{
    const std::optional<TableKind> kind = tableKindOf(path);
    if (!kind)
        notATable(path, QStringLiteral("a map table ends in .csv, .tmx or .json"));
    const QByteArray bytes = readAll(path);
    MapTableFile table;
    table.kind = *kind;
    switch (*kind) {
    case TableKind::Csv:
        readCsv(table, path, bytes);
        break;
    case TableKind::Tmx:
        readTmx(table, path, bytes);
        break;
    case TableKind::Json:
        readJson(table, path, bytes);
        break;
    }
    return table;
}

DecodedMap mapOfTable(const MapTableFile& table, const QString& path, int game, int charRef)
{
    if (game < 0 || game >= kGameCount)
        throw Error(QStringLiteral("No game to read \"%1\" with.").arg(shown(path)));
    DecodedMap map;
    map.reset(table.columns, table.rows);
    for (int y = 0; y < table.rows; ++y)
        for (int x = 0; x < table.columns; ++x) {
            const QString& code =
                table.codes[std::size_t(y) * std::size_t(table.columns) + std::size_t(x)];
            const std::optional<qint32> character = characterOf(code, table.kind, game, charRef);
            if (!character)
                throw Error(QStringLiteral("\"%1\": row %2, column %3 holds \"%4\", which is no "
                                           "character of %5 (%6).")
                                .arg(shown(path))
                                .arg(y + 1)
                                .arg(x + 1)
                                .arg(code.left(20), gameNames().value(game),
                                     table.kind != TableKind::Csv ? QStringLiteral("tile ids")
                                     : charRef == kCharRefPc
                                         ? QStringLiteral("PC references")
                                         : QStringLiteral("references into the atlas")));
            map.map[std::size_t(x)][std::size_t(y)] = *character;
            if (*character < 0)
                ++map.errors;
        }
    return map;
}

} // namespace vt
