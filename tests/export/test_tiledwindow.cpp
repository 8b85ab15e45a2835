// The Save Map command's Tiled row: a ".tmx" name writes the map and its tileset picture, with
// the same overwrite questions as every other output.
#include "app/MainForm.h"
#include "decode/MapDecoder.h"
#include "export/TiledExport.h"

#include "GrabComposer.h"
#include "TestSupport.h"
#include "UiSupport.h"

#include <QDir>
#include <QFile>
#include <QPushButton>

#include <gtest/gtest.h>

namespace vt {
namespace {

TEST(TiledWindow, ATmxNameWritesTheMapAndItsTilesetAskingBeforeReplacing)
{
    test::SettingsSandbox::clear();
    test::StartedApp app;
    TMainForm& main = app.main();
    EXPECT_TRUE(main.SaveDialog1.filters.contains(QStringLiteral("Tiled Map (*.tmx)")));
    const test::GrabMap drawn = test::GrabMap::random(1, 16, 16, 3);
    app.loadAndDecode(test::composeMapView(drawn, test::GrabArt::shipped(1, 2)));
    QDir(app.path(QString())).mkdir(QStringLiteral("out"));
    const QString out = app.path(QStringLiteral("out"));

    app.prompts().files.push_back(out + QStringLiteral("/level.tmx"));
    main.ui.sb_SaveMap->click();
    EXPECT_EQ(
        QDir(out).entryList(QDir::Files, QDir::Name),
        (QStringList{QStringLiteral("level.tmx"), QStringLiteral("pc-vorlan-2-green-tiles.png")}));
    QFile tmx(out + QStringLiteral("/level.tmx"));
    ASSERT_TRUE(tmx.open(QIODevice::ReadOnly));
    EXPECT_EQ(tmx.readAll(), tmxMap(main.session().decoded, tiledTileset(1, 2, 35), 1,
                                    main.session().prefs.charRef));
    EXPECT_TRUE(app.prompts().questions.isEmpty());

    // Saving again asks about both files; No to the map keeps it and writes the tileset.
    app.prompts().files.push_back(out + QStringLiteral("/level.tmx"));
    app.prompts().answers = {true, false};
    main.ui.sb_SaveMap->click();
    ASSERT_EQ(app.prompts().questions.size(), 2);
    EXPECT_TRUE(app.prompts().questions[0].contains(QStringLiteral("pc-vorlan-2-green-tiles.png")));
    EXPECT_TRUE(app.prompts().questions[1].contains(QStringLiteral("level.tmx")));
    EXPECT_TRUE(app.prompts().errors.isEmpty());
}

} // namespace
} // namespace vt
