// The preferences dialog: every change acts on the main window and is stored at once.
#include "app/Controls.h"
#include "app/MainForm.h"
#include "export/BulkConvForm.h"
#include "settings/OptionsForm.h"
#include "settings/RegUtils.h"

#include "GrabComposer.h"
#include "TestSupport.h"
#include "UiSupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyle>
#include <QTest>

#include <gtest/gtest.h>

namespace vt {
namespace {

class OptionsTest : public ::testing::Test
{
protected:
    void SetUp() override { test::SettingsSandbox::clear(); }
    static int stored(const QString& name) { return OpenReg()->value(name).toInt(); }
};

TEST_F(OptionsTest, TheDialogIsLaidOutAsDesigned)
{
    test::StartedApp app;
    TOptionsForm* options = app.forms().OptionsForm;
    EXPECT_EQ(options->windowTitle(), QStringLiteral("Preferences"));
    EXPECT_EQ(options->size(), QSize(200, 305));
    EXPECT_EQ(options->rg_CharRef->title(), QStringLiteral("Save CSV characters"));
    EXPECT_EQ(options->rg_puzzlepiece->title(), QStringLiteral("Replace Unknown Characters"));
    EXPECT_EQ(options->lb_prob_caption->text(), QStringLiteral("Character Match:"));
    EXPECT_EQ(options->lb_vorlan_caption->text(), QStringLiteral("Vorlan Match:"));
    EXPECT_EQ(options->lb_pixel_caption->text(), QStringLiteral("Pixel Match:"));
    for (QSlider* slider :
         {options->prob_match_slider, options->vorlan_match_slider, options->pixel_match_slider}) {
        EXPECT_EQ(slider->minimum(), 0);
        EXPECT_EQ(slider->maximum(), 100);
    }
}

TEST_F(OptionsTest, MovingASliderStoresEveryPositionOnTheWay)
{
    test::StartedApp app;
    TOptionsForm* options = app.forms().OptionsForm;
    options->show();
    ASSERT_EQ(options->prob_match_slider->value(), 88);
    std::vector<int> storedOnTheWay;
    QObject::connect(options->prob_match_slider, &QSlider::valueChanged, options,
                     [&storedOnTheWay] { storedOnTheWay.push_back(stored(reg::ProbMatch)); });
    for (int step = 0; step < 8; ++step)
        QTest::keyClick(options->prob_match_slider, Qt::Key_Left);
    EXPECT_EQ(storedOnTheWay, (std::vector<int>{87, 86, 85, 84, 83, 82, 81, 80}));
    EXPECT_EQ(app.main().session().prefs.thresholds.prob_match, 80);
    EXPECT_EQ(options->lb_prob_match->text(), QStringLiteral("80%"));

    options->vorlan_match_slider->setValue(70);
    options->pixel_match_slider->setValue(55);
    EXPECT_EQ(app.main().session().prefs.thresholds.vorlan_match, 70);
    EXPECT_EQ(app.main().session().prefs.thresholds.pix_match, 55);
    EXPECT_EQ(stored(reg::VorlanMatch), 70);
    EXPECT_EQ(stored(reg::PixelMatch), 55);
    EXPECT_EQ(options->lb_pixel_match->text(), QStringLiteral("55%"));

    // Closing keeps every change.
    options->close();
    EXPECT_EQ(stored(reg::ProbMatch), 80);
    EXPECT_EQ(app.main().session().prefs.thresholds.prob_match, 80);
}

// The choices' captions whole: each as tall as its text needs (descenders included) and inside
// its frame.
TEST_F(OptionsTest, TheChoicesShowTheirCaptionsWhole)
{
    test::StartedApp app;
    TOptionsForm* options = app.forms().OptionsForm;
    options->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(options));
    for (RadioGroup* group : {options->rg_CharRef, options->rg_puzzlepiece}) {
        for (QRadioButton* button : group->findChildren<QRadioButton*>()) {
            SCOPED_TRACE(button->text().toStdString());
            const QFontMetrics metrics(button->font());
            // The text's own line, ascent to descent, must fit the button and the frame.
            EXPECT_GE(button->height(), metrics.height());
            EXPECT_GE(button->height(), button->style()->pixelMetric(
                                            QStyle::PM_ExclusiveIndicatorHeight, nullptr, button));
            EXPECT_TRUE(group->contentsRect().contains(button->geometry()));
        }
    }
    options->hide();
}

// A threshold moved while a map is on show applies only from the next decoding: the dialog
// says so at once. Every threshold tells what it does in its tool tip.
TEST_F(OptionsTest, AThresholdChangedOverAShownMapSaysDecodeMapMustRunAgain)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    TOptionsForm* options = app.forms().OptionsForm;
    const struct
    {
        QLabel* caption;
        QSlider* slider;
        const char* says;
    } rows[] = {{options->lb_prob_caption, options->prob_match_slider, "a cell"},
                {options->lb_vorlan_caption, options->vorlan_match_slider, "hero figure"},
                {options->lb_pixel_caption, options->pixel_match_slider, "edge"}};
    for (const auto& row : rows) {
        EXPECT_TRUE(row.slider->toolTip().contains(QLatin1String(row.says)))
            << row.slider->objectName().toStdString();
        EXPECT_EQ(row.caption->toolTip(), row.slider->toolTip());
    }

