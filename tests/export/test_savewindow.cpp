// The save commands and the clipboard copy as the window runs them.
#include "app/Controls.h"
#include "app/MainForm.h"
#include "export/BulkConvForm.h"
#include "settings/OptionsForm.h"

#include "GrabComposer.h"
#include "TestSupport.h"
#include "UiSupport.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QImageReader>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <tuple>

namespace vt {
namespace {

using test::GrabArt;
using test::GrabMap;

class SaveWindowTest : public ::testing::Test
{
protected:
    void SetUp() override { test::SettingsSandbox::clear(); }

    static QImage grab(int game = 0, int columns = 32, quint64 seed = 8)
    {
        return test::composeMapView(GrabMap::random(game, columns, columns, seed),
                                    GrabArt::shipped(game, 2));
    }

    static QStringList filesIn(const QString& folder)
    {
        return QDir(folder).entryList(QDir::Files, QDir::Name);
    }
};

TEST_F(SaveWindowTest, SaveMapProposesTheDecodeNameAndWritesTheFormatOfTheExtension)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    app.loadAndDecode(grab(), QStringLiteral("level1.png"));
    QDir(app.path(QString())).mkdir(QStringLiteral("out"));
    const QString out = app.path(QStringLiteral("out"));

    app.prompts().files.push_back(out + QStringLiteral("/level1 Decode.gif"));
    main.ui.sb_SaveMap->click();
    ASSERT_EQ(app.prompts().saveDialogs.size(), 1u);
    EXPECT_EQ(app.prompts().saveDialogs[0].fileName, QStringLiteral("level1 Decode.png"));
    EXPECT_EQ(app.prompts().saveDialogs[0].title, QStringLiteral("Save Decoded Map"));
    EXPECT_EQ(filesIn(out), QStringList{QStringLiteral("level1 Decode.gif")});
    EXPECT_EQ(
        QImage(out + QStringLiteral("/level1 Decode.gif")).convertToFormat(QImage::Format_RGB32),
        main.ui.img_Map->picture().convertToFormat(QImage::Format_RGB32));

    // The extension decides whatever its case, ".jpg" is JPEG, and the file keeps the name
    // as given.
    const struct
    {
        const char* name;
        const char* format; // as Qt's reader tells it
    } spelled[] = {{"a.PNG", "png"}, {"b.Bmp", "bmp"}, {"c.jpg", "jpeg"}, {"d.JPG", "jpeg"}};
    QStringList expected = filesIn(out);
    for (const auto& s : spelled) {
        app.prompts().files.push_back(out + QLatin1Char('/') + QLatin1String(s.name));
        main.ui.sb_SaveMap->click();
        expected.append(QLatin1String(s.name));
        EXPECT_EQ(QImageReader(out + QLatin1Char('/') + QLatin1String(s.name)).format(),
                  QByteArray(s.format))
            << s.name;
    }
    expected.sort();
    EXPECT_EQ(filesIn(out), expected);
    EXPECT_TRUE(app.prompts().errors.isEmpty());

    // Any other name is refused with a message that names the extensions.
    for (const char* name : {"/a.txt", "/a"}) {
        app.prompts().files.push_back(out + QLatin1String(name));
        main.ui.sb_SaveMap->click();
    }
    EXPECT_EQ(filesIn(out), expected);
    ASSERT_EQ(app.prompts().errors.size(), 2);
    for (const QString& error : app.prompts().errors)
        for (const char* extension : {".bmp", ".png", ".gif", ".jpeg", ".jpg", ".csv", ".tmx"})
            EXPECT_TRUE(error.contains(QLatin1String(extension))) << error.toStdString();
    app.prompts().errors.clear();

    app.prompts().files.push_back(out + QStringLiteral("/map.csv"));
    main.ui.sb_SaveMap->click();
    EXPECT_TRUE(filesIn(out).contains(QStringLiteral("map.csv")));
    EXPECT_EQ(filesIn(out).size(), expected.size() + 1);
}

// The proposal keeps the grab's spelling, saves as proposed, and the dialog's file-type row
// follows it.
TEST_F(SaveWindowTest, TheProposalSavesAndItsFileTypeRowIsChosen)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    const int jpegRow = 3, pngRow = 2, gifRow = 1;
    for (const auto& [grabName, proposed, row] :
         {std::tuple{"shot.JPG", "shot Decode.JPG", jpegRow},
          std::tuple{"level.Png", "level Decode.Png", pngRow},
          std::tuple{"level.gif", "level Decode.gif", gifRow}}) {
        // A PNG picture under each name: the grab is known by its signature, not its name.
        const QString grabFile = app.path(QLatin1String(grabName));
        ASSERT_TRUE(grab().save(grabFile, "PNG"));
        app.prompts().files.push_back(grabFile);
        main.ui.sb_LoadScreenGrab->click();
        main.ui.sb_DecodeStart->click();
        main.ui.sb_SaveMap->click();
        const SaveDialogState& shown = app.prompts().saveDialogs.back();
        EXPECT_EQ(shown.fileName, QLatin1String(proposed));
        EXPECT_EQ(shown.filterIndex, row) << grabName;

        // Accepting the proposal where the dialog opened writes it.
        app.prompts().files.push_back(shown.folder + QLatin1Char('/') + shown.fileName);
        main.ui.sb_SaveMap->click();
        EXPECT_TRUE(QFile::exists(app.path(QLatin1String(proposed)))) << proposed;
        EXPECT_TRUE(main.statusBar()->currentMessage().startsWith(QStringLiteral("Saved ")));
    }
}

