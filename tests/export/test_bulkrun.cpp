// The bulk run's carried state, its forcing options, the output claims of a run, and the
// stored preferences the command line reads without writing.
#include "session/BulkRun.h"
#include "settings/RegUtils.h"

#include "ExportFixtures.h"
#include "GrabComposer.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vt {
namespace {

using test::GrabArt;
using test::GrabMap;

class ConverterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        settings.outputDir = out();
        settings.pattern = QStringLiteral("%s");
        settings.choices = {OutputFormat::Csv};
    }

    QString mapView(const QString& name, int game, int colour, int columns, int rows,
                    quint64 seed = 1)
    {
        const QString file = m_dir.filePath(name);
        EXPECT_TRUE(test::composeMapView(GrabMap::random(game, columns, rows, seed),
                                         GrabArt::shipped(game, colour))
                        .save(file));
        return file;
    }
    QString picture(const QString& name, QSize size)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        EXPECT_TRUE(image.save(m_dir.filePath(name)));
        return m_dir.filePath(name);
    }
    GrabReport convert(const QString& path) { return convertGrab(session, path, settings); }
    QString out() const { return m_dir.path(); }

    QTemporaryDir m_dir;
    BulkOptions settings;
    GrabSession session;
    const GrabSession& state = session; // what carries from grab to grab
};

TEST_F(ConverterTest, TheGameAndTheLoadedMarkCarryOverAsInTheWindow)
{
    using Outcome = GrabReport::Outcome;
    const QString odd = picture("odd.png", {200, 150});
    const QString small = mapView("small.png", 1, 2, 16, 16);
    const QString full = mapView("full.png", 1, 2, 32, 32, 2);
    QFile(m_dir.filePath("notes.txt")).open(QIODevice::WriteOnly);
    const QString broken = m_dir.filePath("broken.png");
    test::writeFile(broken, QByteArray::fromHex("89504E470D0A1A0A0000000D49484452") + "garbage");

    const struct
    {
        QString path;
        Outcome outcome;
        int gameAfter;
        bool loadedAfter;
        int columns; // of the grid decoded, 0 when none
    } steps[] = {
        // Unrecognised before any grab was: nothing to decode.
        {odd, Outcome::Failed, 0, false, 0},
        {m_dir.filePath("notes.txt"), Outcome::Skipped, 0, false, 0},
        // A 16 x 16 map is the second game's.
        {small, Outcome::Converted, 1, true, 16},
        // Neither a broken file nor a full-size map changes the game.
        {broken, Outcome::Failed, 1, true, 0},
        {full, Outcome::Converted, 1, true, 32},
        // Unrecognised once a grab was: decoded on the fallback grid.
        {odd, Outcome::Converted, 1, true, 32},
    };
    for (const auto& step : steps) {
        const GrabReport report = convert(step.path);
        SCOPED_TRACE(step.path.toStdString());
        EXPECT_EQ(report.outcome, step.outcome) << report.error.toStdString();
        EXPECT_EQ(state.game, step.gameAfter);
        EXPECT_EQ(state.screengrab_loaded, step.loadedAfter);
        if (step.columns > 0) {
            EXPECT_EQ(report.game, step.gameAfter);
            EXPECT_EQ(report.grid.grab_width, step.columns);
        }
        if (step.outcome == Outcome::Failed) {
            EXPECT_TRUE(report.error.contains(QFileInfo(step.path).fileName()))
                << report.error.toStdString();
        }
    }
    // The scheme survey's captions stay for a grab without a survey; its table names scheme 0.
    EXPECT_TRUE(state.captions[2].startsWith(QStringLiteral("Green: ")));
    EXPECT_TRUE(test::readAll(m_dir.filePath("odd.csv")).startsWith("Blue\r\n"));
}

TEST_F(ConverterTest, AForcedGameAndColourHoldWhateverTheAnalysisFinds)
{
    const QString small = mapView("small.png", 1, 5, 24, 24);

    settings.forcedColour = 0;
    const GrabReport detected = convert(small);
    EXPECT_EQ(detected.game, 1);
    EXPECT_EQ(detected.colour, 0);
    EXPECT_EQ(detected.grid.grab_width, 24);
    EXPECT_TRUE(test::readAll(m_dir.filePath("small.csv")).startsWith("Blue\r\n"));

    // The first game has no 24 x 24 maps: held there, the grid falls back as on a reload.
    settings.forcedGame = 0;
    settings.forcedColour = -1;
    const GrabReport held = convert(small);
    EXPECT_EQ(held.outcome, GrabReport::Outcome::Converted) << held.error.toStdString();
    EXPECT_EQ(held.game, 0);
    EXPECT_EQ(held.colour, 5);
    EXPECT_EQ(held.grid, GridGeometry{});
    EXPECT_EQ(state.game, 0);
}

