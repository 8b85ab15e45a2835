// Tiled maps of a decoded grab, read back field by field as Tiled's TMX and JSON map format
// references describe them, and the tileset picture they refer to.
#include "charsets/Atlas.h"
#include "export/SaveMap.h"
#include "export/TiledExport.h"
#include "session/BulkRun.h"

#include "ExportFixtures.h"
#include "GrabComposer.h"
#include "TestSupport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <map>

namespace vt {
namespace {

using test::GrabArt;
using test::GrabMap;

constexpr int kGame = 1;   // 8 x 8 maps exist in the second game only
constexpr int kColour = 4; // Orange

// An 8 x 8 map view of the second game in orange, one cell of noise that matches nothing.
GrabMap drawnMap()
{
    GrabMap map = GrabMap::random(kGame, 8, 8, 11);
    map.set(5, 2, -1);
    return map;
}

// The gids the maps must hold: rows top to bottom, character index + 1, 0 for the noise.
std::vector<quint32> expectedGids()
{
    const GrabMap map = drawnMap();
    std::vector<quint32> gids;
    for (int y = 0; y < map.rows; ++y)
        for (int x = 0; x < map.columns; ++x)
            gids.push_back(map.at(x, y) < 0 ? 0 : quint32(map.at(x, y)) + 1);
    return gids;
}

class TiledTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        const QString grab = s_dir->filePath(QStringLiteral("level8.png"));
        ASSERT_TRUE(test::composeMapView(drawnMap(), GrabArt::shipped(kGame, kColour)).save(grab));
        BulkOptions settings;
        settings.outputDir = s_dir->path();
        settings.pattern = QStringLiteral("%s");
        settings.choices = {OutputFormat::Tmx, OutputFormat::Json};
        GrabSession session;
        s_report = new GrabReport(convertGrab(session, grab, settings));
    }
    static void TearDownTestSuite()
    {
        delete s_report;
        delete s_dir;
    }

    static QString path(const QString& name) { return s_dir->filePath(name); }

    static QTemporaryDir* s_dir;
    static GrabReport* s_report;
};

QTemporaryDir* TiledTest::s_dir = nullptr;
GrabReport* TiledTest::s_report = nullptr;

TEST_F(TiledTest, TheTilesetPictureIsWrittenBeforeTheMapsThatReferToIt)
{
    ASSERT_EQ(s_report->outcome, GrabReport::Outcome::Converted) << s_report->error.toStdString();
    EXPECT_EQ(s_report->game, kGame);
    EXPECT_EQ(s_report->colour, kColour);
    EXPECT_EQ(s_report->outputs,
              (QStringList{QDir::toNativeSeparators(path("pc-vorlan-2-orange-tiles.png")),
                           QDir::toNativeSeparators(path("level8.tmx")),
                           QDir::toNativeSeparators(path("level8.json"))}));

    // Tile i of the picture is full-size character i, pixel for pixel.
    const QImage tiles(path("pc-vorlan-2-orange-tiles.png"));
    const std::vector<QImage> characters = loadCharacters(kGame, kColour, true);
    ASSERT_EQ(tiles.size(), QSize(64 * int(characters.size()), 64));
    for (std::size_t i = 0; i < characters.size(); ++i)
        EXPECT_EQ(test::rgb(tiles.copy(64 * int(i), 0, 64, 64)), test::rgb(characters[i]))
            << "tile " << i;
}

