// What the user sees of the window's colours and real events: readable message boxes and tool
// tips, side buttons that take the keyboard, and picture files dropped on the window.
#include "app/AboutForm.h"
#include "app/Controls.h"
#include "app/MainForm.h"
#include "app/UserPrompts.h"
#include "charsets/ColourSelector.h"
#include "charsets/GameTables.h"
#include "decode/CellsToCheck.h"
#include "export/BulkConvForm.h"
#include "settings/OptionsForm.h"

#include "GrabComposer.h"
#include "TestSupport.h"
#include "UiSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolTip>
#include <QUrl>

#include <gtest/gtest.h>

namespace vt {
namespace {

using test::GrabArt;
using test::GrabMap;

class LookTest : public ::testing::Test
{
protected:
    void SetUp() override { test::SettingsSandbox::clear(); }

    // The tool tip on show, or null.
    static QLabel* shownToolTip()
    {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->objectName() == QLatin1String("qtooltip_label") && widget->isVisible())
                return qobject_cast<QLabel*>(widget);
        return nullptr;
    }
};

TEST_F(LookTest, MessageBoxesFromEveryWindowHaveReadableText)
{
    test::StartedApp app;
    const Forms& forms = app.forms();
    const struct
    {
        const char* name;
        QWidget* parent;
    } parents[] = {{"main window", forms.MainForm},
                   {"bulk dialog", forms.BulkConvForm},
                   {"about box", forms.AboutForm},
                   {"preferences", forms.OptionsForm}};
    for (const auto& [name, parent] : parents) {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Vorlan Tesselor"),
                        QStringLiteral("grab.png is not a picture this program can read."),
                        QMessageBox::Ok, parent);
        box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box)) << name;
        auto* text = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        ASSERT_NE(text, nullptr) << name;
        EXPECT_GE(test::textContrast(text->grab().toImage()), 4.5) << name;
    }
}

// However many grabs a report names, the real box stays on the screen, centred on the window,
// the list in its details; a failure's long message keeps its first paragraph in sight.
TEST_F(LookTest, MessageBoxesStayOnTheScreenCentredOnTheWindow)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    QStringList names;
    for (int i = 0; i < 300; ++i)
        names.append(QStringLiteral("grab %1.png: not a picture this program can read").arg(i));
    const QString list =
        QStringLiteral("These grabs could not be converted:\n\n") + names.join(QLatin1Char('\n'));
    const QRect screen = main.screen()->availableGeometry();
    DialogPrompts real;
    const struct
    {
        const char* what;
        std::function<void()> show;
        QMessageBox::Icon icon;
    } cases[] = {
        {"stop told",
         [&] {
             real.tell(&main, UserPrompts::Tone::Information,
                       QStringLiteral("The run was stopped. 300 grabs were not reached."), list);
         },
         QMessageBox::Information},
        {"long error",
         [&] { real.reportError(&main, QStringLiteral("Cannot write \"x.csv\".\n\n") + list); },
         QMessageBox::Critical},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QRect shown;
        QString text, details;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        test::onNextModal([&](QWidget* dialog) {
            auto* box = qobject_cast<QMessageBox*>(dialog);
            if (box) {
                shown = box->frameGeometry();
                text = box->text();
                details = box->detailedText();
                icon = box->icon();
            }
            dialog->close();
        });
        c.show();
        EXPECT_EQ(icon, c.icon);
        EXPECT_TRUE(screen.contains(shown)) << shown.height() << " of " << screen.height();
        EXPECT_LE((shown.center() - main.frameGeometry().center()).manhattanLength(), 4);
        EXPECT_TRUE(details.contains(names.back())) << details.right(80).toStdString();
        EXPECT_FALSE(text.contains(names[5]));
    }
}

