// How far a map can be trusted: the classes of grab that were once read wrong and reported
// certain, each located as drawn or reported uncertain; the exact analysis's grid kept where
// cells fit nothing; the game told by counts of fitting cells only; a grab in which no map was
// found never shown as a success; and the same result whatever grab came before.
#include "session/BulkRun.h"

#include "GrabComposer.h"
#include "GrabKinds.h"

#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vt {
namespace {

using test::GrabArt;
using test::GrabMap;

class Certainty : public ::testing::Test
{
protected:
    void SetUp() override { options.outputDir = dir.path(); }

    QString save(const QString& name, const QImage& image)
    {
        const QString file = dir.filePath(name);
        EXPECT_TRUE(image.save(file));
        return file;
    }
    // Load, locate and decode as a bulk run does, from whatever `session` carries.
    GrabPlan convert(const QString& path)
    {
        LoadedGrab grab = loadGrab(path);
        GrabPlan plan = planGrab(session, grab, options);
        if (plan.decodes)
            session.decode();
        return plan;
    }

    // Cells of the truth that the session decoded at the same place, over the visible ones.
    static double shareRight(const GrabSession& s, const test::GrabTruth& truth)
    {
        int right = 0;
        int visible = 0;
        for (int r = 0; r < truth.map.rows; ++r)
            for (int c = 0; c < truth.map.columns; ++c) {
                if (!truth.isVisible(c, r) || truth.map.at(c, r) < 0)
                    continue;
                ++visible;
                right += c < s.decoded.columns() && r < s.decoded.rows() &&
                         s.decoded.map[std::size_t(c)][std::size_t(r)] == truth.map.at(c, r);
            }
        return visible ? double(right) / visible : 0.0;
    }

    QTemporaryDir dir;
    BulkOptions options;
    GrabSession session;
};

// Grabs of the kinds that were once read as a piece of their map, or as a grid moved to dodge
// sprites, and reported certain: each decoded right now (nine visible cells in ten), or at least
// not reported certain.
TEST_F(Certainty, NoKindOfGrabOnceMisreadIsReportedCertainWhenWrong)
{
    struct Case
    {
        const char* kind;
        quint64 seed;
    };
    const Case cases[] = {{"small-jpeg", 300011}, {"small-jpeg", 300014}, {"jpeg-window", 300003},
                          {"covered", 300005},    {"covered", 300012},    {"cutoff", 300019},
                          {"display", 300002},    {"display", 720014},    {"display", 720025}};
    for (const Case& c : cases) {
        const test::KindGrab grab = test::composeKind(QLatin1String(c.kind), c.seed);
        SCOPED_TRACE(grab.truth.detail.toStdString());
        session = GrabSession();
        convert(save(QStringLiteral("%1-%2.png").arg(QLatin1String(c.kind)).arg(c.seed),
                     grab.image));
        const bool right = session.hasMap() && session.grid.grab_width == grab.truth.map.columns &&
                           session.grid.grab_height == grab.truth.map.rows &&
                           shareRight(session, grab.truth) >= 0.9;
        EXPECT_TRUE(right || !session.confidence.certain())
            << "a wrong map reported certain: " << session.grid.grab_width << " x "
            << session.grid.grab_height << " at " << session.grid.originx << ","
            << session.grid.originy;
    }
}

// A window on a desktop enlarged 3.437 times with pixels replicated, a factor no search knows:
// a grid laid at 1:1 over the enlarged pixels may fit loosely, but is never certain.
TEST_F(Certainty, ACaptureEnlargedByAnUnknownFactorIsNotReadCertainAtOneToOne)
{
    for (const quint64 seed : {3ull, 8ull}) {
        const test::KindGrab grab = test::composeKind(QStringLiteral("desktop"), seed);
        const QImage shown = grab.image.copy(0, 0, 1280, 900);
        const QImage enlarged =
            shown.scaled(int(shown.width() * 3.437), int(shown.height() * 3.437),
                         Qt::IgnoreAspectRatio, Qt::FastTransformation);
        session = GrabSession();
        convert(save(QStringLiteral("enlarged-%1.png").arg(seed), enlarged));
        EXPECT_FALSE(session.confidence.certain()) << seed;
    }
}

// A lossless map view with a grey box over some cells: the exact grid stands, whole, and the
// covered cells are the ones to check.
TEST_F(Certainty, CellsThatFitNothingNeitherMoveNorShrinkTheExactGrid)
{
    const GrabMap map = GrabMap::random(1, 24, 8, 17);
    QImage image = test::composeMapView(map, GrabArt::shipped(1, 2));
    // Over the right end of the map, where a smaller grid could dodge it.
    const QRect box(16 * 17 + 3, 15 * 1 + 2, 16 * 7 - 3, 15 * 6);
    QPainter(&image).fillRect(box, QColor(150, 150, 150));
    const GrabPlan plan = convert(save(QStringLiteral("boxed.png"), image));
    ASSERT_TRUE(plan.decodes);
    EXPECT_EQ(session.confidence.locatedBy, LocatedBy::Exact);
    EXPECT_EQ(session.grid.grab_width, 24);
    EXPECT_EQ(session.grid.grab_height, 8);
    EXPECT_EQ(session.grid.originx, 0u);
    EXPECT_EQ(session.grid.originy, 0u);
    EXPECT_EQ(session.det, session.grid); // restoring the bounds brings this grid back
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 24; ++c) {
            const QRect cell(16 * c, 15 * r, 16, 15);
            if (!cell.intersects(box)) {
                EXPECT_EQ(session.decoded.map[std::size_t(c)][std::size_t(r)], map.at(c, r));
            } else if (session.decoded.map[std::size_t(c)][std::size_t(r)] != map.at(c, r)) {
                EXPECT_TRUE(session.check.at(c, r)) << "covered cell " << c << "," << r;
            }
        }
}

