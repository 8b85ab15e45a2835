// The decoding pass as the window runs it.
#include "app/Controls.h"
#include "app/MainForm.h"

#include "GrabComposer.h"
#include "TestSupport.h"
#include "UiSupport.h"

#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace vt {
namespace {

using test::GrabArt;
using test::GrabMap;

class DecodeWindowTest : public ::testing::Test
{
protected:
    void SetUp() override { test::SettingsSandbox::clear(); }
};

TEST_F(DecodeWindowTest, DecodingShowsTheConvertedMapAndItsAccuracy)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    const GrabMap map = GrabMap::random(0, 32, 32, 21);
    app.loadGrab(test::composeMapView(map, GrabArt::shipped(0, 5)));
    main.editboundbox = true;
    main.lb_MapSizeMouseEnter();
    ASSERT_TRUE(main.ui.mapboundbox->isVisible());

    main.ui.sb_DecodeStart->click();
    EXPECT_TRUE(main.ui.sb_SaveMap->isEnabled());
    EXPECT_EQ(main.ui.MainArea->currentIndex(), 1);
    EXPECT_EQ(main.session().decoded.errors, 0u);
    EXPECT_EQ(main.session().decoded.map[4][9], map.at(4, 9));
    EXPECT_EQ(main.ui.lb_accuracy->text(), QStringLiteral("100%"));
    EXPECT_EQ(main.ui.sh_accuracy->brushColor(), QColor(0, 255, 0));
    EXPECT_TRUE(main.ui.sh_accuracy->isVisible());
    EXPECT_FALSE(main.ui.ProgressBar1->isVisible());
    EXPECT_EQ(main.ui.img_Map->picture().size(), QSize(2048, 2048));
    EXPECT_EQ(main.ui.img_Map->size(), QSize(2048, 2048));
    // The pass ends any hold of the bounds box and hides it.
    EXPECT_FALSE(main.editboundbox);
    EXPECT_FALSE(main.ui.mapboundbox->isVisible());
    // No correction character is chosen: the frame rests on the copy-from-grab tile.
    EXPECT_EQ(main.selectedchar, -1);
    EXPECT_TRUE(main.ui.charselect->isVisible());
    EXPECT_EQ(main.ui.charselect->pos(), main.ui.charstorage->pos());
    EXPECT_EQ(main.session().mapsize_char->size(), 33u);
}

// After a recognised grab, a black picture of 50 x 40 still decodes on the 32 x 32 guess (its
// blank cells all match), but no map was found: no green 100 %.
TEST_F(DecodeWindowTest, APictureWithNoMapIsNotShownAsASuccess)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    app.loadGrab(test::composeMapView(GrabMap::random(0, 32, 32, 21), GrabArt::shipped(0, 5)));
    QImage blank(50, 40, QImage::Format_RGB32);
    blank.fill(Qt::black);
    app.loadGrab(blank);
    ASSERT_TRUE(main.ui.sb_DecodeStart->isEnabled());
    main.ui.sb_DecodeStart->click();
    ASSERT_TRUE(main.ui.sb_SaveMap->isEnabled());
    EXPECT_EQ(main.session().decoded.errors, 0u);
    EXPECT_EQ(main.ui.lb_accuracy->text(), QStringLiteral("no map found"));
    EXPECT_EQ(main.ui.sh_accuracy->brushColor(), QColor(Qt::black));
}

// Beside the colour list, a label says whether the map can be trusted, with the mean score;
// it fits its place, and goes with the map.
TEST_F(DecodeWindowTest, TheTrustLabelSaysCertainOrCheckTheMapWithTheMeanScore)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    QLabel* trust = main.ui.lb_trust;
    ASSERT_TRUE(trust && trust->isVisible());
    EXPECT_TRUE(trust->text().isEmpty());
    const auto fits = [trust] {
        return QFontMetrics(trust->font()).horizontalAdvance(trust->text()) <=
               trust->contentsRect().width();
    };

    app.loadAndDecode(test::composeMapView(GrabMap::random(0, 32, 32, 21), GrabArt::shipped(0, 5)));
    ASSERT_TRUE(main.session().confidence.certain());
    EXPECT_EQ(trust->text(), QStringLiteral("certain, mean 100.0"));
    EXPECT_TRUE(fits());

    QImage blank(50, 40, QImage::Format_RGB32);
    blank.fill(Qt::black);
    app.loadGrab(blank);
    EXPECT_TRUE(trust->text().isEmpty()); // the last map's word does not hold for this grab
    main.ui.sb_DecodeStart->click();
    EXPECT_EQ(trust->text(), QStringLiteral("check the map, mean %1")
                                 .arg(main.session().confidence.meanScore, 0, 'f', 1));
    EXPECT_TRUE(fits());
    EXPECT_TRUE(trust->toolTip().contains(QStringLiteral("no map was found")))
        << trust->toolTip().toStdString();
    EXPECT_LE(trust->geometry().right(), main.ui.InfoPanel->width());
}

TEST_F(DecodeWindowTest, DecodingAgainAfterTheGridChangedRedrawsEverything)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    app.loadGrab(test::composeMapView(GrabMap::random(1, 16, 16, 2), GrabArt::shipped(1, 1)));
    main.session().grid.grab_width = 8;
    main.session().grid.grab_height = 8;
    main.ui.sb_DecodeStart->click();
    EXPECT_EQ(main.ui.img_Map->picture().size(), QSize(512, 512));
    EXPECT_EQ(main.session().decoded.columns(), 8);

    // A change of colour discards the decoded map; the grid can then change again.
    main.cb_map_colourChange();
    EXPECT_FALSE(main.ui.sb_SaveMap->isEnabled());
    EXPECT_TRUE(main.ui.img_Map->picture().isNull());
    main.session().grid.grab_width = 16;
    main.session().grid.grab_height = 16;
    main.ui.sb_DecodeStart->click();
    EXPECT_EQ(main.ui.img_Map->picture().size(), QSize(1024, 1024));
    EXPECT_EQ(main.session().decoded.columns(), 16);
    EXPECT_EQ(main.session().decoded.rows(), 16);
}

TEST_F(DecodeWindowTest, ANewGrabClearsTheAccuracyAndAChangeOfColourKeepsIt)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    app.loadAndDecode(test::composeMapView(GrabMap::random(0, 32, 32, 4), GrabArt::shipped(0, 0)));
    main.cb_map_colourChange();
    EXPECT_EQ(main.ui.lb_accuracy->text(), QStringLiteral("100%"));
    app.loadGrab(test::composeMapView(GrabMap::random(0, 32, 32, 5), GrabArt::shipped(0, 0)),
                 QStringLiteral("other.png"));
    EXPECT_TRUE(main.ui.lb_accuracy->text().isEmpty());
    EXPECT_EQ(main.ui.sh_accuracy->brushColor(), QColor(Qt::black));
}

} // namespace
} // namespace vt