// A message too long for the status line shows its first whole sentences and "...", the whole
// message in the line's tool tip; one that fits is shown whole.
TEST_F(LookTest, TheStatusLineNeverCutsASentence)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    main.resize(930, 700);
    auto* line = qobject_cast<StatusLine*>(main.statusBar());
    ASSERT_TRUE(line);
    const QString message = QStringLiteral(
        "Decoded 1024 cells, 3 not recognised (mean score 97.1%, 0.4% near ties). Point at the "
        "grab to inspect a cell; choose a character on the right and press on the cell, or "
        "Ctrl-click the converted map, to correct it. F3 goes to the next cell to check.");
    line->showMessage(message);
    const QString shown = line->shownText();
    ASSERT_TRUE(shown.endsWith(QStringLiteral(" ..."))) << shown.toStdString();
    const QString head = shown.chopped(4);
    EXPECT_TRUE(message.startsWith(head));
    EXPECT_TRUE(head.endsWith(QLatin1Char('.')) || head.endsWith(QLatin1Char(';')))
        << head.toStdString();
    EXPECT_LE(QFontMetrics(line->font()).horizontalAdvance(shown), line->width());
    EXPECT_EQ(line->toolTip(), message);

    line->showMessage(QStringLiteral("No cells to check."));
    EXPECT_EQ(line->shownText(), QStringLiteral("No cells to check."));
    EXPECT_TRUE(line->toolTip().isEmpty());
}

// The frames of the cells to check, as the window and the report draw them, stand out at 3 : 1
// or more on every scheme's swatch and on black: of their bands, one at least does.
TEST_F(LookTest, TheFramesOfCellsToCheckStandOutOnEverySwatchAndBlack)
{
    std::vector<QRgb> backgrounds{qRgb(0, 0, 0)};
    for (const std::uint32_t swatch : colour_swatch)
        backgrounds.push_back(
            qRgb(int(swatch & 0xFF), int((swatch >> 8) & 0xFF), int((swatch >> 16) & 0xFF)));
    for (const int side : {10, 16, 64}) // a report's thumbnail, the grab at 1:1, the map
        for (const CheckReason reason : {CheckReason::Unmatched, CheckReason::NearTie})
            for (const QRgb background : backgrounds) {
                SCOPED_TRACE(QStringLiteral("side %1, %2 on %3")
                                 .arg(side)
                                 .arg(checkColour(reason).name(), QColor(background).name())
                                 .toStdString());
                QImage picture(side, side, QImage::Format_RGB32);
                picture.fill(background);
                {
                    QPainter painter(&picture);
                    drawCheckFrame(painter, picture.rect(), reason);
                }
                EXPECT_EQ(picture.pixel(side / 2, 0), checkColour(reason).rgb());
                double best = 0;
                for (int y = 0; y < 4; ++y) // the frame's bands, at most four pixels deep
                    best = std::max(best, test::contrast(picture.pixel(side / 2, y), background));
                EXPECT_GE(best, 3.0);
            }
}

TEST_F(LookTest, ToolTipsShowTheirText)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    ASSERT_FALSE(main.ui.fullsize_char.empty());
    main.ui.lb_filename->setPath(QStringLiteral("a grab with a long name.png"));
    TBulkConvForm& bulk = *app.forms().BulkConvForm;
    bulk.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bulk));
    const QWidget* const owners[] = {main.ui.fullsize_char[3], main.ui.charstorage,
                                     main.ui.lb_filename, bulk.Copy};
    for (const QWidget* owner : owners) {
        ASSERT_FALSE(owner->toolTip().isEmpty());
        QToolTip::showText(owner->mapToGlobal(owner->rect().center()), owner->toolTip(),
                           const_cast<QWidget*>(owner));
        QLabel* tip = shownToolTip();
        ASSERT_NE(tip, nullptr) << owner->objectName().toStdString();
        EXPECT_EQ(tip->text(), owner->toolTip());
        EXPECT_GE(test::textContrast(tip->grab().toImage()), 4.5) << tip->text().toStdString();
        QToolTip::hideText();
    }
    bulk.hide();
}

