// The grab session's own rules: the game told by the cells on a fresh load, the user's game
// kept on a "reload", and the confidence of what was found.
#include "session/GrabSession.h"

#include "charsets/GameTables.h"

#include "GrabComposer.h"
#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vt {
namespace {

using test::GrabArt;
using test::GrabMap;

WorkingPictures mapView(int game, int colour, quint64 seed)
{
    return makeWorkingPictures(
        test::composeMapView(GrabMap::random(game, 32, 32, seed), GrabArt::shipped(game, colour)));
}

// A 32 x 32 map view does not tell its game by its size; its cells do, whichever game the
// grab before it left selected.
TEST(GrabSessionGame, AFullViewMapIsToldItsGameByItsCellsOnAFreshLoad)
{
    for (int game : {0, 1})
        for (int before : {0, 1})
            for (int colour : {0, 4}) {
                SCOPED_TRACE(testing::Message()
                             << "game " << game << " after " << before << " colour " << colour);
                GrabSession session;
                session.game = before;
                session.loadPictures(mapView(game, colour, 7 + quint64(game)), QStringLiteral("m"));
                EXPECT_EQ(session.outcome, LoadOutcome::Located);
                EXPECT_EQ(session.game, game);
                EXPECT_TRUE(session.confidence.gameCertain);
                ASSERT_TRUE(session.fullsize_char);
                EXPECT_EQ(int(session.fullsize_char->size()), char_count[std::size_t(game)]);

                session.decode();
                EXPECT_EQ(session.accuracy(), 100);
                EXPECT_TRUE(session.confidence.gridCertain);
                EXPECT_EQ(session.confidence.locatedBy, LocatedBy::Exact);
            }
}

TEST(GrabSessionGame, AReloadKeepsTheUsersGameAndSaysTheCellsDisagree)
{
    GrabSession session;
    session.loadPictures(mapView(0, 2, 3), QStringLiteral("m"));
    ASSERT_EQ(session.game, 0);
    session.selectGame(1);
    EXPECT_EQ(session.game, 1);
    EXPECT_FALSE(session.confidence.gameCertain);
    session.decode();
    EXPECT_FALSE(session.confidence.certain());
}

TEST(GrabSessionGame, AMapOfSharedCharactersKeepsTheSelectedGameAndIsUncertain)
{
    // Blank, diamond and brick wall are the same pictures in both games.
    GrabMap map = GrabMap::filled(32, 32, 0);
    for (int i = 0; i < 32; ++i) {
        map.set(i, 0, 3);
        map.set(i, 5, 1);
    }
    for (int before : {0, 1}) {
        GrabMap drawn = map;
        if (before == 1) // the same pictures under the second game's indices
            for (int& cell : drawn.cells)
                cell = cell == 3 ? 9 : cell;
        GrabSession session;
        session.game = before;
        session.loadPictures(
            makeWorkingPictures(test::composeMapView(drawn, GrabArt::shipped(before, 0))),
            QStringLiteral("m"));
        EXPECT_EQ(session.game, before);
        EXPECT_FALSE(session.gameFit.certain);
        EXPECT_FALSE(session.confidence.gameCertain);
    }
}

TEST(GrabSessionGrid, AnUnrecognisedGrabIsDecodedOnAGuessThatIsNeverCertain)
{
    QImage odd(200, 150, QImage::Format_RGB32);
    odd.fill(QColor(0, 0, 153));
    GrabSession session;
    session.screengrab_loaded = true; // an earlier grab was recognised: this one decodes
    session.loadPictures(makeWorkingPictures(odd), QStringLiteral("odd"));
    EXPECT_EQ(session.outcome, LoadOutcome::NotRecognised);
    EXPECT_EQ(session.confidence.locatedBy, LocatedBy::Fallback);
    ASSERT_TRUE(session.canDecode());
    session.decode();
    EXPECT_FALSE(session.confidence.gridCertain);
}

// map_text holds the last table written, line by line: every table export starts it afresh,
// and a save that writes no table (another format, or an overwrite declined) leaves it.
TEST(GrabSessionSave, TheLastTableWrittenIsKeptLineByLine)
{
    GrabSession session;
    session.loadPictures(makeWorkingPictures(test::composeMapView(GrabMap::random(1, 8, 8, 4),
                                                                  GrabArt::shipped(1, 2))),
                         QStringLiteral("m"));
    session.decode();
    QTemporaryDir dir;
    const QString base = QDir(dir.path()).filePath(QStringLiteral("m"));
    const QString csv = base + QStringLiteral(".csv");
    const auto save = [&](OutputFormat format, bool answer) {
        SaveMapHooks hooks;
        hooks.confirm = [answer](const QString&) { return answer; };
        session.saveUnder(session.mapPicture, base, SaveChoices{format}, true, hooks);
    };
    const auto asText = [](const QStringList& lines) {
        return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1();
    };

    session.map_text = QStringList{QStringLiteral("stale")};
    save(OutputFormat::Csv, true);
    ASSERT_EQ(session.map_text.size(), 9);
    EXPECT_EQ(session.map_text.first(), QStringLiteral("Green"));
    EXPECT_EQ(asText(session.map_text), test::readAll(csv));
    const QStringList first = session.map_text;

    session.correctCell(0, 0, session.decoded.map[0][0] == 3 ? 4 : 3);
    save(OutputFormat::Bmp, true);
    EXPECT_EQ(session.map_text, first);
    save(OutputFormat::Csv, false); // "m.csv" exists: No
    EXPECT_EQ(session.map_text, first);

    save(OutputFormat::Csv, true);
    EXPECT_NE(session.map_text, first);
    EXPECT_EQ(session.map_text.mid(2), first.mid(2));
    EXPECT_EQ(asText(session.map_text), test::readAll(csv));
}

} // namespace
} // namespace vt