// The save dialogs open beside the grab until a save chooses a folder; then there, for both
// dialogs. The open dialog opens where the last grab came from. A new run starts from both.
TEST_F(SaveWindowTest, TheDialogsOpenWhereTheLastGrabAndTheLastSaveWere)
{
    QTemporaryDir folders;
    QDir(folders.path()).mkdir(QStringLiteral("grabs"));
    QDir(folders.path()).mkdir(QStringLiteral("maps"));
    const QString grabs = folders.filePath(QStringLiteral("grabs"));
    const QString maps = folders.filePath(QStringLiteral("maps"));
    {
        test::StartedApp app;
        TMainForm& main = app.main();
        app.loadAndDecode(grab(), QStringLiteral("first.png"));
        EXPECT_EQ(app.prompts().openFolders, QStringList{QString()}); // nothing known yet

        const QString inGrabs = grabs + QStringLiteral("/level.png");
        ASSERT_TRUE(grab().save(inGrabs));
        app.prompts().files.push_back(inGrabs);
        main.ui.sb_LoadScreenGrab->click();
        main.ui.sb_DecodeStart->click();
        main.ui.sb_LoadScreenGrab->click(); // cancelled
        ASSERT_EQ(app.prompts().openFolders.size(), 3);
        EXPECT_EQ(app.prompts().openFolders[1],
                  QFileInfo(app.path(QStringLiteral("first.png"))).absolutePath());
        EXPECT_EQ(app.prompts().openFolders[2], grabs);

        main.ui.sb_SaveMap->click(); // cancelled
        ASSERT_EQ(app.prompts().saveDialogs.size(), 1u);
        EXPECT_EQ(app.prompts().saveDialogs[0].folder, grabs);
        app.prompts().files.push_back(maps + QStringLiteral("/level.png"));
        main.ui.sb_SaveMap->click();
        ASSERT_TRUE(QFile::exists(maps + QStringLiteral("/level.png")));
        main.ui.sb_SaveMap->click();
        EXPECT_EQ(app.prompts().saveDialogs.back().folder, maps);
        main.sb_SaveScreenGrabClick(); // the other save dialog opens there too

        EXPECT_EQ(app.prompts().saveDialogs.back().title, QStringLiteral("Save Screengrab"));
        EXPECT_EQ(app.prompts().saveDialogs.back().folder, maps);
    }
    test::StartedApp next;
    next.main().ui.sb_LoadScreenGrab->click();
    next.main().sb_SaveScreenGrabClick();
    EXPECT_EQ(next.prompts().openFolders, QStringList{grabs});
    ASSERT_EQ(next.prompts().saveDialogs.size(), 1u);
    EXPECT_EQ(next.prompts().saveDialogs[0].folder, maps);
}

TEST_F(SaveWindowTest, RefusingTheOverwriteWritesNothing)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    app.loadAndDecode(grab());
    const QString target = app.path(QStringLiteral("map.bmp"));
    {
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("old");
    }
    app.prompts().files.push_back(target);
    app.prompts().answers.push_back(false);
    main.ui.sb_SaveMap->click();
    ASSERT_EQ(app.prompts().questions.size(), 1);
    EXPECT_EQ(
        app.prompts().questions[0],
        QStringLiteral("\"%1\" already exists. Overwrite?").arg(QDir::toNativeSeparators(target)));
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("old"));
}

TEST_F(SaveWindowTest, AFailedWriteIsReportedByName)
{
    test::StartedApp app;
    app.loadAndDecode(grab());
    app.prompts().files.push_back(app.path(QStringLiteral("missing/folder/map.png")));
    app.main().ui.sb_SaveMap->click();
    ASSERT_EQ(app.prompts().errors.size(), 1);
    EXPECT_TRUE(app.prompts().errors[0].contains(QStringLiteral("map.png")));
    EXPECT_FALSE(app.main().ui.ProgressBar1->isVisible());
}

