#include "export/FileNames.h"
#include "export/MapTable.h"

#include <gtest/gtest.h>

namespace vt {
namespace {

TEST(FileNames, RemoveExtAndExtensionOf)
{
    const struct
    {
        const char* name;
        const char* base;
        const char* extension;
    } cases[] = {
        {"C:\\grabs\\a.b\\level.2.png", "C:\\grabs\\a.b\\level.2", ".png"},
        {"map.", "map", "."},
        {"C:\\grabs\\a.b\\level", "C:\\grabs\\a.b\\level", ""},
        {"/home/u/a.b/level", "/home/u/a.b/level", ""},
        {"/home/u/a.b/level.csv", "/home/u/a.b/level", ".csv"},
        {"C:level.bmp", "C:level", ".bmp"},
        {"D:a.b:c", "D:a.b:c", ""}, // the drive separator ends the search like a folder
        {".png", "", ".png"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        const QString name = QString::fromUtf8(c.name);
        EXPECT_EQ(RemoveExt(name), QString::fromUtf8(c.base)) << c.name;
        EXPECT_EQ(extensionOf(name), QString::fromUtf8(c.extension)) << c.name;
    }
}

TEST(FileNames, ProposedDecodeName)
{
    const struct
    {
        const char* grab;
        const char* proposed;
    } cases[] = {
        {"C:\\grabs\\level1.png", "level1 Decode.png"},
        {"C:\\grabs\\Level 3.gif", "Level 3 Decode.gif"},
        {"C:\\grabs\\a.b\\level.2.png", "level.2 Decode.png"},
        {"/home/u/a.b/level", "level Decode"},
        {"C:grab.bmp", "grab Decode.bmp"},
        {"", " Decode"},
        // The extension keeps its spelling: the save takes every one.
        {"/grabs/shot.jpg", "shot Decode.jpg"},
        {"/grabs/shot.jpeg", "shot Decode.jpeg"},
        {"/grabs/shot.JPG", "shot Decode.JPG"},
        {"/grabs/a.jpg/shot", "shot Decode"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(proposedDecodeName(QString::fromUtf8(c.grab)), QString::fromUtf8(c.proposed))
            << c.grab;
}

// 8 x 8, indexed [column][row]: a row of 0..7, a column of 9..16 and scattered cells, so that
// a swapped row and column shows.
DecodedMap eightByEight()
{
    DecodedMap decoded;
    decoded.reset(8, 8);
    for (int x = 0; x < 8; ++x)
        decoded.map[x][3] = x;
    for (int y = 0; y < 8; ++y)
        if (y != 3)
            decoded.map[6][y] = 9 + y;
    decoded.map[2][0] = 24;
    decoded.map[7][0] = 31;
    decoded.map[0][1] = -1;
    decoded.map[3][7] = 34;
    return decoded;
}

TEST(MapTable, EightByEightInBothReferenceModes)
{
    const DecodedMap decoded = eightByEight();
    EXPECT_EQ(csvTable(decoded, QStringLiteral("Green: 87%"), 1, kCharRefAtlas),
              QByteArray("Green\r\n"
                         "0,0,24,0,0,0,9,31\r\n"
                         "unk,0,0,0,0,0,10,0\r\n"
                         "0,0,0,0,0,0,11,0\r\n"
                         "0,1,2,3,4,5,6,7\r\n"
                         "0,0,0,0,0,0,13,0\r\n"
                         "0,0,0,0,0,0,14,0\r\n"
                         "0,0,0,0,0,0,15,0\r\n"
                         "0,0,0,34,0,0,16,0\r\n"));
    EXPECT_EQ(csvTable(decoded, QStringLiteral("Green: 87%"), 1, kCharRefPc),
              QByteArray("Green\r\n"
                         "1,1,253,1,1,1,7,254\r\n"
                         "unk,1,1,1,1,1,8,1\r\n"
                         "1,1,1,1,1,1,9,1\r\n"
                         "1,2,6,3,16,28,25,29\r\n"
                         "1,1,1,1,1,1,13,1\r\n"
                         "1,1,1,1,1,1,14,1\r\n"
                         "1,1,1,1,1,1,15,1\r\n"
                         "1,1,1,28,1,1,12,1\r\n"));
    // Neither mode: every recognised cell is 0.
    const QByteArray neither = csvTable(decoded, QStringLiteral("Blue"), 0, 2);
    EXPECT_TRUE(neither.startsWith("Blue\r\n0,0,0,0,0,0,0,0\r\nunk,0,0,0,0,0,0,0\r\n"));
    EXPECT_EQ(neither.count("\r\n"), 9);
}

TEST(MapTable, FirstLineIsTheColourNameInAscii)
{
    DecodedMap one;
    one.reset(1, 1);
    const struct
    {
        QString item;
        QByteArray firstLine;
    } cases[] = {
        {QStringLiteral("Green: 87%"), "Green"},
        {QStringLiteral("Blue"), "Blue"},
        {QStringLiteral("Red: 5%: 2"), "Red"},
        {QStringLiteral("Cyan:5%"), "Cyan:5%"}, // only ": " ends the name
        {QString(), ""},
        {QStringLiteral("Gr\u00fcn\r\n: 1%"), "Gr?n??"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(csvTable(one, c.item, 0, kCharRefAtlas), c.firstLine + "\r\n0\r\n")
            << c.firstLine.constData();
}

TEST(MapTable, ReadsOnlyTheDecodedCells)
{
    DecodedMap decoded;
    decoded.reset(3, 2); // 3 columns, 2 rows
    decoded.map[2][1] = 5;
    EXPECT_EQ(csvTable(decoded, QStringLiteral("Red"), 0, kCharRefAtlas),
              QByteArray("Red\r\n0,0,0\r\n0,0,5\r\n"));

    decoded.map[1].resize(1); // a short column: its missing cell is unknown, not read
    EXPECT_EQ(csvTable(decoded, QStringLiteral("Red"), 0, kCharRefAtlas),
              QByteArray("Red\r\n0,0,0\r\n0,unk,5\r\n"));

    EXPECT_EQ(csvTable(DecodedMap{}, QStringLiteral("Red"), 0, kCharRefAtlas),
              QByteArray("Red\r\n"));
}

TEST(MapTable, IndicesWithoutAPcCodeAreUnknown)
{
    DecodedMap decoded;
    decoded.reset(4, 1);
    decoded.map = {{34}, {35}, {1000}, {-7}};
    EXPECT_EQ(csvTable(decoded, QStringLiteral("Blue"), 1, kCharRefPc),
              QByteArray("Blue\r\n28,unk,unk,unk\r\n"));
    EXPECT_EQ(csvTable(decoded, QStringLiteral("Blue"), 2, kCharRefPc),
              QByteArray("Blue\r\nunk,unk,unk,unk\r\n"));
    EXPECT_EQ(csvTable(decoded, QStringLiteral("Blue"), -1, kCharRefPc),
              QByteArray("Blue\r\nunk,unk,unk,unk\r\n"));
    EXPECT_EQ(csvTable(decoded, QStringLiteral("Blue"), 1, kCharRefAtlas),
              QByteArray("Blue\r\n34,35,1000,unk\r\n"));
}

} // namespace
} // namespace vt