TEST_F(ConverterTest, ARunRefusesOutputsThatWouldReplaceAnotherGrabsOrAGrabStillToBeRead)
{
    settings.pattern = QStringLiteral("same");
    settings.choices.set(OutputFormat::Tmx);
    const QStringList inputs{mapView("a.png", 1, 0, 16, 16, 1), mapView("b.png", 1, 0, 16, 16, 2),
                             mapView("c.png", 1, 0, 16, 16, 3)};
    RunPlanner planner(settings, inputs);
    const auto plan = [this](RunPlanner& run, int index, const QString& input) {
        LoadedGrab grab = loadGrab(input);
        GrabPlan planned = planGrab(session, grab, settings);
        run.claim(index, planned);
        return std::pair(planned, grab);
    };

    const auto [first, a] = plan(planner, 0, inputs[0]);
    EXPECT_TRUE(first.decodes) << first.failure.toStdString();
    ASSERT_EQ(finishGrab(session, a, first, settings).outcome, GrabReport::Outcome::Converted);
    const QByteArray written = test::readAll(m_dir.filePath("same.csv"));

    // The second grab would write same.csv again: refused, the first grab's table stays.
    const GrabPlan second = plan(planner, 1, inputs[1]).first;
    EXPECT_FALSE(second.decodes);
    EXPECT_TRUE(second.failure.contains(QStringLiteral("a.png"))) << second.failure.toStdString();
    EXPECT_EQ(test::readAll(m_dir.filePath("same.csv")), written);

    // The tileset picture is shared by maps of one game and scheme; a grab of the run still
    // to be read is not.
    settings.pattern = QStringLiteral("%s-x");
    RunPlanner shared(settings, inputs + QStringList{m_dir.filePath("b-x.csv")});
    EXPECT_TRUE(plan(shared, 0, inputs[0]).first.decodes);
    const GrabPlan replacing = plan(shared, 1, inputs[1]).first;
    EXPECT_FALSE(replacing.decodes);
    EXPECT_TRUE(replacing.failure.contains(QStringLiteral("b-x.csv")))
        << replacing.failure.toStdString();
    EXPECT_TRUE(plan(shared, 2, inputs[2]).first.decodes);
}

// A save that fails part way: the report keeps the files written before the failure, which
// the bulk report and the command line's list show, and the window's text of the failure.
TEST_F(ConverterTest, AFailedSaveReportsTheFilesWrittenBeforeIt)
{
    settings.pattern = QStringLiteral("map");
    settings.choices = {OutputFormat::Bmp, OutputFormat::Png, OutputFormat::Csv};
    ASSERT_TRUE(QDir(out()).mkdir(QStringLiteral("map.png"))); // a folder where the PNG goes

    const GrabReport report = convert(mapView("grab.png", 1, 0, 16, 16));
    EXPECT_EQ(report.outcome, GrabReport::Outcome::Failed);
    EXPECT_TRUE(report.decoded);
    EXPECT_TRUE(report.saveFailed);
    EXPECT_EQ(report.outputs, QStringList{QDir::toNativeSeparators(m_dir.filePath("map.bmp"))});
    EXPECT_TRUE(report.error.startsWith(QStringLiteral("Cannot write \"") +
                                        QDir::toNativeSeparators(m_dir.filePath("map.png")) +
                                        QStringLiteral("\": ")))
        << report.error.toStdString();
    EXPECT_FALSE(QFile::exists(m_dir.filePath("map.csv")));
}

TEST(StoredPreferences, AreReadAsTheWindowReadsThemWithoutWritingTheStore)
{
    test::SettingsSandbox::clear();
    const Preferences defaults = readPreferences(StoreAccess::ReadOnly);
    EXPECT_TRUE(OpenReg()->allKeys().isEmpty());
    EXPECT_EQ(defaults.bulkOutputs, (SaveChoices{OutputFormat::Bmp, OutputFormat::Csv}));
    EXPECT_EQ(defaults.thresholds.prob_match, 88);
    EXPECT_EQ(defaults.pattern, QStringLiteral("%s-decode"));

    SetRegInteger(reg::Flags, 63 | 64);
    SetRegInteger(reg::ProbMatch, 150);
    SetRegInteger(reg::PixelMatch, -4);
    SetRegInteger(reg::CharRef, 7);
    SetRegString(reg::MapName, QString());
    const Preferences stored = readPreferences(StoreAccess::ReadOnly);
    EXPECT_EQ(stored.bulkOutputs,
              (SaveChoices{OutputFormat::Bmp, OutputFormat::Png, OutputFormat::Gif,
                           OutputFormat::Jpeg, OutputFormat::Csv}));
    EXPECT_TRUE(stored.puzzpiece);
    EXPECT_EQ(stored.thresholds.prob_match, 100);
    EXPECT_EQ(stored.thresholds.pix_match, 0);
    EXPECT_EQ(stored.charRef, 1);
    EXPECT_EQ(stored.pattern, QString());
    EXPECT_EQ(OpenReg()->value(reg::ProbMatch).toInt(), 150);
    test::SettingsSandbox::clear();
}

} // namespace
} // namespace vt
