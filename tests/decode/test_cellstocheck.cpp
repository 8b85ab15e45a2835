// The cells to check in the window: framed over the page shown (never in the saved map),
// counted in the status line, visited with F3 / Shift+F3 in reading order and corrected with
// Enter.
#include "app/Controls.h"
#include "app/MainForm.h"
#include "charsets/Atlas.h"
#include "decode/CheckOverlay.h"
#include "decode/MapDecoder.h"
#include "pictures/BmpByteImage.h"
#include "pictures/PictureArea.h"
#include "settings/RegUtils.h"

#include "GrabComposer.h"
#include "LiteralCompare.h"
#include "TestSupport.h"
#include "UiSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace vt {

namespace {

using test::GrabArt;
using test::GrabMap;

// A map view with three cells of noise, which match nothing, and four cells drawn half as one
// character and half as the character most like it, which match one by a hair.
QImage nearTieGrab()
{
    GrabMap map = GrabMap::random(0, 32, 32, 21);
    map.set(4, 2, -1);
    map.set(20, 9, -1);
    map.set(7, 30, -1);
    QImage grab = test::composeMapView(map, GrabArt::shipped(0, 0));

    const std::vector<QImage> characters = loadCharacters(0, 0, false);
    std::vector<QByteArray> candidates;
    for (const QImage& c : characters)
        candidates.push_back(bmpByteImage(c));
    std::size_t a = 0, b = 1;
    int closest = -1;
    for (std::size_t i = 0; i < candidates.size(); ++i)
        for (std::size_t j = i + 1; j < candidates.size(); ++j) {
            int ignored = 0;
            const int cross =
                test::literal::compareBitmaps({candidates[i]}, candidates[j], ignored, 16, 15);
            if (cross > closest) {
                closest = cross;
                a = i;
                b = j;
            }
        }
    const QImage first = characters[a].convertToFormat(QImage::Format_RGB32);
    const QImage second = characters[b].convertToFormat(QImage::Format_RGB32);
    QImage mixed = first;
    int differing = 0;
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 16; ++x)
            if (first.pixel(x, y) != second.pixel(x, y) && differing++ % 2 == 0)
                mixed.setPixel(x, y, second.pixel(x, y));
    QPainter painter(&grab);
    for (const QPoint cell : {QPoint(10, 0), QPoint(3, 5), QPoint(31, 12), QPoint(0, 31)})
        painter.drawImage(16 * cell.x(), 15 * cell.y(), mixed);
    return grab;
}

// The cells to check as the comparison written out literally finds them in the grab the session
// decoded: every candidate scored on its own, the first best wins, and a near-tie is a best
// below 100 with another candidate within 2 points.
std::vector<CellToCheck> expectedCells(const GrabSession& session)
{
    std::vector<QByteArray> candidates;
    for (const QImage& c : loadCharacters(session.game, session.colour, false))
        candidates.push_back(bmpByteImage(c));
    std::vector<CellToCheck> cells;
    for (int y = 0; y < session.grid.grab_height; ++y)
        for (int x = 0; x < session.grid.grab_width; ++x) {
            const QByteArray cell =
                ExtractPictureArea(session.working, cellRect(session.grid, x, y));
            std::vector<int> scores;
            for (const QByteArray& candidate : candidates) {
                int ignored = 0;
                scores.push_back(test::literal::compareBitmaps({candidate}, cell, ignored, 16, 15));
            }
            const auto best = std::max_element(scores.begin(), scores.end());
            const int score = *best;
            int runnerUp = -1;
            for (auto it = scores.begin(); it != scores.end(); ++it)
                if (it != best)
                    runnerUp = std::max(runnerUp, *it);
            if (score < session.prefs.thresholds.prob_match)
                cells.push_back({x, y, CheckReason::Unmatched});
            else if (score < 100 && runnerUp >= score - 2)
                cells.push_back({x, y, CheckReason::NearTie});
        }
    return cells;
}

// Every character of the session's set scored literally against cell (x, y) of its working
// picture, best first (the lower index among equals), the best three.
std::vector<CellCandidate> literalBestThree(const GrabSession& session, int x, int y)
{
    const QByteArray cell = ExtractPictureArea(session.working, cellRect(session.grid, x, y));
    std::vector<CellCandidate> ranked;
    int k = 0;
    for (const QImage& c : loadCharacters(session.game, session.colour, false)) {
        int ignored = 0;
        ranked.push_back(
            {k++, test::literal::compareBitmaps({bmpByteImage(c)}, cell, ignored, 16, 15)});
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.score > b.score; });
    ranked.resize(3);
    return ranked;
}

class CellsToCheckWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        test::SettingsSandbox::clear();
        m_app = std::make_unique<test::StartedApp>();
        m_app->loadAndDecode(nearTieGrab());
        const GrabSession& session = main().session();
        ASSERT_EQ(session.grid.originx, 0u);
        ASSERT_EQ(session.grid.grab_width, 32);
        m_expected = expectedCells(session);
        // The fixture must hold both kinds, and cells that are not to check.
        const auto unmatched =
            std::count_if(m_expected.begin(), m_expected.end(),
                          [](const CellToCheck& c) { return c.reason == CheckReason::Unmatched; });
        ASSERT_GE(unmatched, 3);
        for (const QPoint mixed : {QPoint(10, 0), QPoint(3, 5), QPoint(31, 12), QPoint(0, 31)})
            ASSERT_NE(std::find(m_expected.begin(), m_expected.end(),
                                CellToCheck{mixed.x(), mixed.y(), CheckReason::NearTie}),
                      m_expected.end())
                << mixed.x() << "," << mixed.y();
        ASSERT_LT(m_expected.size(), 100u);
    }

    TMainForm& main() { return m_app->main(); }
    QString status() { return main().statusBar()->currentMessage(); }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(&main(), key, modifiers);
    }
    CellToCheck walked() const
    {
        const CellToCheck& at = m_app->main()
                                    .session()
                                    .check.at(m_app->main().checkX, m_app->main().checkY)
                                    .value_or(CellToCheck{-1, -1, CheckReason::Unmatched});
        return at;
    }
    // The pixel in the middle of the top edge of each cell as the page shows it, overlay and all.
    static QRgb topEdge(const QImage& shown, const QRect& cell)
    {
        return shown.pixel(cell.center().x(), cell.top());
    }

    std::unique_ptr<test::StartedApp> m_app;
    std::vector<CellToCheck> m_expected;
};

TEST_F(CellsToCheckWindow, TheOptionFramesExactlyTheCellsToCheckOnBothPagesButNotInTheSavedMap)
{
    TMainForm& main = this->main();
    const QImage decoded = main.session().mapPicture;
    // Off by default: nothing framed, nothing counted.
    EXPECT_FALSE(main.ui.cb_ShowCellsToCheck->isChecked());
    EXPECT_EQ(OpenReg()->value(reg::ShowCellsToCheck).toInt(), 0);
    EXPECT_TRUE(main.ui.mapChecks->frames().empty());
    EXPECT_FALSE(status().contains(QStringLiteral("to check")));

    key(Qt::Key_K, Qt::ControlModifier);
    ASSERT_TRUE(main.ui.cb_ShowCellsToCheck->isChecked());
    EXPECT_EQ(OpenReg()->value(reg::ShowCellsToCheck).toInt(), 1);
    EXPECT_EQ(main.session().check.cells(), m_expected);
    const int nearTies =
        int(std::count_if(m_expected.begin(), m_expected.end(),
                          [](const CellToCheck& c) { return c.reason == CheckReason::NearTie; }));
    EXPECT_TRUE(status().startsWith(QStringLiteral("%1 cells to check (%2 not recognised, %3 near "
                                                   "ties)")
                                        .arg(m_expected.size())
                                        .arg(int(m_expected.size()) - nearTies)
                                        .arg(nearTies)))
        << status().toStdString();

    // Each page shows a frame in its reason's colour on exactly the listed cells.
    for (CheckOverlay* overlay : {main.ui.mapChecks, main.ui.grabChecks}) {
        const bool map = overlay == main.ui.mapChecks;
        SCOPED_TRACE(map ? "converted map" : "grab");
        auto* picture = static_cast<PictureControl*>(overlay->parentWidget());
        const QImage shown = picture->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage plain = picture->picture().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(shown.size(), plain.size());
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const QRect cell = overlay->shownCell(x, y);
                const auto listed = main.session().check.at(x, y);
                const QRgb edge = topEdge(shown, cell);
                if (listed)
                    ASSERT_EQ(edge, checkColour(listed->reason).rgb()) << x << "," << y;
                else
                    ASSERT_EQ(edge, plain.pixel(cell.center().x(), cell.top())) << x << "," << y;
            }
    }

    // The picture saved and copied is the map as decoded.
    EXPECT_EQ(main.ui.img_Map->picture(), decoded);
    const QString saved = m_app->path(QStringLiteral("map.png"));
    m_app->prompts().files.push_back(saved);
    main.ui.sb_SaveMap->click();
    EXPECT_EQ(QImage(saved).convertToFormat(QImage::Format_RGB32), decoded);
    main.ui.SaveClipboard->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), decoded);

    // Off again: the frames go, and the choice is stored for the next start.
    key(Qt::Key_K, Qt::ControlModifier);
    EXPECT_TRUE(main.ui.mapChecks->frames().empty());
    EXPECT_EQ(OpenReg()->value(reg::ShowCellsToCheck).toInt(), 0);
    SetRegInteger(reg::ShowCellsToCheck, 1);
    test::StartedApp again;
    EXPECT_TRUE(again.main().ui.cb_ShowCellsToCheck->isChecked());
}

