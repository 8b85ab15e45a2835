#include "app/AboutForm.h"
#include "app/Controls.h"
#include "app/MainForm.h"
#include "charsets/ColourSelector.h"
#include "export/BulkConvForm.h"
#include "settings/OptionsForm.h"
#include "settings/RegUtils.h"

#include "TestSupport.h"
#include "UiSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace vt {
namespace {

class StartupTest : public ::testing::Test
{
protected:
    void SetUp() override { test::SettingsSandbox::clear(); }
    static QVariant stored(const QString& name) { return OpenReg()->value(name); }
};

TEST_F(StartupTest, AnEmptyStoreEndsStartUpHoldingTheSixDefaults)
{
    test::StartedApp app;
    EXPECT_EQ(stored(reg::Flags).toInt(), 17);
    EXPECT_EQ(stored(reg::ProbMatch).toInt(), 88);
    EXPECT_EQ(stored(reg::PixelMatch).toInt(), 90);
    EXPECT_EQ(stored(reg::VorlanMatch).toInt(), 96);
    EXPECT_EQ(stored(reg::MapName).toString(), QStringLiteral("%s-decode"));
    EXPECT_EQ(stored(reg::CharRef).toInt(), 0);

    TOptionsForm* options = app.forms().OptionsForm;
    EXPECT_EQ(options->lb_prob_match->text(), QStringLiteral("88%"));
    EXPECT_EQ(options->lb_vorlan_match->text(), QStringLiteral("96%"));
    EXPECT_EQ(options->lb_pixel_match->text(), QStringLiteral("90%"));
    EXPECT_EQ(options->rg_CharRef->itemIndex(), 0);
    EXPECT_EQ(options->rg_puzzlepiece->itemIndex(), 0);
    EXPECT_EQ(app.forms().BulkConvForm->ed_filename->text(), QStringLiteral("%s-decode"));
    EXPECT_EQ(app.main().session().prefs.thresholds.prob_match, 88);
    EXPECT_EQ(app.main().session().prefs.thresholds.pix_match, 90);
    EXPECT_EQ(app.main().session().prefs.thresholds.vorlan_match, 96);
}

class FlagsAtStartUp : public StartupTest, public ::testing::WithParamInterface<qint32>
{
};

// The five save boxes and the puzzle-piece choice follow "Flags", and whatever the boxes'
// change handlers store on the way, the store ends holding the value read.
TEST_P(FlagsAtStartUp, BoxesAndPuzzlePieceFollowTheStoredBits)
{
    const qint32 flags = GetParam();
    SetRegInteger(reg::Flags, flags);
    test::StartedApp app;
    TBulkConvForm* bulk = app.forms().BulkConvForm;
    EXPECT_EQ(bulk->cb_SaveBMP->isChecked(), bool(flags & 1));
    EXPECT_EQ(bulk->cb_SaveGIF->isChecked(), bool(flags & 2));
    EXPECT_EQ(bulk->cb_SavePNG->isChecked(), bool(flags & 4));
    EXPECT_EQ(bulk->cb_SaveJPG->isChecked(), bool(flags & 8));
    EXPECT_EQ(bulk->cb_SaveCSV->isChecked(), bool(flags & 16));
    EXPECT_EQ(app.main().session().prefs.puzzpiece, bool(flags & 32));
    EXPECT_EQ(app.forms().OptionsForm->rg_puzzlepiece->itemIndex(), (flags & 32) ? 1 : 0);
    EXPECT_EQ(stored(reg::Flags).toInt(), flags);
}

// 81 has bit 6 set as well: nothing changes at start-up, so nothing rewrites it.
INSTANTIATE_TEST_SUITE_P(Values, FlagsAtStartUp, ::testing::Values(17, 63, 0, 32, 1, 81));

TEST_F(StartupTest, TickingABoxKeepsThePuzzlePieceBit)
{
    SetRegInteger(reg::Flags, 17 | 32);
    test::StartedApp app;
    app.forms().BulkConvForm->cb_SaveGIF->setChecked(true);
    EXPECT_EQ(stored(reg::Flags).toInt(), 17 | 32 | 2);
}

TEST_F(StartupTest, ThresholdsOutOfRangeOrOfTheWrongTypeEndInRange)
{
    SetRegInteger(reg::ProbMatch, 150);
    SetRegInteger(reg::PixelMatch, 300);
    SetRegInteger(reg::VorlanMatch, -5);
    OpenReg()->setValue(reg::CharRef, QStringLiteral("atlas"));
    test::StartedApp app;
    EXPECT_EQ(app.main().session().prefs.thresholds.prob_match, 100);
    EXPECT_EQ(app.main().session().prefs.thresholds.pix_match, 100);
    EXPECT_EQ(app.main().session().prefs.thresholds.vorlan_match, 0);
    EXPECT_EQ(app.forms().OptionsForm->prob_match_slider->value(), 100);
    EXPECT_EQ(app.forms().OptionsForm->lb_pixel_match->text(), QStringLiteral("100%"));
    // The sliders' change handlers store what they hold.
    EXPECT_EQ(stored(reg::ProbMatch).toInt(), 100);
    EXPECT_EQ(stored(reg::PixelMatch).toInt(), 100);
    EXPECT_EQ(stored(reg::VorlanMatch).toInt(), 0);
    EXPECT_EQ(stored(reg::CharRef).toInt(), 0);
}

TEST_F(StartupTest, TheWindowStartsWithNothingLoaded)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    EXPECT_EQ(main.windowTitle(), QStringLiteral("Vorlan Tesselor v1.06-x64"));
    EXPECT_EQ(main.ui.MainArea->currentIndex(), 0);
    EXPECT_EQ(main.ui.MainArea->tabText(0), QStringLiteral("Original Screengrab"));
    EXPECT_EQ(main.ui.MainArea->tabText(1), QStringLiteral("Converted Map"));
    EXPECT_TRUE(main.ui.sb_LoadScreenGrab->isEnabled());
    EXPECT_FALSE(main.ui.sb_SaveScreenGrab->isEnabled());
    EXPECT_FALSE(main.ui.sb_DecodeStart->isEnabled());
    EXPECT_FALSE(main.ui.sb_SaveMap->isEnabled());
    EXPECT_TRUE(main.ui.sb_bulkconvert->isEnabled());
    EXPECT_TRUE(main.ui.sb_options->isEnabled());
    EXPECT_TRUE(main.ui.sb_about->isEnabled());
    EXPECT_EQ(main.ui.sb_LoadScreenGrab->text(), QStringLiteral("&Load Screengrab"));
    EXPECT_EQ(main.ui.sb_about->text(), QStringLiteral("A&bout"));

