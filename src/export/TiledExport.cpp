#include "export/TiledExport.h"

#include "charsets/GameTables.h"
#include "decode/MapDecoder.h"
#include "export/MapTableReader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QXmlStreamWriter>

namespace vt {

namespace {

// The format version written; readers of either format take any version they know.
const QString kFormatVersion = QStringLiteral("1.10");
const QString kLayerName = QStringLiteral("map");

// "PC Vorlan 2" and "Orange" give "pc-vorlan-2-orange": safe in a file name and a URL.
QString slug(const QString& text)
{
    return text.toLower().replace(QLatin1Char(' '), QLatin1Char('-'));
}

// Row by row, top to bottom: the order both formats keep their layer data in.
std::vector<quint32> gidsOf(const DecodedMap& decoded, int tileCount)
{
    std::vector<quint32> gids;
    gids.reserve(std::size_t(decoded.columns()) * std::size_t(decoded.rows()));
    for (int y = 0; y < decoded.rows(); ++y)
        for (int x = 0; x < decoded.columns(); ++x) {
            const auto& column = decoded.map[std::size_t(x)];
            const qint32 cell = y < int(column.size()) ? column[std::size_t(y)] : -1;
            gids.push_back(tiledGid(cell, tileCount));
        }
    return gids;
}

} // namespace

TiledTileset tiledTileset(int game, int colour, int tileCount)
{
    TiledTileset tileset;
    tileset.name = slug(gameNames().value(game) + QLatin1Char(' ') + colourName(colour));
    tileset.imageFile = tileset.name + QStringLiteral("-tiles.png");
    tileset.tileCount = tileCount;
    tileset.columns = tileCount;
    tileset.imageWidth = tileset.tileSize * tileCount;
    tileset.imageHeight = tileset.tileSize;
    return tileset;
}

QImage tilesetImage(const std::vector<QImage>& characters)
{
    constexpr int size = 64;
    QImage image(size * int(characters.size()), size, QImage::Format_RGB32);
    image.fill(Qt::black);
    image.setDotsPerMeterX(kMapDotsPerMeter);
    image.setDotsPerMeterY(kMapDotsPerMeter);
    QPainter painter(&image);
    for (std::size_t i = 0; i < characters.size(); ++i)
        painter.drawImage(size * int(i), 0, characters[i]);
    return image;
}

quint32 tiledGid(qint32 cell, int tileCount)
{
    return cell >= 0 && cell < tileCount ? quint32(cell) + 1 : 0;
}

QByteArray tmxMap(const DecodedMap& decoded, const TiledTileset& tileset, int game, int charRef)
{
    const int width = decoded.columns();
    const int height = decoded.rows();
    const std::vector<quint32> gids = gidsOf(decoded, tileset.tileCount);

    // Rows on lines of their own, as Tiled writes them; its reader skips the white space.
    QString csv = QStringLiteral("\n");
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            csv += QString::number(gids[std::size_t(y * width + x)]);
            if (x + 1 < width || y + 1 < height)
                csv += QLatin1Char(',');
        }
        csv += QLatin1Char('\n');
    }

    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("map"));
    xml.writeAttribute(QStringLiteral("version"), kFormatVersion);
    xml.writeAttribute(QStringLiteral("orientation"), QStringLiteral("orthogonal"));
    xml.writeAttribute(QStringLiteral("renderorder"), QStringLiteral("right-down"));
    xml.writeAttribute(QStringLiteral("width"), QString::number(width));
    xml.writeAttribute(QStringLiteral("height"), QString::number(height));
    xml.writeAttribute(QStringLiteral("tilewidth"), QString::number(tileset.tileSize));
    xml.writeAttribute(QStringLiteral("tileheight"), QString::number(tileset.tileSize));
    xml.writeAttribute(QStringLiteral("infinite"), QStringLiteral("0"));
    xml.writeAttribute(QStringLiteral("nextlayerid"), QStringLiteral("2"));
    xml.writeAttribute(QStringLiteral("nextobjectid"), QStringLiteral("1"));

    // Tiled keeps the properties before the tilesets, in name order.
    xml.writeStartElement(QStringLiteral("properties"));
    xml.writeEmptyElement(QStringLiteral("property"));
    xml.writeAttribute(QStringLiteral("name"), QLatin1String(kTiledCodesProperty));
    xml.writeAttribute(QStringLiteral("value"), codeModeName(charRef));
    xml.writeEmptyElement(QStringLiteral("property"));
    xml.writeAttribute(QStringLiteral("name"), QLatin1String(kTiledGameProperty));
    xml.writeAttribute(QStringLiteral("type"), QStringLiteral("int"));
    xml.writeAttribute(QStringLiteral("value"), QString::number(game + 1));
    xml.writeEndElement(); // properties

    xml.writeStartElement(QStringLiteral("tileset"));
    xml.writeAttribute(QStringLiteral("firstgid"), QStringLiteral("1"));
    xml.writeAttribute(QStringLiteral("name"), tileset.name);
    xml.writeAttribute(QStringLiteral("tilewidth"), QString::number(tileset.tileSize));
    xml.writeAttribute(QStringLiteral("tileheight"), QString::number(tileset.tileSize));
    xml.writeAttribute(QStringLiteral("tilecount"), QString::number(tileset.tileCount));
    xml.writeAttribute(QStringLiteral("columns"), QString::number(tileset.columns));
    xml.writeEmptyElement(QStringLiteral("image"));
    xml.writeAttribute(QStringLiteral("source"), tileset.imageFile);
    xml.writeAttribute(QStringLiteral("width"), QString::number(tileset.imageWidth));
    xml.writeAttribute(QStringLiteral("height"), QString::number(tileset.imageHeight));
    xml.writeEndElement(); // tileset

    xml.writeStartElement(QStringLiteral("layer"));
    xml.writeAttribute(QStringLiteral("id"), QStringLiteral("1"));
    xml.writeAttribute(QStringLiteral("name"), kLayerName);
    xml.writeAttribute(QStringLiteral("width"), QString::number(width));
    xml.writeAttribute(QStringLiteral("height"), QString::number(height));
    xml.writeStartElement(QStringLiteral("data"));
    xml.writeAttribute(QStringLiteral("encoding"), QStringLiteral("csv"));
    xml.writeCharacters(csv);
    xml.writeEndElement(); // data
    xml.writeEndElement(); // layer

    xml.writeEndElement(); // map
    xml.writeEndDocument();
    return out;
}