TEST_F(TiledTest, TheTmxMapHasTheReferenceFields)
{
    QFile file(path("level8.tmx"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    std::map<QString, QXmlStreamAttributes> elements;
    QString data;
    QString dataEncoding;
    QStringList order;
    std::map<QString, QXmlStreamAttributes> properties;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QString name = xml.name().toString();
        order.append(name);
        elements[name] = xml.attributes();
        if (name == QLatin1String("property"))
            properties[xml.attributes().value(QLatin1String("name")).toString()] = xml.attributes();
        if (name == QLatin1String("data")) {
            dataEncoding = xml.attributes().value(QLatin1String("encoding")).toString();
            data = xml.readElementText();
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(order, (QStringList{"map", "properties", "property", "property", "tileset", "image",
                                  "layer", "data"}));
    // The game by its number and the code mode, for Open Map.
    EXPECT_EQ(properties["game"].value("type").toString(), QStringLiteral("int"));
    EXPECT_EQ(properties["game"].value("value").toString(), QStringLiteral("2"));
    EXPECT_EQ(properties["codes"].value("value").toString(), QStringLiteral("atlas"));

    const auto expect = [&](const char* element, std::map<QString, QString> attributes) {
        const QXmlStreamAttributes& found = elements[QLatin1String(element)];
        EXPECT_EQ(found.size(), qsizetype(attributes.size())) << element;
        for (const auto& [key, value] : attributes)
            EXPECT_EQ(found.value(key).toString(), value) << element << "." << key.toStdString();
    };
    expect("map", {{"version", "1.10"},
                   {"orientation", "orthogonal"},
                   {"renderorder", "right-down"},
                   {"width", "8"},
                   {"height", "8"},
                   {"tilewidth", "64"},
                   {"tileheight", "64"},
                   {"infinite", "0"},
                   {"nextlayerid", "2"},
                   {"nextobjectid", "1"}});
    expect("tileset", {{"firstgid", "1"},
                       {"name", "pc-vorlan-2-orange"},
                       {"tilewidth", "64"},
                       {"tileheight", "64"},
                       {"tilecount", "35"},
                       {"columns", "35"}});
    expect("image",
           {{"source", "pc-vorlan-2-orange-tiles.png"}, {"width", "2240"}, {"height", "64"}});
    expect("layer", {{"id", "1"}, {"name", "map"}, {"width", "8"}, {"height", "8"}});
    EXPECT_EQ(dataEncoding, QStringLiteral("csv"));

    std::vector<quint32> gids;
    for (const QString& field : data.split(QLatin1Char(','))) {
        bool ok = false;
        gids.push_back(field.trimmed().toUInt(&ok));
        EXPECT_TRUE(ok) << field.toStdString();
    }
    EXPECT_EQ(gids, expectedGids());
}

TEST_F(TiledTest, TheJsonMapHasTheReferenceFields)
{
    QFile file(path("level8.json"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QJsonParseError error;
    const QJsonObject map = QJsonDocument::fromJson(file.readAll(), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();

    EXPECT_EQ(map.value("type").toString(), QStringLiteral("map"));
    EXPECT_EQ(map.value("version").toString(), QStringLiteral("1.10"));
    EXPECT_EQ(map.value("orientation").toString(), QStringLiteral("orthogonal"));
    EXPECT_EQ(map.value("renderorder").toString(), QStringLiteral("right-down"));
    EXPECT_FALSE(map.value("infinite").toBool(true));
    for (const auto& [key, value] : std::map<const char*, int>{{"width", 8},
                                                               {"height", 8},
                                                               {"tilewidth", 64},
                                                               {"tileheight", 64},
                                                               {"nextlayerid", 2},
                                                               {"nextobjectid", 1}})
        EXPECT_EQ(map.value(QLatin1String(key)).toInt(-1), value) << key;

    std::map<QString, QJsonObject> properties;
    for (const QJsonValue& property : map.value("properties").toArray())
        properties[property.toObject().value("name").toString()] = property.toObject();
    EXPECT_EQ(properties["game"].value("type").toString(), QStringLiteral("int"));
    EXPECT_EQ(properties["game"].value("value").toInt(), 2);
    EXPECT_EQ(properties["codes"].value("type").toString(), QStringLiteral("string"));
    EXPECT_EQ(properties["codes"].value("value").toString(), QStringLiteral("atlas"));

    const QJsonArray tilesets = map.value("tilesets").toArray();
    ASSERT_EQ(tilesets.size(), 1);
    const QJsonObject set = tilesets[0].toObject();
    EXPECT_EQ(set.value("name").toString(), QStringLiteral("pc-vorlan-2-orange"));
    EXPECT_EQ(set.value("image").toString(), QStringLiteral("pc-vorlan-2-orange-tiles.png"));
    for (const auto& [key, value] : std::map<const char*, int>{{"firstgid", 1},
                                                               {"tilewidth", 64},
                                                               {"tileheight", 64},
                                                               {"tilecount", 35},
                                                               {"columns", 35},
                                                               {"imagewidth", 2240},
                                                               {"imageheight", 64},
                                                               {"margin", 0},
                                                               {"spacing", 0}})
        EXPECT_EQ(set.value(QLatin1String(key)).toInt(-1), value) << key;

    const QJsonArray layers = map.value("layers").toArray();
    ASSERT_EQ(layers.size(), 1);
    const QJsonObject layer = layers[0].toObject();
    EXPECT_EQ(layer.value("type").toString(), QStringLiteral("tilelayer"));
    EXPECT_EQ(layer.value("id").toInt(), 1);
    EXPECT_EQ(layer.value("width").toInt(), 8);
    EXPECT_EQ(layer.value("height").toInt(), 8);
    EXPECT_EQ(layer.value("x").toInt(-1), 0);
    EXPECT_EQ(layer.value("y").toInt(-1), 0);
    EXPECT_EQ(layer.value("opacity").toDouble(), 1.0);
    EXPECT_TRUE(layer.value("visible").toBool());
    std::vector<quint32> gids;
    for (const QJsonValue& gid : layer.value("data").toArray())
        gids.push_back(quint32(gid.toInteger(-1)));
    EXPECT_EQ(gids, expectedGids());
}

TEST(TiledGids, CellsOutsideTheTilesetAreEmpty)
{
    EXPECT_EQ(tiledGid(0, 33), 1u);
    EXPECT_EQ(tiledGid(32, 33), 33u);
    EXPECT_EQ(tiledGid(33, 33), 0u);
    EXPECT_EQ(tiledGid(-1, 33), 0u);
}

// The Tiled outputs in SaveMap: the tileset picture is asked about like any other file, and a
// Tiled map without a decoded map or characters writes nothing of its own.
TEST(TiledSave, TheTilesetIsAskedAboutAndAMissingMapIsReported)
{
    QTemporaryDir dir;
    DecodedMap decoded;
    decoded.reset(2, 2);
    const std::vector<QImage> characters = loadCharacters(0, 0, true);
    MapTableSource table{&decoded, QStringLiteral("Blue"), 0, 0, 0, &characters};
    SaveChoices choices{OutputFormat::Tmx};
    test::writeFile(dir.filePath("pc-vorlan-1-blue-tiles.png"), "old");

    QStringList questions;
    SaveMapHooks hooks;
    hooks.confirm = [&](const QString& message) {
        questions.append(message);
        return false;
    };
    const QStringList kept =
        SaveMapUnder(test::blocksOf256Colours(), dir.filePath("m"), choices, true, table, hooks);
    EXPECT_EQ(questions.size(), 1);
    EXPECT_TRUE(questions.value(0).contains(QStringLiteral("pc-vorlan-1-blue-tiles.png")));
    EXPECT_EQ(test::readAll(dir.filePath("pc-vorlan-1-blue-tiles.png")), QByteArray("old"));
    EXPECT_EQ(kept, QStringList{QDir::toNativeSeparators(dir.filePath("m.tmx"))});

    table.characters = nullptr;
    choices.set(OutputFormat::Json);
    try {
        SaveMapUnder(QImage(), dir.filePath("n"), choices, false, table, {});
        ADD_FAILURE() << "a Tiled map without its tileset's characters was saved";
    } catch (const SaveError& missing) {
        EXPECT_TRUE(missing.message().contains(QStringLiteral("n.tmx"))) << missing.what();
        EXPECT_TRUE(missing.written().isEmpty());
    }
}

} // namespace
} // namespace vt
