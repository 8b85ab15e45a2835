// The grab session's history of hand corrections: undo and redo down to the decoded map, what
// counts as unsaved, and the commands that empty it.
#include "session/GrabSession.h"

#include "decode/MapDecoder.h"

#include "GrabComposer.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace vt {
namespace {

using test::GrabArt;
using test::GrabMap;

// A decoded 16 x 16 map with two garbage cells, whose full-colour copy is off the palette.
class CorrectionHistoryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        GrabMap map = GrabMap::random(1, 16, 16, 2);
        map.set(1, 1, -1);
        map.set(6, 2, -1);
        session.loadPictures(makeWorkingPictures(test::offPalette(
                                 test::composeMapView(map, GrabArt::shipped(1, 1)))),
                             QStringLiteral("m"));
        session.decode();
        ASSERT_TRUE(session.hasMap());
        ASSERT_GE(session.decoded.errors, 2u);
        ASSERT_EQ(session.decoded.map[1][1], -1);
    }

    struct State
    {
        std::vector<std::vector<qint32>> map;
        QImage picture;
    };
    State state() const { return {session.decoded.map, session.mapPicture.copy()}; }
    void expectState(const State& expected) const
    {
        EXPECT_EQ(session.decoded.map, expected.map);
        EXPECT_EQ(session.mapPicture, expected.picture);
    }
    static QRect square(int column, int row) { return QRect(64 * column, 64 * row, 64, 64); }

    GrabSession session;
};

TEST_F(CorrectionHistoryTest, UndoAndRedoWalkTheCorrectionsDownToTheDecodedMapAndBack)
{
    const quint32 errors = session.decoded.errors;
    const int accuracy = session.accuracy();
    struct Step
    {
        int column, row, character;
    };
    // A character over a matched cell, the grab's own pixels over it, a character over a
    // garbage cell, and the grab's own pixels over a matched cell elsewhere.
    const Step steps[] = {{2, 3, 5}, {2, 3, -1}, {1, 1, 3}, {9, 12, -1}};
    std::vector<State> states{state()};
    for (const Step& s : steps) {
        EXPECT_EQ(session.correctCell(s.column, s.row, s.character), square(s.column, s.row));
        states.push_back(state());
    }
    // The grab's own pixels come from the full-colour copy, not the working picture.
    const QRect cell = cellRect(session.grid, 9, 12);
    const QImage own = session.mapPicture.copy(square(9, 12));
    EXPECT_EQ(own, enlargedCell(session.fullcolourimage, cell, 64));
    EXPECT_NE(own, enlargedCell(session.working, cell, 64));

    for (int i = int(std::size(steps)) - 1; i >= 0; --i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(session.canUndo());
        ASSERT_EQ(session.nextUndo()->column, steps[i].column);
        EXPECT_EQ(session.undo(), square(steps[i].column, steps[i].row));
        expectState(states[std::size_t(i)]);
        EXPECT_EQ(session.decoded.errors, errors);
    }
    EXPECT_FALSE(session.canUndo());
    EXPECT_TRUE(session.undo().isEmpty());
    EXPECT_EQ(session.decoded.map[1][1], -1);
    EXPECT_EQ(session.accuracy(), accuracy);

    for (std::size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(session.canRedo());
        EXPECT_EQ(session.nextRedo()->after, steps[i].character);
        EXPECT_EQ(session.redo(), square(steps[i].column, steps[i].row));
        expectState(states[i + 1]);
    }
    EXPECT_FALSE(session.canRedo());
    EXPECT_TRUE(session.redo().isEmpty());

    // A new correction after two undos drops what could have been redone.
    session.undo();
    session.undo();
    session.correctCell(0, 0, 7);
    EXPECT_FALSE(session.canRedo());
    session.undo();
    expectState(states[2]);
    EXPECT_EQ(session.decoded.errors, errors);
}

TEST_F(CorrectionHistoryTest, OnlyCorrectionsThatNeitherTheSaveNorThePassHoldAreUnsaved)
{
    EXPECT_FALSE(session.unsavedCorrections());
    session.correctCell(2, 3, 5);
    EXPECT_TRUE(session.unsavedCorrections());
    session.undo(); // back to the decoded map: nothing to lose
    EXPECT_FALSE(session.unsavedCorrections());
    session.redo();
    session.correctCell(4, 4, 6);
    session.markSaved();
    EXPECT_FALSE(session.unsavedCorrections());

    // The same character again changes nothing and is no correction.
    session.correctCell(4, 4, 6);
    EXPECT_FALSE(session.unsavedCorrections());
    session.undo();
    EXPECT_TRUE(session.unsavedCorrections());
    EXPECT_EQ(session.decoded.map[2][3], 5);
    session.redo();
    EXPECT_FALSE(session.unsavedCorrections());

    // Once the map saved is out of undo's reach, every map but the decoded one is unsaved.
    session.undo();
    session.correctCell(7, 7, 1);
    session.undo();
    EXPECT_TRUE(session.unsavedCorrections());
    session.undo();
    EXPECT_FALSE(session.unsavedCorrections());
}

TEST_F(CorrectionHistoryTest, APassALoadASelectionOrClosingEmptiesTheHistory)
{
    const QImage other =
        test::composeMapView(GrabMap::random(1, 16, 16, 3), GrabArt::shipped(1, 1));
    const std::vector<std::pair<const char*, std::function<void()>>> commands = {
        {"decode", [&] { session.decode(); }},        {"load", [&] { session.loadPicture(other); }},
        {"colour", [&] { session.selectColour(2); }}, {"game", [&] { session.selectGame(0); }},
        {"close", [&] { session.closeGrab(); }},
    };
    for (const auto& [name, command] : commands) {
        SCOPED_TRACE(name);
        SetUp();
        session.correctCell(2, 3, 5);
        session.correctCell(3, 3, 6);
        session.undo();
        ASSERT_TRUE(session.canUndo() && session.canRedo());
        command();
        EXPECT_FALSE(session.canUndo());
        EXPECT_FALSE(session.canRedo());
        EXPECT_FALSE(session.unsavedCorrections());
    }
}

} // namespace
} // namespace vt