// Sprites over a fifth of a window's cells: the grid is where the window puts it, whatever the
// sprites fit.
TEST_F(Certainty, SpritesOverAFifthOfTheCellsLeaveTheWindowsGridWhereItIs)
{
    for (const quint64 seed : {300005ull, 300012ull, 300017ull}) {
        const test::KindGrab grab = test::composeKind(QStringLiteral("covered"), seed);
        SCOPED_TRACE(grab.truth.detail.toStdString());
        session = GrabSession();
        convert(save(QStringLiteral("covered-%1.png").arg(seed), grab.image));
        EXPECT_EQ(session.grid.grab_width, grab.truth.map.columns);
        EXPECT_EQ(session.grid.grab_height, grab.truth.map.rows);
        EXPECT_EQ(double(session.grid.originx), grab.truth.originx);
        EXPECT_EQ(double(session.grid.originy), grab.truth.originy);
        EXPECT_EQ(session.game, grab.truth.game);
    }
}

// A map of characters that look alike in both games, with one cell that fits neither: the lead
// that cell gives one game in the summed scores does not tell the game. The game held stands,
// uncertain, and so do the table's codes.
TEST_F(Certainty, TotalsAloneNeverSwitchTheGame)
{
    GrabMap map = GrabMap::filled(32, 32, 0);
    for (int r = 0; r < 32; ++r)
        for (int c = 0; c < 32; ++c)
            if (r == 0 || c == 0 || r == 31 || c == 31)
                map.set(c, r, 3); // the first game's brick wall, the second's at 9
            else if ((r * 7 + c * 3) % 5 == 0)
                map.set(c, r, 1); // diamond in both
    QImage image = test::composeMapView(map, GrabArt::shipped(0, 0));
    // One cell shows a character of the second game alone, too damaged to pass: the second
    // game's sum of scores leads by a few points, and nothing else tells the games apart.
    QImage odd = GrabArt::shipped(1, 0).characters[24].convertToFormat(QImage::Format_RGB32);
    for (int i = 0; i < 240; i += 4)
        odd.setPixel(i % 16, i / 16, qRgb(255, 255, 255));
    QPainter(&image).drawImage(16 * 10, 15 * 10, odd);
    const QString file = save(QStringLiteral("alike.png"), image);
    for (const int held : {0, 1}) {
        SCOPED_TRACE(held);
        session = GrabSession();
        CarriedState carried;
        carried.game = held;
        session.carry(carried);
        const GrabPlan plan = convert(file);
        EXPECT_EQ(plan.game, held);
        EXPECT_FALSE(session.confidence.gameCertain);
        EXPECT_FALSE(session.gameFit.decisive);
    }
}