TEST_F(CellsToCheckWindow, F3AndShiftF3VisitTheCellsInReadingOrderAndScrollToThem)
{
    TMainForm& main = this->main();
    ASSERT_EQ(main.ui.MainArea->currentIndex(), 1);
    // The walk needs no frames; at zoom 1 the map is larger than the view, so it scrolls.
    std::vector<CellToCheck> visited;
    for (std::size_t i = 0; i <= m_expected.size(); ++i) {
        key(Qt::Key_F3);
        visited.push_back(walked());
        const QRect cell = main.ui.mapChecks->shownCell(main.checkX, main.checkY);
        const QRect view(main.ui.sb_Map->horizontalScrollBar()->value(),
                         main.ui.sb_Map->verticalScrollBar()->value(),
                         main.ui.sb_Map->viewport()->width(), main.ui.sb_Map->viewport()->height());
        ASSERT_TRUE(view.contains(cell)) << main.checkX << "," << main.checkY;
        ASSERT_EQ(main.ui.mapChecks->currentFrame(), cell);
    }
    std::vector<CellToCheck> expected = m_expected;
    expected.push_back(m_expected.front()); // round again from the last
    EXPECT_EQ(visited, expected);
    key(Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(walked(), m_expected.back());
    key(Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(walked(), m_expected[m_expected.size() - 2]);

    // On the grab, zoomed in so that it scrolls: the cell box and the preview of the cell, as if
    // the pointer were on it.
    main.ScreenGrabTabExecute();
    main.ZoomInExecute();
    for (int i = 0; i < 3; ++i) {
        key(Qt::Key_F3);
        const CellToCheck at = walked();
        const QRect cell = main.ui.grabChecks->shownCell(at.column, at.row);
        EXPECT_TRUE(main.ui.charcursor->isVisible());
        EXPECT_EQ(main.ui.charcursor->geometry(), cell);
        EXPECT_EQ(main.ui.charstorage->picture(),
                  enlargedCell(main.session().fullcolourimage,
                               cellRect(main.session().grid, at.column, at.row), 32));
        const QRect view(main.ui.sb_ScreenGrab->horizontalScrollBar()->value(),
                         main.ui.sb_ScreenGrab->verticalScrollBar()->value(),
                         main.ui.sb_ScreenGrab->viewport()->width(),
                         main.ui.sb_ScreenGrab->viewport()->height());
        EXPECT_TRUE(view.contains(cell)) << at.column << "," << at.row;
    }
    EXPECT_EQ(walked(), m_expected[1]); // from the last but one: the last, the first, the second
}

TEST_F(CellsToCheckWindow, EnterPutsTheChosenTileIntoTheCellWalkedToAndItsFrameGoes)
{
    TMainForm& main = this->main();
    key(Qt::Key_K, Qt::ControlModifier);
    // Before any walk, Enter does nothing.
    const std::vector<std::vector<qint32>> before = main.session().decoded.map;
    key(Qt::Key_Return);
    EXPECT_EQ(main.session().decoded.map, before);

    key(Qt::Key_F3);
    key(Qt::Key_F3);
    const CellToCheck second = m_expected[1];
    ASSERT_EQ(walked(), second);
    QTest::mouseClick(main.ui.fullsize_char[5], Qt::LeftButton);
    key(Qt::Key_Return);
    EXPECT_EQ(main.session().decoded.map[std::size_t(second.column)][std::size_t(second.row)], 5);
    EXPECT_EQ(main.ui.img_Map->picture().copy(64 * second.column, 64 * second.row, 64, 64),
              main.ui.fullsize_char[5]->picture().convertToFormat(QImage::Format_RGB32));
    EXPECT_FALSE(main.session().check.at(second.column, second.row));
    EXPECT_EQ(main.ui.mapChecks->frames().size(), m_expected.size() - 1);
    EXPECT_TRUE(status().contains(QStringLiteral("%1 cells to check").arg(m_expected.size() - 1)))
        << status().toStdString();

    // The walk goes on from the corrected cell; a Ctrl-click on the map takes a cell off too.
    key(Qt::Key_F3);
    EXPECT_EQ(walked(), m_expected[2]);
    const CellToCheck first = m_expected[0];
    QTest::mouseClick(main.ui.img_Map, Qt::LeftButton, Qt::ControlModifier,
                      QPoint(64 * first.column + 10, 64 * first.row + 10));
    EXPECT_FALSE(main.session().check.at(first.column, first.row));
    EXPECT_TRUE(
        status().startsWith(QStringLiteral("%1 cells to check").arg(m_expected.size() - 2)));

    // Taking a correction back puts its cell back on the list, in its place.
    main.ui.Undo->trigger();
    EXPECT_EQ(main.session().check.at(first.column, first.row), first);
    main.ui.Redo->trigger();
    EXPECT_FALSE(main.session().check.at(first.column, first.row));

    // A new pass (the corrections thrown away, as asked) lists them all again.
    m_app->prompts().discards.push_back(true);
    main.ui.sb_DecodeStart->click();
    EXPECT_EQ(main.session().check.cells(), m_expected);
    EXPECT_EQ(main.checkX, -1);
}

// The cell inspected, under the pointer or gone to with F3, shows the three characters most
// like it with their scores; keys 1, 2, 3 put one in as a correction that Ctrl+Z takes back.
TEST_F(CellsToCheckWindow, TheBestThreeOfTheCellInspectedShowAndKeysOneToThreePutThemIn)
{
    TMainForm& main = this->main();
    const auto shown = [&main] {
        std::vector<std::pair<QImage, QString>> panel;
        for (std::size_t rank = 0; rank < 3; ++rank)
            panel.emplace_back(main.ui.img_Suggest[rank]->picture(),
                               main.ui.lb_Suggest[rank]->text());
        return panel;
    };
    const auto expectedPanel = [&main](const std::vector<CellCandidate>& best) {
        std::vector<std::pair<QImage, QString>> panel;
        for (std::size_t rank = 0; rank < best.size(); ++rank)
            panel.emplace_back(main.ui.fullsize_char[std::size_t(best[rank].index)]->picture(),
                               QStringLiteral("%1:\n%2%").arg(rank + 1).arg(best[rank].score));
        return panel;
    };
    ASSERT_TRUE(main.ui.SuggestPanel->isVisible());
    EXPECT_TRUE(main.ui.img_Suggest[0]->picture().isNull()); // no cell inspected yet

    // A near tie gone to with F3: its runner-up is a close second.
    const CellToCheck tie = *std::find_if(m_expected.begin(), m_expected.end(),
                                          [](auto& c) { return c.reason == CheckReason::NearTie; });
    while (walked() != tie)
        key(Qt::Key_F3);
    const std::vector<CellCandidate> best = literalBestThree(main.session(), tie.column, tie.row);
    EXPECT_EQ(best[0].index,
              main.session().decoded.map[std::size_t(tie.column)][std::size_t(tie.row)]);
    EXPECT_GE(best[1].score, best[0].score - 2);
    EXPECT_EQ(shown(), expectedPanel(best));
    const QString named = QStringLiteral("column %1, row %2").arg(tie.column + 1).arg(tie.row + 1);
    EXPECT_TRUE(main.ui.charstorage->toolTip().endsWith(named));
    EXPECT_TRUE(main.ui.img_Suggest[0]->toolTip().endsWith(named));

    // Key 2: the runner-up goes in, told by column and row from 1, and can be undone.
    key(Qt::Key_2);
    const auto entry = [&main](const CellToCheck& c) {
        return main.session().decoded.map[std::size_t(c.column)][std::size_t(c.row)];
    };
    EXPECT_EQ(entry(tie), best[1].index);
    EXPECT_EQ(main.ui.img_Map->picture().copy(64 * tie.column, 64 * tie.row, 64, 64),
              main.ui.fullsize_char[std::size_t(best[1].index)]->picture().convertToFormat(
                  QImage::Format_RGB32));
    EXPECT_TRUE(
        status().contains(QStringLiteral("column %1, row %2").arg(tie.column + 1).arg(tie.row + 1)))
        << status().toStdString();
    EXPECT_FALSE(main.session().check.at(tie.column, tie.row));
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(entry(tie), best[0].index);

    // The pointer on another cell of the grab: that cell's three, scored on demand.
    main.ScreenGrabTabExecute();
    const CellToCheck noise = *std::find_if(m_expected.begin(), m_expected.end(), [](auto& c) {
        return c.reason == CheckReason::Unmatched;
    });
    QTest::mouseMove(main.ui.img_ScreenGrab, QPoint(16 * noise.column + 8, 15 * noise.row + 7));
    const std::vector<CellCandidate> noiseBest =
        literalBestThree(main.session(), noise.column, noise.row);
    EXPECT_EQ(shown(), expectedPanel(noiseBest));
    key(Qt::Key_3);
    EXPECT_EQ(entry(noise), noiseBest[2].index);
    key(Qt::Key_1);
    EXPECT_EQ(entry(noise), noiseBest[0].index);

    // Off the grab, nothing is inspected: the panel empties and the keys do nothing.
    QTest::mouseMove(main.ui.sb_Characters, QPoint(5, 5));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(main.ui.img_ScreenGrab, &leave);
    EXPECT_TRUE(main.ui.img_Suggest[0]->picture().isNull());
    EXPECT_TRUE(main.ui.lb_Suggest[0]->text().isEmpty());
    const auto before = main.session().decoded.map;
    key(Qt::Key_2);
    EXPECT_EQ(main.session().decoded.map, before);
}

// F3, a tile chosen with the arrow keys in the side panel, Enter: no pointer needed.
TEST_F(CellsToCheckWindow, ATileChosenWithTheArrowKeysGoesInWithEnter)
{
    TMainForm& main = this->main();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    key(Qt::Key_F3);
    const CellToCheck first = walked();
    ASSERT_EQ(first, m_expected.front());
    for (int i = 0; i < 20 && !main.ui.sb_Characters->hasFocus(); ++i)
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget()
                                                    : static_cast<QWidget*>(&main),
                        Qt::Key_Tab);
    ASSERT_TRUE(main.ui.sb_Characters->hasFocus());

    // From the copy-from-grab tile (slot 0, five slots a row): left stays, right twice and down
    // once is slot 7, character 6; the frame follows.
    const auto press = [](Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k); };
    for (const Qt::Key k : {Qt::Key_Left, Qt::Key_Up, Qt::Key_Right, Qt::Key_Right, Qt::Key_Down})
        press(k);
    EXPECT_EQ(main.selectedchar, 6);
    EXPECT_EQ(main.ui.charselect->geometry(), main.ui.fullsize_char[6]->geometry());
    press(Qt::Key_Return);
    EXPECT_EQ(main.session().decoded.map[std::size_t(first.column)][std::size_t(first.row)], 6);
    EXPECT_TRUE(status().startsWith(
        QStringLiteral("Column %1, row %2 replaced").arg(first.column + 1).arg(first.row + 1)))
        << status().toStdString();

    // To the last tile and back to the grab's own pixels: the panel scrolls to show the frame.
    for (int i = 0; i < 40; ++i)
        press(Qt::Key_Down);
    press(Qt::Key_Right);
    const int last = int(main.ui.fullsize_char.size()) - 1;
    EXPECT_GE(main.selectedchar, last - 5);
    EXPECT_TRUE(main.ui.charselect->visibleRegion().boundingRect().size() ==
                main.ui.charselect->size());
    for (int i = 0; i < 40; ++i)
        press(Qt::Key_Up);
    for (int i = 0; i < 5; ++i)
        press(Qt::Key_Left);
    EXPECT_EQ(main.selectedchar, -1);
    EXPECT_EQ(main.ui.charselect->geometry(), main.ui.charstorage->geometry());
}

} // namespace
} // namespace vt
