// The bulk dialog as the user meets it: keys, the folder picker's texts, and folder lines that
// show their whole height.
#include "app/Controls.h"
#include "app/MainForm.h"
#include "app/UserPrompts.h"
#include "export/BulkConvForm.h"

#include "TestSupport.h"
#include "UiSupport.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>

#include <gtest/gtest.h>

namespace vt {
namespace {

class BulkFormTest : public ::testing::Test
{
protected:
    void SetUp() override { test::SettingsSandbox::clear(); }

    // The bulk dialog on screen and active, without the modal loop of its command.
    static TBulkConvForm& shown(test::StartedApp& app)
    {
        TBulkConvForm& bulk = *app.forms().BulkConvForm;
        bulk.show();
        bulk.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&bulk));
        return bulk;
    }

    // The first and one past the last row of `picture` that holds a pixel unlike its corner.
    static std::pair<int, int> inkRows(const QImage& picture)
    {
        const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
        const QRgb background = rgb.pixel(0, 0);
        int first = -1, last = -1;
        for (int y = 0; y < rgb.height(); ++y)
            for (int x = 0; x < rgb.width(); ++x)
                if (rgb.pixel(x, y) != background) {
                    first = first < 0 ? y : first;
                    last = y;
                    break;
                }
        return {first, last + 1};
    }
};

TEST_F(BulkFormTest, EnterInThePatternBoxPressesNoButton)
{
    test::StartedApp app;
    TBulkConvForm& bulk = shown(app);
    bulk.ed_filename->setFocus();
    bulk.ed_filename->setText(QStringLiteral("%s map"));
    QTest::keyClick(bulk.ed_filename, Qt::Key_Return);
    QTest::keyClick(bulk.ed_filename, Qt::Key_Enter);
    EXPECT_TRUE(app.prompts().folderQuestions.empty());
    EXPECT_TRUE(bulk.isVisible());
    EXPECT_EQ(bulk.result(), 0);
    EXPECT_EQ(bulk.ed_filename->text(), QStringLiteral("%s map"));
    for (QPushButton* button : bulk.findChildren<QPushButton*>())
        EXPECT_FALSE(button->isDefault()) << button->objectName().toStdString();
    bulk.hide();
}

TEST_F(BulkFormTest, TheFolderButtonsAskWithTheirCaptionAndPrompt)
{
    test::StartedApp app;
    TBulkConvForm& bulk = *app.forms().BulkConvForm;
    bulk.Source->setPath(QStringLiteral("/from"));
    bulk.Dest->setPath(QStringLiteral("/to"));
    bulk.sb_source->click();
    bulk.sb_dest->click();
    const auto& asked = app.prompts().folderQuestions;
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].caption, QStringLiteral("Source Folder"));
    EXPECT_EQ(asked[0].prompt, QStringLiteral("Select the source folder"));
    EXPECT_EQ(asked[0].start, QStringLiteral("/from"));
    EXPECT_EQ(asked[1].caption, QStringLiteral("Destination Folder"));
    EXPECT_EQ(asked[1].prompt, QStringLiteral("Select the destination folder"));
    EXPECT_EQ(asked[1].start, QStringLiteral("/to"));
}

TEST_F(BulkFormTest, TheFolderPickerShowsItsPromptReadablyAndHandsBackTheFolder)
{
    test::StartedApp app;
    TBulkConvForm& bulk = shown(app);
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkdir(QStringLiteral("grabs")));
    const QString grabs = QDir(root.path()).filePath(QStringLiteral("grabs"));

    QString title, prompt;
    double contrast = 0;
    test::onNextModal([&](QWidget* dialog) {
        title = dialog->windowTitle();
        if (auto* line = dialog->findChild<QLabel*>(QStringLiteral("prompt"));
            line && line->isVisible()) {
            prompt = line->text();
            contrast = test::textContrast(line->grab().toImage());
        }
        auto* folders = dialog->findChild<QFileDialog*>();
        if (!folders) {
            dialog->close();
            return;
        }
        folders->setDirectory(grabs);
        QMetaObject::invokeMethod(folders, "accept");
    });
    DialogPrompts real;
    const QString chosen = real.pickFolder(&bulk, QStringLiteral("Source Folder"),
                                           QStringLiteral("Select the source folder"), root.path());
    EXPECT_EQ(title, QStringLiteral("Source Folder"));
    EXPECT_EQ(prompt, QStringLiteral("Select the source folder"));
    EXPECT_GE(contrast, 4.5);
    EXPECT_EQ(QDir::cleanPath(chosen), QDir::cleanPath(grabs));
    bulk.hide();
}

TEST_F(BulkFormTest, FolderLinesShowDescendersWhole)
{
    // A font as tall as the desktop's usual one, larger than the lines were first laid for.
    const QFont before = QApplication::font();
    QFont large = before;
    large.setPixelSize(16);
    QApplication::setFont(large);
    const auto restore = qScopeGuard([&before] { QApplication::setFont(before); });

    test::StartedApp app;
    TBulkConvForm& bulk = shown(app);
    const QString text = QStringLiteral("gjpqy");
    for (PathLabel* line : {bulk.Source, bulk.Dest}) {
        line->setPath(text);
        const std::pair<int, int> shown = inkRows(line->grab().toImage());

        // The same text drawn with room to spare.
        QImage room(line->width(), 4 * line->fontMetrics().height(), QImage::Format_RGB32);
        room.fill(Qt::black);
        {
            QPainter painter(&room);
            painter.setFont(line->font());
            painter.setPen(Qt::cyan);
            painter.drawText(room.rect(), Qt::AlignLeft | Qt::AlignVCenter, text);
        }
        const std::pair<int, int> whole = inkRows(room);
        EXPECT_EQ(shown.second - shown.first, whole.second - whole.first)
            << line->objectName().toStdString();
    }
    bulk.hide();
}

} // namespace
} // namespace vt