    ASSERT_EQ(main.ui.cb_map_colour->count(), 6);
    const char* names[] = {"Blue", "Cyan", "Green", "Magenta", "Orange", "Red"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(main.ui.cb_map_colour->itemText(i), QLatin1String(names[i]));
    EXPECT_EQ(main.ui.cb_map_colour->currentIndex(), 0);
    EXPECT_EQ(main.ui.cb_game->count(), 2);
    EXPECT_EQ(main.ui.cb_game->currentText(), QStringLiteral("PC Vorlan 1"));

    EXPECT_FALSE(main.ui.ProgressBar1->isVisible());
    EXPECT_TRUE(main.ui.sh_accuracy->isVisible());
    EXPECT_EQ(main.ui.sh_accuracy->brushColor(), QColor(Qt::black));
    EXPECT_TRUE(main.ui.lb_filename->text().isEmpty());
    EXPECT_EQ(main.selectedchar, -1);
    EXPECT_TRUE(main.session().fullsize_char);
    EXPECT_FALSE(main.session().screengrab_loaded);

    EXPECT_EQ(app.forms().AboutForm->lb_title->text(), QStringLiteral("Vorlan Tesselor"));
    EXPECT_EQ(app.forms().AboutForm->lb_version->text(),
              QStringLiteral("Version 1.06-x64 (4th September 2018)"));
}

TEST_F(StartupTest, PageKeysSwitchPagesAndZoomKeysDoNothingBeforeAGrab)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    const QSize grabSize = main.ui.img_ScreenGrab->size();

    QTest::keyClick(&main, Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(main.ui.MainArea->currentIndex(), 1);
    QTest::keyClick(&main, Qt::Key_Equal, Qt::ControlModifier);
    QTest::keyClick(&main, Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(main.ui.img_Map->size(), QSize(0, 0));

    QTest::keyClick(&main, Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(main.ui.MainArea->currentIndex(), 0);
    QTest::keyClick(&main, Qt::Key_Equal, Qt::ControlModifier);
    EXPECT_EQ(main.ui.img_ScreenGrab->size(), grabSize);
}

TEST_F(StartupTest, TheBannerOpensOurPageThroughTheDesktop)
{
    test::StartedApp app;
    QTest::mouseClick(app.main().ui.Image1, Qt::LeftButton);
    ASSERT_EQ(app.prompts().urls.size(), 1);
    EXPECT_TRUE(app.prompts().urls.front().startsWith(QStringLiteral("https://")));
}

} // namespace
} // namespace vt