    // Without a map nothing is out of date.
    bool noted = true;
    test::onNextModal([&](QWidget*) {
        QTest::keyClick(options->prob_match_slider, Qt::Key_Left);
        noted = options->lb_redecode->isVisible();
        options->close();
    });
    main.ui.sb_options->click();
    EXPECT_FALSE(noted);

    app.loadAndDecode(
        test::composeMapView(test::GrabMap::random(0, 16, 16, 3), test::GrabArt::shipped(0, 0)));
    for (const auto& row : rows) {
        noted = false;
        QString note;
        test::onNextModal([&](QWidget*) {
            EXPECT_FALSE(options->lb_redecode->isVisible());
            QTest::keyClick(row.slider, Qt::Key_Right);
            noted = options->lb_redecode->isVisible();
            note = options->lb_redecode->text();
            // The note lies inside the dialog, below the rows.
            EXPECT_TRUE(options->rect().contains(options->lb_redecode->geometry()));
            EXPECT_GE(options->lb_redecode->y(), options->GroupBox1->geometry().bottom());
            options->close();
        });
        main.ui.sb_options->click();
        EXPECT_TRUE(noted) << row.slider->objectName().toStdString();
        EXPECT_TRUE(note.contains(QStringLiteral("run Decode Map again")));
    }
}

TEST_F(OptionsTest, ThePuzzlePieceChoiceKeepsTheSaveBoxesBitsAndTheTableChoiceIsStored)
{
    test::StartedApp app;
    TOptionsForm* options = app.forms().OptionsForm;
    app.forms().BulkConvForm->cb_SaveGIF->setChecked(true);
    ASSERT_EQ(stored(reg::Flags), 17 | 2);

    options->rg_puzzlepiece->setItemIndex(1);
    EXPECT_TRUE(app.main().session().prefs.puzzpiece);
    EXPECT_EQ(stored(reg::Flags), 17 | 2 | 32);
    options->rg_puzzlepiece->setItemIndex(0);
    EXPECT_FALSE(app.main().session().prefs.puzzpiece);
    EXPECT_EQ(stored(reg::Flags), 17 | 2);

    options->rg_CharRef->setItemIndex(1);
    EXPECT_EQ(stored(reg::CharRef), 1);

    // The next start shows what was stored.
    test::StartedApp again;
    EXPECT_EQ(again.forms().OptionsForm->rg_CharRef->itemIndex(), 1);
    EXPECT_TRUE(again.forms().BulkConvForm->cb_SaveGIF->isChecked());
}

} // namespace
} // namespace vt
