// Open Map in the grab session: a table saved, opened and saved again gives the same bytes in
// every format, code mode and game; the map is drawn from the characters it names, with the
// puzzle piece or the grab beside it for the cells that matched nothing; and a table that
// fails, or a grab of another size, leaves what should stay.
#include "session/GrabSession.h"

#include "charsets/GameTables.h"
#include "decode/MapDecoder.h"
#include "export/MapTable.h"
#include "export/MapTableReader.h"
#include "export/TiledExport.h"

#include "GrabComposer.h"
#include "TestSupport.h"

#include <QTemporaryDir>

#include <cstring>

#include <gtest/gtest.h>

namespace vt {
namespace {

using test::GrabArt;
using test::GrabMap;

QRect square(int column, int row)
{
    return QRect(64 * column, 64 * row, 64, 64);
}

// A decoded grab of `game` (32 x 32 for the first game, 16 x 16 for the second, whose looks of
// the egg and the key share their game codes) with two cells that match nothing and one
// correction, saved to "grab.png" in `dir`.
void decodeGrab(GrabSession& session, int game, const QTemporaryDir& dir)
{
    const int side = game == 0 ? 32 : 16;
    GrabMap map = GrabMap::random(game, side, side, 7 + quint64(game));
    map.set(3, 1, -1);
    map.set(5, 6, -1);
    if (game == 1) {
        map.set(7, 7, 33); // the speckled egg: code 3, like the white one (index 3)
        map.set(8, 7, 34); // the key in a disc: code 28, like the plain key (index 5)
    }
    const QString grab = dir.filePath(QStringLiteral("grab.png"));
    ASSERT_TRUE(test::composeMapView(map, GrabArt::shipped(game, 4)).save(grab));
    session.loadFile(grab);
    ASSERT_EQ(session.game, game);
    session.decode();
    ASSERT_EQ(session.decoded.errors, 2u);
    session.correctCell(9, 2, 6);
}

QString extensionOf(OutputFormat format)
{
    return QLatin1String(outputFormat(format).extension);
}

struct RoundTrip
{
    OutputFormat format;
    int charRef;
    int game;
};

TEST(OpenMap, ATableSavedOpenedAndSavedAgainIsTheSameInEveryFormatModeAndGame)
{
    const QImage puzzle = ProgramArt::shared().puzzle();
    for (const OutputFormat format : {OutputFormat::Csv, OutputFormat::Tmx, OutputFormat::Json})
        for (const int charRef : {kCharRefAtlas, kCharRefPc})
            for (const int game : {0, 1}) {
                const RoundTrip c{format, charRef, game};
                SCOPED_TRACE(testing::Message() << extensionOf(c.format).toStdString() << " mode "
                                                << c.charRef << " game " << c.game);
                QTemporaryDir dir;
                GrabSession decoded;
                decoded.prefs.charRef = c.charRef;
                decodeGrab(decoded, c.game, dir);
                const SaveChoices choices{c.format, OutputFormat::Png};
                decoded.saveUnder(decoded.mapPicture, dir.filePath(QStringLiteral("first")),
                                  choices, false, {});
                const QString first = dir.filePath(QStringLiteral("first") + extensionOf(c.format));

                // The preference says the other mode: the table's own must stand.
                GrabSession opened;
                opened.prefs.charRef = 1 - c.charRef;
                const QStringList notes =
                    opened.openMap(first, readMapTable(first), c.game, c.charRef);
                EXPECT_TRUE(notes.isEmpty()) << notes.join(' ').toStdString();
                ASSERT_TRUE(opened.hasMap());
                EXPECT_FALSE(opened.canDecode());
                EXPECT_EQ(opened.game, c.game);
                EXPECT_EQ(opened.colour, 4);
                opened.saveUnder(opened.mapPicture, dir.filePath(QStringLiteral("second")), choices,
                                 false, {});
                EXPECT_EQ(
                    test::readAll(dir.filePath(QStringLiteral("second") + extensionOf(c.format))),
                    test::readAll(first));

                // The PNG: every cell drawn from a character as it was; those that matched
                // nothing come back unmatched, drawn with the puzzle piece.
                const QImage before = QImage(dir.filePath(QStringLiteral("first.png")))
                                          .convertToFormat(QImage::Format_RGB32);
                const QImage after = QImage(dir.filePath(QStringLiteral("second.png")))
                                         .convertToFormat(QImage::Format_RGB32);
                ASSERT_EQ(after.size(), before.size());
                const bool ambiguous =
                    c.format == OutputFormat::Csv && c.charRef == kCharRefPc && c.game == 1;
                for (int x = 0; x < decoded.decoded.columns(); ++x)
                    for (int y = 0; y < decoded.decoded.rows(); ++y) {
                        const qint32 cell = decoded.decoded.map[std::size_t(x)][std::size_t(y)];
                        const qint32 back = opened.decoded.map[std::size_t(x)][std::size_t(y)];
                        if (cell < 0) {
                            EXPECT_EQ(back, -1);
                            EXPECT_EQ(after.copy(square(x, y)),
                                      puzzle.convertToFormat(QImage::Format_RGB32));
                        } else if (ambiguous && (cell == 33 || cell == 34)) {
                            EXPECT_EQ(back, cell == 33 ? 3 : 5); // the lower index of the code
                        } else {
                            ASSERT_EQ(back, cell) << x << "," << y;
                            EXPECT_EQ(after.copy(square(x, y)), before.copy(square(x, y)))
                                << x << "," << y;
                        }
                    }
                // The cells to check are those that matched nothing; the 8-bit map holds.
                ASSERT_EQ(opened.check.count(), 2);
                EXPECT_EQ(opened.check.cells()[0], (CellToCheck{3, 1, CheckReason::Unmatched}));
                EXPECT_EQ(opened.decoded.errors, 2u);
                EXPECT_FALSE(opened.indexedMapPicture().isNull());
            }
}

TEST(OpenMap, CorrectionsAndUndoWorkOnAnOpenedMapAndAPuzzlePieceStandsForTheMissingGrab)
{
    QTemporaryDir dir;
    GrabSession decoded;
    decodeGrab(decoded, 1, dir);
    decoded.saveUnder(decoded.mapPicture, dir.filePath(QStringLiteral("m")), {OutputFormat::Csv},
                      false, {});
    GrabSession opened;
    const QString table = dir.filePath(QStringLiteral("m.csv"));
    opened.openMap(table, readMapTable(table), 1, kCharRefAtlas);
    const QImage start = opened.mapPicture.copy();
    EXPECT_FALSE(opened.unsavedCorrections());

    EXPECT_EQ(opened.correctCell(3, 1, 2), square(3, 1));
    EXPECT_EQ(opened.check.count(), 1);
    EXPECT_EQ(opened.correctCell(0, 0, -1), square(0, 0)); // no grab to copy from
    EXPECT_EQ(opened.mapPicture.copy(square(0, 0)),
              ProgramArt::shared().puzzle().convertToFormat(QImage::Format_RGB32));
    EXPECT_TRUE(opened.unsavedCorrections());
    opened.undo();
    opened.undo();
    EXPECT_EQ(opened.mapPicture, start);
    EXPECT_EQ(opened.check.count(), 2);
    EXPECT_EQ(opened.decoded.map[3][1], -1);
}

TEST(OpenMap, WithItsGrabTheMapIsDrawnAsTheDecodingPassDrewIt)
{
    QTemporaryDir dir;
    GrabSession decoded;
    decodeGrab(decoded, 1, dir);
    decoded.saveUnder(decoded.mapPicture, dir.filePath(QStringLiteral("grab Decode")),
                      {OutputFormat::Tmx}, false, {});
    const QString table = dir.filePath(QStringLiteral("grab Decode.tmx"));
    const QString grab = GrabSession::grabBesideTable(table);
    EXPECT_EQ(grab, dir.filePath(QStringLiteral("grab.png")));

    GrabSession opened;
    const QStringList notes = opened.openMap(table, readMapTable(table), 0, kCharRefPc, grab);
    EXPECT_TRUE(notes.isEmpty()) << notes.join(' ').toStdString();
    EXPECT_TRUE(opened.canDecode());
    EXPECT_EQ(opened.grid, decoded.grid);
    EXPECT_EQ(opened.game, 1); // the map's own, not the one asked for a table without it
    // The unmatched cells show the grab's own pixels, as in the decoded map.
    EXPECT_EQ(opened.mapPicture, decoded.mapPicture);
}

TEST(OpenMap, AGrabOfAnotherSizeIsRefusedAndTheMapKept)
{
    QTemporaryDir dir;
    GrabSession decoded;
    decodeGrab(decoded, 1, dir);
    decoded.saveUnder(decoded.mapPicture, dir.filePath(QStringLiteral("m")), {OutputFormat::Json},
                      false, {});
    const QString other = dir.filePath(QStringLiteral("other.png"));
    ASSERT_TRUE(
        test::composeMapView(GrabMap::random(1, 24, 24, 3), GrabArt::shipped(1, 0)).save(other));

    GrabSession opened;
    const QString table = dir.filePath(QStringLiteral("m.json"));
    const QStringList notes = opened.openMap(table, readMapTable(table), 0, 0, other);
    ASSERT_EQ(notes.size(), 1);
    EXPECT_TRUE(notes[0].contains(QStringLiteral("its grid is 24 x 24 cells, the map 16 x 16")))
        << notes[0].toStdString();
    EXPECT_TRUE(opened.hasMap());
    EXPECT_FALSE(opened.canDecode());
    EXPECT_TRUE(opened.fullcolourimage.isNull());
    EXPECT_EQ(opened.decoded.map, decoded.decoded.map);
    EXPECT_EQ(opened.grid.grab_width, 16);
}

TEST(OpenMap, ATableThatFailsLeavesTheSessionAsItWas)
{
    QTemporaryDir dir;
    GrabSession session;
    decodeGrab(session, 0, dir);
    const auto map = session.decoded.map;
    const QImage picture = session.mapPicture.copy();
    const QString table = dir.filePath(QStringLiteral("bad.csv"));
    test::writeFile(table, "Blue\r\n0,1\r\n2,34\r\n"); // 34: no character of the first game
    try {
        session.openMap(table, readMapTable(table), 0, kCharRefAtlas);
        ADD_FAILURE() << "the unknown code was taken";
    } catch (const Error& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("row 2, column 2 holds \"34\"")))
            << error.message().toStdString();
    }
    EXPECT_EQ(session.decoded.map, map);
    EXPECT_EQ(session.mapPicture, picture);
    EXPECT_TRUE(session.openedTable.isEmpty());
    EXPECT_TRUE(session.canDecode());
}