// Every tick box of the bulk dialog, on black or on the silver frame: its caption readable and
// its tick standing out from the empty box.
TEST_F(LookTest, TheBulkDialogsTickBoxesAreReadableWithAVisibleTick)
{
    test::StartedApp app;
    TBulkConvForm& bulk = *app.forms().BulkConvForm;
    bulk.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bulk));
    for (QCheckBox* box : {bulk.cb_PictureReport, bulk.cb_SaveBMP, bulk.cb_SaveJPG}) {
        SCOPED_TRACE(box->objectName().toStdString());
        QStyleOptionButton option;
        option.initFrom(box);
        const QRect caption =
            box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
        const QRect indicator =
            box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
        // As the dialog shows it, over the dialog's and the frame's backgrounds.
        const QRect shown(box->mapTo(&bulk, QPoint(0, 0)), box->size());
        box->setChecked(false);
        const QImage empty = bulk.grab(shown).toImage().convertToFormat(QImage::Format_RGB32);
        box->setChecked(true);
        const QImage ticked = bulk.grab(shown).toImage().convertToFormat(QImage::Format_RGB32);
        const qreal ratio = empty.devicePixelRatio();
        const auto device = [ratio](const QRect& r) {
            return QRect((QRectF(r).topLeft() * ratio).toPoint(),
                         (QSizeF(r.size()) * ratio).toSize());
        };
        EXPECT_GE(test::textContrast(ticked.copy(device(caption))), 4.5);
        // The tick: where the ticked box differs from the empty one, it differs clearly.
        double tick = 1.0;
        const QRect inside = device(indicator);
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            for (int x = inside.left(); x <= inside.right(); ++x)
                tick = std::max(tick, test::contrast(ticked.pixel(x, y), empty.pixel(x, y)));
        EXPECT_GE(tick, 3.0);
    }
    bulk.hide();
}

// Each scheme's name readable on its swatch, in the closed list as it is drawn.
TEST_F(LookTest, TheColourListsTextIsReadableOnEverySwatch)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    main.activateWindow();
    TColourComboBox* list = main.ui.cb_map_colour;
    for (int i = 0; i < list->count(); ++i) {
        list->setCurrentIndex(i);
        // The field as drawn, without the frame and the arrow: the swatch is its commonest
        // colour, the text the one farthest from it.
        QStyleOptionComboBox option;
        option.initFrom(list);
        const QRect field = list->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                          QStyle::SC_ComboBoxEditField, list);
        const QImage shown = list->grab(field.adjusted(2, 1, -2, -1)).toImage();
        EXPECT_GE(test::textContrast(shown), 4.5) << list->itemText(i).toStdString();
    }
}

// What a new player meets first: a hint how to begin, gone once a grab is loaded, and the
// credits naming the libraries the program is built with.
TEST_F(LookTest, TheStartPageTellsHowToBeginAndTheCreditsNameTheLibraries)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    QLabel* hint = main.ui.lb_starthint;
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(hint->isVisible());
    for (const char* says : {"Load Screengrab", "Ctrl+V", "drop", "Decode Map"})
        EXPECT_TRUE(hint->text().contains(QLatin1String(says))) << says;
    EXPECT_GE(test::textContrast(
                  main.grab(QRect(hint->mapTo(&main, QPoint(0, 0)), hint->size())).toImage()),
              4.5);
    app.loadGrab(test::composeMapView(GrabMap::random(0, 16, 16, 2), GrabArt::shipped(0, 0)));
    EXPECT_FALSE(hint->isVisible());

    for (const char* library : {"Qt", "giflib", "libdeflate"})
        EXPECT_TRUE(app.forms().AboutForm->lb_credits->text().contains(QLatin1String(library)))
            << library;
}

// The copy-from-grab tile shows the cell under inspection; a new grab starts without one.
TEST_F(LookTest, ANewGrabDoesNotShowTheLastGrabsCell)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    app.loadAndDecode(test::composeMapView(GrabMap::random(0, 16, 16, 2), GrabArt::shipped(0, 0)));
    main.ScreenGrabTabExecute();
    QTest::mouseMove(main.ui.img_ScreenGrab, QPoint(3 * 16 + 5, 2 * 15 + 7));
    ASSERT_FALSE(main.ui.charstorage->picture().isNull());
    // The load button is pressed without the pointer leaving the grab first.
    app.loadGrab(test::composeMapView(GrabMap::random(0, 16, 16, 9), GrabArt::shipped(0, 3)),
                 QStringLiteral("next.png"));
    EXPECT_TRUE(main.ui.charstorage->picture().isNull());
}

// A tab is drawn bold once chosen, as the bulk run chooses the converted map's: each tab keeps
// room for its caption in bold within the style's padding (10 pixels at each end).
TEST_F(LookTest, ATabHasRoomForItsCaptionInBold)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    QTabBar* tabs = main.ui.MainArea->tabBar();
    QFont bold = tabs->font();
    bold.setBold(true);
    for (int i = 0; i < tabs->count(); ++i) {
        main.ui.MainArea->setCurrentIndex(i);
        for (int t = 0; t < tabs->count(); ++t)
            EXPECT_GE(tabs->tabRect(t).height(),
                      QFontMetrics(bold).horizontalAdvance(tabs->tabText(t)) + 2 * 10)
                << tabs->tabText(t).toStdString();
    }
}