QByteArray tiledJsonMap(const DecodedMap& decoded, const TiledTileset& tileset, int game,
                        int charRef)
{
    QJsonArray data;
    for (const quint32 gid : gidsOf(decoded, tileset.tileCount))
        data.append(qint64(gid));

    const QJsonObject layer{
        {QStringLiteral("data"), data},    {QStringLiteral("height"), decoded.rows()},
        {QStringLiteral("id"), 1},         {QStringLiteral("name"), kLayerName},
        {QStringLiteral("opacity"), 1},    {QStringLiteral("type"), QStringLiteral("tilelayer")},
        {QStringLiteral("visible"), true}, {QStringLiteral("width"), decoded.columns()},
        {QStringLiteral("x"), 0},          {QStringLiteral("y"), 0},
    };
    const QJsonObject set{
        {QStringLiteral("columns"), tileset.columns},
        {QStringLiteral("firstgid"), 1},
        {QStringLiteral("image"), tileset.imageFile},
        {QStringLiteral("imageheight"), tileset.imageHeight},
        {QStringLiteral("imagewidth"), tileset.imageWidth},
        {QStringLiteral("margin"), 0},
        {QStringLiteral("name"), tileset.name},
        {QStringLiteral("spacing"), 0},
        {QStringLiteral("tilecount"), tileset.tileCount},
        {QStringLiteral("tileheight"), tileset.tileSize},
        {QStringLiteral("tilewidth"), tileset.tileSize},
    };
    const QJsonArray properties{
        QJsonObject{{QStringLiteral("name"), QLatin1String(kTiledCodesProperty)},
                    {QStringLiteral("type"), QStringLiteral("string")},
                    {QStringLiteral("value"), codeModeName(charRef)}},
        QJsonObject{{QStringLiteral("name"), QLatin1String(kTiledGameProperty)},
                    {QStringLiteral("type"), QStringLiteral("int")},
                    {QStringLiteral("value"), game + 1}},
    };
    const QJsonObject map{
        {QStringLiteral("height"), decoded.rows()},
        {QStringLiteral("infinite"), false},
        {QStringLiteral("layers"), QJsonArray{layer}},
        {QStringLiteral("nextlayerid"), 2},
        {QStringLiteral("nextobjectid"), 1},
        {QStringLiteral("orientation"), QStringLiteral("orthogonal")},
        {QStringLiteral("properties"), properties},
        {QStringLiteral("renderorder"), QStringLiteral("right-down")},
        {QStringLiteral("tileheight"), tileset.tileSize},
        {QStringLiteral("tilesets"), QJsonArray{set}},
        {QStringLiteral("tilewidth"), tileset.tileSize},
        {QStringLiteral("type"), QStringLiteral("map")},
        {QStringLiteral("version"), kFormatVersion},
        {QStringLiteral("width"), decoded.columns()},
    };
    return QJsonDocument(map).toJson(QJsonDocument::Indented);
}

} // namespace vt
