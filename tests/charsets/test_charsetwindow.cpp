// The character sets as the window shows them, and the colour selector's items.
#include "app/Controls.h"
#include "app/MainForm.h"
#include "charsets/ColourSelector.h"
#include "charsets/GameTables.h"
#include "charsets/Lzh.h"
#include "charsets/Resources.h"
#include "pictures/Error.h"

#include "TestSupport.h"
#include "UiSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionComboBox>

#include <gtest/gtest.h>

namespace vt {
namespace {

class CharsetWindowTest : public ::testing::Test
{
protected:
    void SetUp() override { test::SettingsSandbox::clear(); }
    void TearDown() override { overrideResource(QString(), std::nullopt); }

    static int gridTop(const TMainForm& main)
    {
        return main.ui.lb_fullsizechar->geometry().bottom() + 1;
    }

    // The character tiles the side panel holds, wherever they came from.
    static int tilesShown(const TMainForm& main)
    {
        int count = 0;
        for (const PictureControl* control :
             main.ui.charactersArea->findChildren<PictureControl*>())
            count += control->tag() >= 0 ? 1 : 0;
        return count;
    }

    static std::vector<QImage> pictures(const std::vector<PictureControl*>& set)
    {
        std::vector<QImage> result;
        for (const PictureControl* control : set)
            result.push_back(control->picture());
        return result;
    }
};

TEST_F(CharsetWindowTest, TilesFillTheGridFromSlotOneAndAChangeOfGameLeavesNoStaleOnes)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    ASSERT_EQ(main.ui.fullsize_char.size(), 33u);

    main.ui.cb_game->setCurrentIndex(1);
    main.ExtractCharsFromResource(3, true);
    ASSERT_EQ(main.ui.fullsize_char.size(), 35u);
    EXPECT_EQ(main.ui.fullsize_char[34]->geometry(), QRect(0, gridTop(main) + 224, 32, 32));
    EXPECT_EQ(main.ui.fullsize_char[0]->geometry(), QRect(32, gridTop(main), 32, 32));
    for (int i = 0; i < 35; ++i)
        EXPECT_EQ(main.ui.fullsize_char[std::size_t(i)]->tag(), i);
    EXPECT_EQ(tilesShown(main), 35);

    main.ui.cb_game->setCurrentIndex(0);
    main.ExtractCharsFromResource(3, true);
    ASSERT_EQ(main.ui.fullsize_char.size(), 33u);
    EXPECT_EQ(main.ui.fullsize_char[32]->geometry(), QRect(96, gridTop(main) + 192, 32, 32));
    EXPECT_EQ(tilesShown(main), 33);
    EXPECT_EQ(main.ui.fullsize_char[1]->picture().size(), QSize(64, 64));
}

TEST_F(CharsetWindowTest, EachBuildLeavesTheOtherSetAlone)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    main.ExtractCharsFromResource(1, false);
    const auto fullsize = main.ui.fullsize_char;
    const CharacterSet mapsize = main.session().mapsize_char;
    ASSERT_TRUE(mapsize);
    ASSERT_EQ(mapsize->size(), 33u);
    EXPECT_EQ(mapsize->at(3).size(), QSize(16, 15));
    EXPECT_EQ(mapsize->at(3).format(), QImage::Format_Indexed8);

    main.ExtractCharsFromResource(2, true);
    EXPECT_EQ(main.session().mapsize_char, mapsize);
    EXPECT_NE(main.ui.fullsize_char, fullsize);
    const auto rebuilt = main.ui.fullsize_char;
    main.ExtractCharsFromResource(2, false);
    EXPECT_EQ(main.ui.fullsize_char, rebuilt);
}

TEST_F(CharsetWindowTest, ACompressedAtlasGivesTheSameCharacters)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    for (bool fullsize : {true, false}) {
        main.ExtractCharsFromResource(4, fullsize);
        const auto plain =
            fullsize ? pictures(main.ui.fullsize_char) : *main.session().mapsize_char;
        const QString name = atlasName(0, 4, fullsize);
        overrideResource(name, lzhCompress(*readResource(name)));
        main.ExtractCharsFromResource(4, fullsize);
        EXPECT_EQ(fullsize ? pictures(main.ui.fullsize_char) : *main.session().mapsize_char, plain);
        overrideResource(QString(), std::nullopt);
    }
}