TEST_F(LookTest, TheWindowKeepsItsOwnColours)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    main.statusBar()->showMessage(QStringLiteral("status"));
    EXPECT_EQ(main.ui.lb_MapSize->palette().color(QPalette::WindowText), QColor(Qt::cyan));
    EXPECT_EQ(main.ui.lb_fullsizechar->palette().color(QPalette::WindowText), QColor(Qt::yellow));
    EXPECT_EQ(main.ui.sb_about->palette().color(QPalette::ButtonText), QColor(Qt::cyan));
    EXPECT_EQ(main.statusBar()->palette().color(QPalette::WindowText), QColor(Qt::cyan));
}

TEST_F(LookTest, SideButtonsTakeTheKeyboardAndShowTheFocus)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));

    // The frame is the one-pixel border: drawn in aqua around the focused button only.
    auto frameShown = [](QPushButton* button) {
        const QImage picture = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (int x = 0; x < picture.width(); ++x)
            if (qGreen(picture.pixel(x, 0)) > 128 && qBlue(picture.pixel(x, 0)) > 128)
                return true;
        return false;
    };
    QPushButton* load = main.ui.sb_LoadScreenGrab;
    QPushButton* bulk = main.ui.sb_bulkconvert;
    load->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(load->hasFocus());
    EXPECT_TRUE(frameShown(load));
    EXPECT_FALSE(frameShown(bulk));

    // Tab passes over the disabled buttons to the next one that works.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(bulk->hasFocus());
    EXPECT_TRUE(frameShown(bulk));
    EXPECT_FALSE(frameShown(load));

    // The space bar presses the focused button: here the load asks for a file.
    const QString grab = app.path(QStringLiteral("keys.png"));
    ASSERT_TRUE(
        test::composeMapView(GrabMap::random(0, 32, 32, 4), GrabArt::shipped(0, 0)).save(grab));
    app.prompts().files.push_back(grab);
    load->setFocus(Qt::TabFocusReason);
    QTest::keyClick(load, Qt::Key_Space);
    EXPECT_EQ(main.session().img_filename, grab);
}

// Tab reaches every control that takes the keyboard, each showing that it has the focus; the
// captions of the two lists take Alt and their letter to their list.
TEST_F(LookTest, EveryControlTheKeyboardReachesShowsItsFocusAndTheListsHaveAccessKeys)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    app.loadAndDecode(test::composeMapView(GrabMap::random(0, 32, 32, 4), GrabArt::shipped(0, 0)));
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));

    main.ui.sb_LoadScreenGrab->setFocus(Qt::TabFocusReason);
    std::vector<QWidget*> reached;
    do {
        QWidget* focused = QApplication::focusWidget();
        ASSERT_TRUE(focused);
        reached.push_back(focused);
        QTest::keyClick(focused, Qt::Key_Tab);
    } while (!main.ui.sb_LoadScreenGrab->hasFocus() && reached.size() < 40);
    ASSERT_LT(reached.size(), 40u);
    for (QWidget* expected : std::initializer_list<QWidget*>{
             main.ui.sb_DecodeStart, main.ui.sb_SaveMap, main.ui.sb_OpenMap, main.ui.cb_game,
             main.ui.cb_map_colour, main.ui.sb_Characters, main.ui.sb_Map})
        EXPECT_NE(std::find(reached.begin(), reached.end(), expected), reached.end())
            << expected->objectName().toStdString();

    // Each looks different with the focus than without it.
    for (QWidget* widget : reached) {
        SCOPED_TRACE(widget->objectName().toStdString());
        widget->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(widget->hasFocus());
        const QImage focused = widget->grab().toImage();
        main.ui.sb_about->setFocus(Qt::TabFocusReason);
        if (widget == main.ui.sb_about)
            main.ui.sb_LoadScreenGrab->setFocus(Qt::TabFocusReason);
        EXPECT_NE(widget->grab().toImage(), focused);
    }

    // Alt+G and Alt+O: the game's and the colour's lists, and no dialog.
    const qsizetype dialogs = app.prompts().openFolders.size();
    QTest::keyClick(&main, Qt::Key_G, Qt::AltModifier);
    EXPECT_TRUE(main.ui.cb_game->hasFocus());
    QTest::keyClick(&main, Qt::Key_O, Qt::AltModifier);
    EXPECT_TRUE(main.ui.cb_map_colour->hasFocus());
    EXPECT_EQ(app.prompts().openFolders.size(), dialogs);
    for (const QString caption : {QStringLiteral("&Game:"), QStringLiteral("C&olour:")}) {
        const auto labels = main.ui.InfoPanel->findChildren<QLabel*>();
        EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [&](QLabel* label) {
            return label->text() == caption && label->buddy();
        })) << caption.toStdString();
    }
}

