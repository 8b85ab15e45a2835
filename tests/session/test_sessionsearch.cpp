// The session's use of the tolerant location: lossless grabs that the exact analysis finds and
// decoding confirms keep its grid, while a grid that decoding contradicts gives way.
#include "charsets/Resources.h"
#include "intake/GridLocator.h"
#include "pictures/BmpByteImage.h"
#include "pictures/Halftone.h"
#include "session/BulkRun.h"

#include "GrabComposer.h"
#include "GrabKinds.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vt {
namespace {

using test::GrabArt;
using test::GrabMap;

class TolerantPlanTest : public ::testing::Test
{
protected:
    QString save(const QString& name, const QImage& image)
    {
        const QString file = m_dir.filePath(name);
        EXPECT_TRUE(image.save(file));
        return file;
    }
    void SetUp() override { settings.outputDir = m_dir.path(); }
    GrabPlan plan(const QString& path)
    {
        LoadedGrab grab = loadGrab(path);
        return planGrab(session, grab, settings);
    }

    QTemporaryDir m_dir;
    BulkOptions settings;
    GrabSession session;
    const GrabSession& state = session;
};

TEST_F(TolerantPlanTest, ConfirmedExactGridsStandAsTheyWere)
{
    struct Case
    {
        const char* name;
        int game;
        int columns;
        int rows;
        std::optional<test::WindowLayout> layout;
    };
    const Case cases[] = {{"view.png", 1, 24, 16, std::nullopt},
                          {"a.png", 0, 32, 32, test::WindowLayout::A},
                          {"b.png", 1, 16, 24, test::WindowLayout::B}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const GrabMap map = GrabMap::random(c.game, c.columns, c.rows, 5);
        const GrabArt art = GrabArt::shipped(c.game, 3);
        QImage image;
        if (c.layout) {
            test::WindowPlacement placement;
            placement.layout = *c.layout;
            placement.game = c.game;
            image = test::composeWindow(map, art, placement).image;
        } else {
            image = test::composeMapView(map, art);
        }
        const QString file = save(QString::fromLatin1(c.name), image);
        // The exact analysis on its own, from the same carried state.
        const LoadedGrab grab = loadGrab(file);
        const QByteArray hero =
            bmpByteImage(reduceToHalftone(programPicture(QStringLiteral("HERO"))));
        LocateInput input;
        input.working = &grab.pictures.working;
        input.hero = &hero;
        input.selectedGame = state.game;
        const LocateResult exact = locateGrid(input);
        const GrabPlan planned = plan(file);
        EXPECT_EQ(session.located.grid, exact.grid);
        EXPECT_EQ(session.located.chosenScheme, exact.chosenScheme);
        EXPECT_EQ(session.located.captions, exact.captions);
        EXPECT_EQ(session.located.selectGame, exact.selectGame);
        EXPECT_EQ(session.confidence.locatedBy, LocatedBy::Exact);
        EXPECT_EQ(session.working.size(), grab.pictures.working.size());
        EXPECT_EQ(planned.grid.grab_width, c.columns);
        EXPECT_EQ(planned.grid.grab_height, c.rows);
        EXPECT_EQ(planned.game, c.game);
        EXPECT_EQ(planned.colour, 3);
        EXPECT_TRUE(session.located.captionsSet); // the survey's captions, not a tolerant result
    }
}

TEST_F(TolerantPlanTest, ADoubledMapViewIsDecodedAtItsOwnSize)
{
    // 16 x 16 cells at twice the size are 512 x 480 pixels, the size of a 32 x 32 map view.
    const GrabMap map = GrabMap::random(1, 16, 16, 9);
    const QImage doubled =
        test::replicate(test::composeMapView(map, GrabArt::shipped(1, 4)), 2, 0, 0);
    ASSERT_EQ(doubled.size(), QSize(512, 480));
    const GrabPlan planned = plan(save(QStringLiteral("doubled.png"), doubled));
    ASSERT_TRUE(planned.decodes);
    EXPECT_EQ(session.confidence.locatedBy, LocatedBy::Scaled);
    // Both copies brought back to 1:1: the working picture and the full-colour one.
    EXPECT_EQ(session.working.size(), QSize(256, 240));
    EXPECT_EQ(session.fullcolourimage.size(), QSize(256, 240));
    EXPECT_EQ(planned.grid.grab_width, 16);
    EXPECT_EQ(planned.grid.grab_height, 16);
    EXPECT_EQ(planned.game, 1);
    EXPECT_EQ(planned.colour, 4);
}

TEST_F(TolerantPlanTest, AJpegWindowWhoseMarkerRowIsBlurredIsDecodedWhereTheMapIs)
{
    // At this quality the exact search meets the marker a row low and puts the grid there,
    // where most cells still pass for some character.
    const test::KindGrab grab = test::composeKind(QStringLiteral("jpeg-window"), 20046);
    ASSERT_TRUE(grab.truth.detail.contains(QLatin1String("layout A")));
    const GrabPlan planned = plan(save(QStringLiteral("jpeg.png"), grab.image));
    EXPECT_EQ(planned.grid.originx, grab.truth.originx);
    EXPECT_EQ(planned.grid.originy, grab.truth.originy);
    EXPECT_EQ(planned.grid.grab_width, 32);
    EXPECT_EQ(planned.game, grab.truth.game);
}

TEST_F(TolerantPlanTest, TheOtherGameFittingBetterOverridesTheCarriedGame)
{
    // A grab of the second game first: the window keeps that game for a 32 x 32 map view,
    // whose size does not tell the game, though the first game's characters fit it.
    const QString small =
        save(QStringLiteral("small.png"),
             test::composeMapView(GrabMap::random(1, 16, 16, 2), GrabArt::shipped(1, 0)));
    const QString full =
        save(QStringLiteral("full.png"),
             test::composeMapView(GrabMap::random(0, 32, 32, 3), GrabArt::shipped(0, 0)));
    EXPECT_EQ(plan(small).game, 1);
    const GrabPlan planned = plan(full);
    EXPECT_EQ(planned.game, 0);
    EXPECT_EQ(planned.grid.grab_width, 32);
    EXPECT_EQ(state.game, 0);

    // A level whose every cell passes with the second game's characters too: the scores decide.
    const test::KindGrab tie = test::composeKind(QStringLiteral("view"), 777035);
    ASSERT_EQ(tie.truth.game, 0);
    EXPECT_EQ(plan(small).game, 1);
    EXPECT_EQ(plan(save(QStringLiteral("tie.png"), tie.image)).game, 0);
}

} // namespace
} // namespace vt
