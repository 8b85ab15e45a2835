// Reading back the tables the program writes: the codes of each mode and game, and the files
// that are refused, with the place of the fault named.
#include "charsets/GameTables.h"
#include "export/MapTable.h"
#include "export/MapTableReader.h"
#include "export/TiledExport.h"
#include "pictures/Error.h"

#include "TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vt {
namespace {

QString written(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    test::writeFile(path, bytes);
    return path;
}

TEST(TableReader, PcReferencesOfTheSecondGameReadAsTheLowerIndexOfEachCode)
{
    QTemporaryDir dir;
    const QString path =
        written(dir, QStringLiteral("m.csv"), "Orange: 87%\r\n3,28,unk\r\n253,254,1\r\n");
    const MapTableFile table = readMapTable(path);
    EXPECT_EQ(table.colour, 4);
    EXPECT_TRUE(table.namesGameAndCodes());
    const DecodedMap map = mapOfTable(table, path, 1, kCharRefPc);
    EXPECT_EQ(map.map, (std::vector<std::vector<qint32>>{{3, 24}, {5, 31}, {-1, 0}}));
    EXPECT_EQ(map.errors, 1u);
    // And back: the same table.
    EXPECT_EQ(csvTable(map, QStringLiteral("Orange"), 1, kCharRefPc),
              QByteArray("Orange\r\n3,28,unk\r\n253,254,1\r\n"));
}

TEST(TableReader, FilesThatAreNoTableOrNameNoCharacterAreRefusedWithThePlaceNamed)
{
    QTemporaryDir dir;
    DecodedMap wide;
    wide.reset(2, 1);
    wide.map[1][0] = 34; // gid 35: beyond the first game's 33 tiles
    struct Case
    {
        const char* what;
        const char* name;
        QByteArray bytes;
        int game;
        int charRef;
        const char* says;
    };
    const Case cases[] = {
        {"an index past the game's characters", "a.csv", "Blue\r\n0,1\r\n2,33\r\n", 0,
         kCharRefAtlas, "row 2, column 2 holds \"33\", which is no character of PC Vorlan 1"},
        {"a code the game does not have", "b.csv", "Blue\r\n1,4\r\n", 0, kCharRefPc,
         "row 1, column 2 holds \"4\""},
        {"a field that is no number", "c.csv", "Red\r\n1,x1\r\n", 1, kCharRefAtlas,
         "row 1, column 2 holds \"x1\""},
        {"a ragged row", "d.csv", "Blue\r\n0,1,2\r\n0,1\r\n", 0, 0,
         "row 2 has 2 cells, row 1 has 3"},
        {"a first line that names no scheme", "e.csv", "Purple\r\n0\r\n", 0, 0,
         "its first line names no colour scheme"},
        {"a picture named as a table", "f.csv",
         QByteArray::fromHex("89504E470D0A1A0A0000000D4948445200000001"), 0, 0,
         "its first line names no colour scheme"},
        {"a scheme and no cells", "g.csv", "Green\r\n", 0, 0, "it holds no cells"},
        {"more than 32 cells a side", "h.csv",
         "Green\r\n" + QByteArray("0,").repeated(32) + "0\r\n", 0, 0, "more than 32 a side"},
        {"JSON that is no map", "i.json", "{\"type\": \"tileset\"}", 0, 0, "no Tiled JSON map"},
        {"XML that is no map", "j.tmx", "<map width=\"2\"", 0, 0, "no TMX map"},
        {"a tile id beyond the tileset", "k.tmx", tmxMap(wide, tiledTileset(1, 0, 35), 0, 0), 0, 0,
         "row 1, column 2 holds \"35\""},
        {"a name of no table", "l.txt", "Blue\r\n0\r\n", 0, 0, "ends in .csv, .tmx or .json"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = written(dir, QLatin1String(c.name), c.bytes);
        try {
            mapOfTable(readMapTable(path), path, c.game, c.charRef);
            ADD_FAILURE() << "taken";
        } catch (const Error& error) {
            EXPECT_TRUE(error.message().contains(QLatin1String(c.says)))
                << error.message().toStdString();
            EXPECT_TRUE(error.message().contains(QLatin1String(c.name)));
        }
    }
    EXPECT_THROW(readMapTable(dir.filePath(QStringLiteral("missing.csv"))), Error);
}

TEST(TableReader, TiledMapsNameTheirGameCodesAndSchemeAndTheirIdsAreIndexPlusOne)
{
    QTemporaryDir dir;
    DecodedMap map;
    map.reset(3, 2);
    map.map[0][0] = 34;
    map.map[2][1] = -1;
    const TiledTileset tileset = tiledTileset(1, 3, 35);
    for (const auto& [name, bytes] :
         {std::pair{"m.tmx", tmxMap(map, tileset, 1, kCharRefPc)},
          std::pair{"m.json", tiledJsonMap(map, tileset, 1, kCharRefPc)}}) {
        SCOPED_TRACE(name);
        const QString path = written(dir, QLatin1String(name), bytes);
        const MapTableFile table = readMapTable(path);
        EXPECT_EQ(table.game, 1);
        EXPECT_EQ(table.charRef, kCharRefPc);
        EXPECT_EQ(table.colour, 3);
        EXPECT_TRUE(table.namesGameAndCodes());
        // The ids do not depend on the mode asked.
        EXPECT_EQ(mapOfTable(table, path, 1, kCharRefAtlas).map, map.map);
    }
    EXPECT_EQ(tableKindOf(QStringLiteral("a/B.TMX")), TableKind::Tmx);
    EXPECT_FALSE(tableKindOf(QStringLiteral("a.png")).has_value());
}

} // namespace
} // namespace vt