// A drop as the window receives one from the desktop: on its top-level window, over the
// grab page, entering first.
bool dropOn(TMainForm& main, const QMimeData& data)
{
    QWindow* window = main.windowHandle();
    const QPointF at = main.ui.sb_ScreenGrab->mapTo(&main, QPoint(40, 40));
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &drop);
    return true;
}

QMimeData* filesData(const QStringList& files)
{
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& file : files)
        urls.append(QUrl::fromLocalFile(file));
    data->setUrls(urls);
    return data;
}

TEST_F(LookTest, ADroppedPictureLoadsAsTheLoadButtonLoadsIt)
{
    const QImage picture =
        test::composeMapView(GrabMap::random(1, 24, 16, 6), GrabArt::shipped(1, 2));

    // What the button shows for this grab.
    QString shownStatus, shownSize, shownName;
    {
        test::StartedApp app;
        app.loadGrab(picture, QStringLiteral("dropped.png"));
        shownStatus = app.main().statusBar()->currentMessage();
        shownSize = app.main().ui.lb_MapSize->text();
        shownName = app.main().ui.lb_filename->path();
    }

    test::StartedApp app;
    TMainForm& main = app.main();
    const QString file = app.path(QStringLiteral("dropped.png"));
    ASSERT_TRUE(picture.save(file));
    std::unique_ptr<QMimeData> data(filesData({file}));
    ASSERT_TRUE(dropOn(main, *data));
    EXPECT_EQ(main.session().img_filename, file);
    EXPECT_TRUE(main.ui.sb_DecodeStart->isEnabled());
    EXPECT_EQ(main.ui.img_ScreenGrab->picture().size(), picture.size());
    EXPECT_EQ(main.statusBar()->currentMessage(), shownStatus);
    EXPECT_EQ(main.ui.lb_MapSize->text(), shownSize);
    EXPECT_EQ(main.ui.lb_filename->path(), shownName);
    EXPECT_TRUE(app.prompts().errors.isEmpty());
}

TEST_F(LookTest, ABadDropReportsAsTheButtonDoesAndSeveralFilesAreRefused)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    const QString good = app.path(QStringLiteral("good.png"));
    ASSERT_TRUE(
        test::composeMapView(GrabMap::random(0, 32, 32, 2), GrabArt::shipped(0, 0)).save(good));
    const QString bad = app.path(QStringLiteral("bad.png"));
    test::writeFile(bad, QByteArrayLiteral("not a picture at all"));

    // The button's report for the bad file.
    app.prompts().files.push_back(bad);
    main.ui.sb_LoadScreenGrab->click();
    ASSERT_EQ(app.prompts().errors.size(), 1);
    const QString buttonError = app.prompts().errors.takeFirst();

    std::unique_ptr<QMimeData> badData(filesData({bad}));
    ASSERT_TRUE(dropOn(main, *badData));
    EXPECT_EQ(app.prompts().errors, QStringList{buttonError});
    EXPECT_FALSE(main.ui.sb_DecodeStart->isEnabled());

    // Two files: nothing is loaded, and the status line says why.
    std::unique_ptr<QMimeData> twoData(filesData({good, bad}));
    ASSERT_TRUE(dropOn(main, *twoData));
    EXPECT_TRUE(main.session().img_filename.isEmpty());
    EXPECT_TRUE(main.statusBar()->currentMessage().contains(QStringLiteral("one screengrab")))
        << main.statusBar()->currentMessage().toStdString();

    // Text that names no file is not taken at all.
    QMimeData text;
    text.setText(good);
    EXPECT_FALSE(dropOn(main, text));
    EXPECT_TRUE(main.session().img_filename.isEmpty());
}

} // namespace
} // namespace vt
