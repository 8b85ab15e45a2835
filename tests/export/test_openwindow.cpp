// Open Map as the window runs it: Ctrl+O and the button beside Save Map, the questions a table
// needs answered, the grab beside it, and the map shown as one to go on correcting.
#include "app/Controls.h"
#include "app/MainForm.h"
#include "charsets/ColourSelector.h"
#include "charsets/GameTables.h"
#include "export/MapTable.h"

#include "GrabComposer.h"
#include "TestSupport.h"
#include "UiSupport.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>

#include <gtest/gtest.h>

namespace vt {
namespace {

using test::GrabArt;
using test::GrabMap;

class OpenWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        test::SettingsSandbox::clear();
        GrabMap map = GrabMap::random(1, 16, 16, 5);
        map.set(2, 3, -1);
        app.loadAndDecode(test::composeMapView(map, GrabArt::shipped(1, 2)),
                          QStringLiteral("level.png"));
        decoded = app.main().session().decoded.map;
        table = app.path(QStringLiteral("level Decode.csv"));
        app.prompts().files.push_back(table);
        app.main().ui.sb_SaveMap->click();
        ASSERT_TRUE(QFileInfo::exists(table));
        app.main().session().closeGrab(); // as after a restart
    }

    test::StartedApp app;
    std::vector<std::vector<qint32>> decoded;
    QString table;
};

TEST_F(OpenWindowTest, CtrlOAsksTheGameAndTheCodesThePreferenceFirstAndOffersTheGrab)
{
    TMainForm& main = app.main();
    main.session().prefs.charRef = kCharRefPc; // the table was saved with atlas references
    app.prompts().files.push_back(table);
    app.prompts().choices = {1, 1}; // the second game; the second mode offered: atlas
    app.prompts().useGrabs = {false};
    main.ui.OpenMap->trigger();

    ASSERT_TRUE(app.prompts().errors.isEmpty()) << app.prompts().errors.join(' ').toStdString();
    ASSERT_EQ(app.prompts().itemQuestions.size(), 2u);
    EXPECT_EQ(app.prompts().itemQuestions[0].items, gameNames());
    EXPECT_EQ(app.prompts().itemQuestions[1].items,
              (QStringList{"As PC references", "As references into atlas"}));
    EXPECT_EQ(app.prompts().grabsOffered, QStringList{app.path(QStringLiteral("level.png"))});

    EXPECT_EQ(main.session().decoded.map, decoded);
    EXPECT_EQ(main.ui.lb_accuracy->text(), QStringLiteral("From table"));
    EXPECT_EQ(main.ui.cb_game->currentIndex(), 1);
    EXPECT_EQ(main.ui.cb_map_colour->currentIndex(), 2);
    EXPECT_TRUE(main.ui.sb_SaveMap->isEnabled());
    EXPECT_FALSE(main.ui.sb_DecodeStart->isEnabled());
    EXPECT_EQ(main.ui.img_Map->picture().size(), QSize(16 * 64, 16 * 64));
    EXPECT_TRUE(main.statusBar()->currentMessage().contains(QStringLiteral("1 not recognised")));

    // A correction by Ctrl-click, and Ctrl+Z takes it back.
    main.selectedchar = 4;
    main.ImageMouseDown(test::mouseEvent(QEvent::MouseButtonPress, QPointF(1, 1), Qt::LeftButton,
                                         Qt::ControlModifier, Qt::LeftButton)
                            .get());
    EXPECT_EQ(main.session().decoded.map[0][0], 4);
    main.ui.Undo->trigger();
    EXPECT_EQ(main.session().decoded.map, decoded);

    // Save Map proposes the table's own name, beside it.
    app.prompts().files.clear();
    main.ui.sb_SaveMap->click();
    ASSERT_FALSE(app.prompts().saveDialogs.empty());
    EXPECT_EQ(app.prompts().saveDialogs.back().fileName, QStringLiteral("level Decode.csv"));
    EXPECT_EQ(app.prompts().saveDialogs.back().folder, QFileInfo(table).absolutePath());
}

TEST_F(OpenWindowTest, TheGrabBesideIsTakenWhenPickedAndACancelledQuestionOpensNothing)
{
    TMainForm& main = app.main();
    app.prompts().files.push_back(table);
    app.prompts().choices = {-1};
    main.ui.sb_OpenMap->click();
    EXPECT_FALSE(main.session().hasMap());
    EXPECT_TRUE(app.prompts().grabsOffered.isEmpty());

    app.prompts().files.push_back(table);
    app.prompts().choices = {1, 0};
    app.prompts().useGrabs = {true};
    main.ui.sb_OpenMap->click();
    ASSERT_TRUE(app.prompts().errors.isEmpty()) << app.prompts().errors.join(' ').toStdString();
    EXPECT_TRUE(main.session().hasMap());
    EXPECT_TRUE(main.ui.sb_DecodeStart->isEnabled());
    EXPECT_FALSE(main.ui.img_ScreenGrab->picture().isNull());
    EXPECT_EQ(main.ui.lb_filename->path(), QStringLiteral("level.png"));
}

TEST_F(OpenWindowTest, TheButtonSharesSaveMapsRowAndTheSidePanelKeepsItsHeight)
{
    const Ui::MainForm& ui = app.main().ui;
    EXPECT_EQ(ui.ButtonPanel->height(), 154);
    EXPECT_EQ(ui.sb_OpenMap->y(), ui.sb_SaveMap->y());
    EXPECT_GE(ui.sb_OpenMap->x(), ui.sb_SaveMap->geometry().right() + 1);
    EXPECT_LE(ui.sb_OpenMap->geometry().right(), ui.ButtonPanel->width() - 1);
    EXPECT_GE(ui.sb_SaveMap->width(), ui.sb_SaveMap->sizeHint().width());
    EXPECT_GE(ui.sb_OpenMap->width(), ui.sb_OpenMap->sizeHint().width());
    EXPECT_EQ(ui.OpenMap->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
}

} // namespace
} // namespace vt