TEST(OpenMap, ATiledMapWithoutTheGameAndCodesIsReadAsTheFirstGamesAndSaysSo)
{
    QTemporaryDir dir;
    DecodedMap map;
    map.reset(8, 8);
    map.map[2][3] = 32;
    map.map[4][4] = -1;
    QByteArray tmx = tmxMap(map, tiledTileset(1, 5, 35), 1, kCharRefPc);
    const qsizetype from = tmx.indexOf("<properties>");
    const qsizetype to = tmx.indexOf("</properties>") + qsizetype(strlen("</properties>"));
    ASSERT_GT(from, 0);
    tmx.remove(from, to - from); // as written before the maps carried them
    const QString table = dir.filePath(QStringLiteral("old.tmx"));
    test::writeFile(table, tmx);

    GrabSession session;
    const QStringList notes = session.openMap(table, readMapTable(table), 1, kCharRefPc);
    ASSERT_EQ(notes.size(), 1);
    EXPECT_TRUE(notes[0].contains(QStringLiteral("read as a map of PC Vorlan 1 with references "
                                                 "into the atlas")));
    EXPECT_EQ(session.game, 0);
    EXPECT_EQ(session.colour, 5);
    EXPECT_EQ(session.openedCharRef, kCharRefAtlas);
    EXPECT_EQ(session.decoded.map, map.map);
}

} // namespace
} // namespace vt