// A missing atlas, or a compressed one cut short, is an error naming it; both sets stay.
TEST_F(CharsetWindowTest, ABrokenAtlasRaisesAndLeavesBothSetsAsTheyWere)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    main.ExtractCharsFromResource(0, false);
    const auto fullsize = main.ui.fullsize_char;
    const CharacterSet mapsize = main.session().mapsize_char;

    const QString name = atlasName(0, 5, true);
    const QByteArray compressed = lzhCompress(*readResource(name));
    const std::optional<QByteArray> broken[] = {
        std::nullopt, compressed.left(compressed.size() / 2), QByteArray("BMnot a picture")};
    for (const auto& bytes : broken) {
        overrideResource(name, bytes);
        try {
            main.ExtractCharsFromResource(5, true);
            ADD_FAILURE() << "no error";
        } catch (const Error& error) {
            EXPECT_TRUE(error.message().contains(name)) << error.message().toStdString();
        }
        EXPECT_EQ(main.ui.fullsize_char, fullsize);
        EXPECT_EQ(main.session().mapsize_char, mapsize);
    }
}

// The text is the swatch's inverse where that reads well (yellow on blue), else black or white
// (red on cyan is hard to read: black).
TEST_F(CharsetWindowTest, ColourItemsAreDrawnOnTheirSwatchWithReadableText)
{
    const struct
    {
        int index;
        QRgb swatch, text;
    } cases[] = {{0, qRgb(0, 0, 255), qRgb(255, 255, 0)}, {1, qRgb(0, 255, 255), qRgb(0, 0, 0)}};
    for (const auto& c : cases) {
        QImage item(120, 20, QImage::Format_RGB32);
        item.fill(Qt::white);
        {
            QPainter painter(&item);
            QFont font = painter.font();
            font.setStyleStrategy(QFont::NoAntialias);
            font.setPixelSize(16);
            painter.setFont(font);
            TColourComboBox::ComboBoxDrawItem(&painter, c.index, QStringLiteral("Cyan"),
                                              item.rect());
        }
        EXPECT_EQ(item.pixel(115, 10), c.swatch) << c.index;
        bool text = false;
        for (int y = 0; y < 20 && !text; ++y)
            for (int x = 0; x < 60 && !text; ++x)
                text = item.pixel(x, y) == c.text;
        EXPECT_TRUE(text) << c.index;
    }
}

TEST_F(CharsetWindowTest, TheClosedColourListKeepsItsCaptionClearOfTheArrow)
{
    test::StartedApp app;
    TColourComboBox& list = *app.main().ui.cb_map_colour;
    list.setCurrentIndex(0);
    QStyleOptionComboBox option;
    option.initFrom(&list);
    option.subControls = QStyle::SC_All;
    const QRect arrow =
        list.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, &list);
    ASSERT_TRUE(arrow.isValid());

    // The caption is drawn in the swatch's inverse: for blue, yellow. The longest caption
    // stands in the first item.
    for (const QString& caption :
         {QStringLiteral("Magenta: 100%"), QStringLiteral("Magenta: 0%")}) {
        list.setItemText(0, caption);
        const QImage shown = list.grab().toImage().convertToFormat(QImage::Format_RGB32);
        int rightmost = -1;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                if (qGreen(shown.pixel(x, y)) > 160 && qRed(shown.pixel(x, y)) > 160 &&
                    qBlue(shown.pixel(x, y)) < 96)
                    rightmost = std::max(rightmost, x);
        EXPECT_GE(rightmost, 0) << caption.toStdString();
        EXPECT_LE(rightmost, arrow.left() - 3) << caption.toStdString();
    }
}

} // namespace
} // namespace vt