// A first-game view cropped at a cell's corner to 472 x 458: not a whole map of the second
// game, and never certain (its grid cuts cells at the picture's edge).
TEST_F(Certainty, ACropOfAFullMapIsNotTakenForTheOtherGamesSmallMap)
{
    const GrabMap map = GrabMap::random(0, 32, 32, 23);
    const QImage crop = test::composeMapView(map, GrabArt::shipped(0, 1)).copy(0, 0, 472, 458);
    convert(save(QStringLiteral("crop.png"), crop));
    ASSERT_TRUE(session.hasMap());
    EXPECT_EQ(session.game, 0);
    EXPECT_FALSE(session.confidence.certain());
}

// A black picture of 50 x 40: nothing to find. The fallback grid still decodes (blank cells
// at 100 %), but no map was found, and the command line's run writes nothing for it.
TEST_F(Certainty, ABlankPictureIsNoMapFound)
{
    QImage blank(50, 40, QImage::Format_RGB32);
    blank.fill(Qt::black);
    const QString file = save(QStringLiteral("blank.png"), blank);
    CarriedState recognisedBefore; // a grab was recognised earlier in the run
    recognisedBefore.screengrab_loaded = true;
    session.carry(recognisedBefore);
    const GrabPlan shown = convert(file);
    EXPECT_TRUE(shown.noMap);
    EXPECT_TRUE(session.hasMap());
    EXPECT_FALSE(session.confidence.mapFound);
    EXPECT_FALSE(session.confidence.gridCertain);
    EXPECT_EQ(session.accuracy(), 100);

    BulkTally tally;
    GrabReport report;
    report.outcome = GrabReport::Outcome::Converted;
    report.confidence = session.confidence;
    tally.add(QStringLiteral("blank.png"), report);
    EXPECT_EQ(tally.noMap, QStringList{QStringLiteral("blank.png")});
    EXPECT_TRUE(tally.doubtful.isEmpty());

    options.writeWithoutMap = false;
    session = GrabSession();
    LoadedGrab grab = loadGrab(file);
    const GrabPlan refused = planGrab(session, grab, options);
    EXPECT_FALSE(refused.decodes);
    EXPECT_TRUE(refused.failure.contains(QStringLiteral("no map found")));
    EXPECT_TRUE(plannedOutputs(refused, options).empty());
}

// The same grabs in either order, and each alone: the same game, grid, scheme and captions.
TEST_F(Certainty, TheResultOfAGrabDoesNotDependOnTheGrabsBeforeIt)
{
    QStringList files;
    files << save(QStringLiteral("small.png"), test::composeMapView(GrabMap::random(1, 16, 16, 2),
                                                                     GrabArt::shipped(1, 0)));
    files << save(QStringLiteral("full.png"), test::composeMapView(GrabMap::random(0, 32, 32, 3),
                                                                    GrabArt::shipped(0, 5)));
    for (const char* kind : {"crop", "jpeg-window", "desktop", "covered"})
        for (quint64 seed : {41ull, 42ull})
            files << save(QStringLiteral("%1-%2.png").arg(QLatin1String(kind)).arg(seed),
                          test::composeKind(QLatin1String(kind), seed).image);

    struct Result
    {
        int game;
        int colour;
        GridGeometry grid;
        QString caption;
        bool operator==(const Result&) const = default;
    };
    const auto run = [&](const QStringList& order) {
        std::map<QString, Result> results;
        session = GrabSession();
        for (const QString& file : order) {
            const GrabPlan plan = convert(file);
            results[file] = Result{plan.game, plan.colour, plan.grid,
                                   session.captions[std::size_t(session.colour)]};
        }
        return results;
    };
    QStringList reversed(files.rbegin(), files.rend());
    const auto forward = run(files);
    const auto backward = run(reversed);
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        EXPECT_TRUE(forward.at(file) == backward.at(file));
        EXPECT_TRUE(forward.at(file) == run({file}).at(file));
    }
}

} // namespace
} // namespace vt