TEST_F(SaveWindowTest, SaveScreengrabWritesThe8BitGrabOfAClipboardGrab)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    // Off the palette: the working picture written differs from the full-colour copy.
    QGuiApplication::clipboard()->setImage(test::offPalette(grab(1, 16)));
    main.ui.LoadFromClipboard->trigger();
    ASSERT_TRUE(main.ui.sb_SaveScreenGrab->isEnabled());

    // Without a decoded map a table cannot be written from this dialog: nothing is.
    app.prompts().files.push_back(app.path(QStringLiteral("grab.csv")));
    main.ui.sb_SaveScreenGrab->click();
    EXPECT_FALSE(QFile::exists(app.path(QStringLiteral("grab.csv"))));
    EXPECT_TRUE(main.statusBar()->currentMessage().contains(QStringLiteral("no decoded map")));

    main.ui.sb_DecodeStart->click();
    app.prompts().files.push_back(app.path(QStringLiteral("grab.png")));
    main.ui.sb_SaveScreenGrab->click();
    ASSERT_EQ(app.prompts().saveDialogs.back().title, QStringLiteral("Save Screengrab"));
    EXPECT_EQ(app.prompts().saveDialogs.back().filters.size(), 4);
    const QImage saved(app.path(QStringLiteral("grab.png")));
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32),
              main.session().working.convertToFormat(QImage::Format_RGB32));
    EXPECT_NE(saved.convertToFormat(QImage::Format_RGB32),
              main.session().fullcolourimage.convertToFormat(QImage::Format_RGB32));
    EXPECT_NE(saved.size(), main.ui.img_Map->picture().size());
}

// The save dialogs' rows and the bulk dialog's boxes are made from the output table: they must
// still read and stand as they always have.
TEST_F(SaveWindowTest, TheDialogsOfferTheOutputsUnderTheirOwnNames)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    const QStringList pictureRows{
        QStringLiteral("Windows Bitmap (*.bmp)"), QStringLiteral("GIF Image File (*.gif)"),
        QStringLiteral("PNG Image File (*.png)"), QStringLiteral("JPEG Image File (*.jpeg)")};
    EXPECT_EQ(main.SaveScreenGrabDialog.filters, pictureRows);
    EXPECT_EQ(main.SaveDialog1.filters,
              (pictureRows + QStringList{QStringLiteral("Comma Separated Value file (*.csv)"),
                                         QStringLiteral("Tiled Map (*.tmx)")}));

    const struct
    {
        const char* name;
        const char* caption;
        QRect geometry;
        bool ticked; // by the default "Flags"
    } boxes[] = {
        {"cb_SaveBMP", "Save As BMP", {3, 24, 102, 17}, true},
        {"cb_SaveGIF", "Save As GIF", {3, 40, 102, 17}, false},
        {"cb_SavePNG", "Save As PNG", {3, 56, 102, 17}, false},
        {"cb_SaveJPG", "Save As JPEG", {131, 24, 110, 17}, false},
        {"cb_SaveCSV", "Save As CSV", {131, 40, 110, 17}, true},
    };
    TBulkConvForm* bulk = app.forms().BulkConvForm;
    const QList<QCheckBox*> shown = bulk->GroupBox1->findChildren<QCheckBox*>();
    ASSERT_EQ(shown.size(), 5);
    for (int i = 0; i < 5; ++i) {
        const auto& b = boxes[i];
        EXPECT_EQ(shown[i]->objectName(), QLatin1String(b.name)); // also the tab order
        EXPECT_EQ(shown[i]->text(), QLatin1String(b.caption)) << b.name;
        EXPECT_EQ(shown[i]->geometry(), b.geometry) << b.name;
        EXPECT_EQ(shown[i]->isChecked(), b.ticked) << b.name;
    }
    EXPECT_EQ(bulk->cb_SaveJPG, shown[3]);
    EXPECT_EQ(bulk->checkedFormats(), (SaveChoices{OutputFormat::Bmp, OutputFormat::Csv}));

    // A Tiled JSON map has no row, so its name writes nothing; the message names the
    // extensions that do.
    app.loadAndDecode(grab());
    app.prompts().files.push_back(app.path(QStringLiteral("map.json")));
    main.ui.sb_SaveMap->click();
    EXPECT_FALSE(QFile::exists(app.path(QStringLiteral("map.json"))));
    EXPECT_EQ(app.prompts().errors,
              QStringList{QStringLiteral(
                  "Nothing saved: \"map.json\" names no format. A name must end in .bmp, .png, "
                  ".gif, .jpeg, .jpg, .csv or .tmx (in any case).")});
}

TEST_F(SaveWindowTest, CtrlCCopiesTheConvertedMapOnlyWhenOneExists)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    main.ui.SaveClipboard->trigger();
    EXPECT_TRUE(QGuiApplication::clipboard()->image().isNull());

    app.loadAndDecode(grab(0, 32));
    main.ui.SaveClipboard->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
              main.ui.img_Map->picture().convertToFormat(QImage::Format_RGB32));
}

TEST_F(SaveWindowTest, TheTableFollowsTheReferenceChoiceAndTheCorrections)
{
    test::StartedApp app;
    TMainForm& main = app.main();
    app.loadAndDecode(grab(1, 8, 3));
    main.session().decoded.map[0][0] = 24; // as if corrected by hand
    main.session().decoded.map[1][0] = -1;
    app.forms().OptionsForm->rg_CharRef->setItemIndex(1);
    app.prompts().files.push_back(app.path(QStringLiteral("t.csv")));
    main.ui.sb_SaveMap->click();
    QFile file(app.path(QStringLiteral("t.csv")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[0], QByteArray("Green\r"));
    EXPECT_TRUE(lines[1].startsWith("253,unk,")) << lines[1].toStdString();
}

} // namespace
} // namespace vt
