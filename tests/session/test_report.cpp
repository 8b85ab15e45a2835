// The picture report of a bulk run over a folder of good, uncertain and broken grabs: every grab
// and every failure on the page, every link leading to a file, and the page as headless
// Chromium draws it showing every thumbnail.
#include "export/BulkConvert.h"
#include "session/BulkReport.h"

#include "GrabComposer.h"
#include "ReportPage.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

namespace vt {
namespace {

using test::GrabArt;
using test::GrabMap;

class PictureReport : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        const QDir root(s_dir->path());
        root.mkdir(QStringLiteral("in"));
        root.mkdir(QStringLiteral("out"));
        const QDir in(root.filePath(QStringLiteral("in")));

        // Good: a map view of each game.
        test::composeMapView(GrabMap::random(0, 32, 32, 3), GrabArt::shipped(0, 2))
            .save(in.filePath(QStringLiteral("a-good.png")));
        test::WindowPlacement placement;
        placement.game = 1;
        placement.windowAt = QPoint(40, 30);
        test::composeWindow(GrabMap::random(1, 32, 32, 5), GrabArt::shipped(1, 4), placement)
            .image.save(in.filePath(QStringLiteral("b-window 50%1 & co.png")));
        // Uncertain: a fifth of the cells are noise, so the map is converted with cells to check
        // and a grid in doubt.
        GrabMap noisy = GrabMap::random(0, 32, 32, 9);
        for (int i = 0; i < 1024; i += 5)
            noisy.set(i % 32, i / 32, -1);
        test::composeMapView(noisy, GrabArt::shipped(0, 0))
            .save(in.filePath(QStringLiteral("c-uncertain.png")));
        // Broken: a picture's signature with nothing after it; a window-sized grab without a
        // game window; a file that is no picture.
        QByteArray png = test::readAll(in.filePath(QStringLiteral("a-good.png")));
        test::writeFile(in.filePath(QStringLiteral("d-broken.png")), png.left(64));
        QImage blank(800, 600, QImage::Format_RGB32);
        blank.fill(QColor(30, 60, 90));
        blank.save(in.filePath(QStringLiteral("e-no-window.png")));
        test::writeFile(in.filePath(QStringLiteral("f-notes.txt")), "not a grab");

        BulkOptions options;
        options.outputDir = root.filePath(QStringLiteral("out"));
        options.choices.set(OutputFormat::Png);
        options.choices.set(OutputFormat::Csv);
        options.reportPictures = true;
        s_page = new QString(root.filePath(QStringLiteral("out/run report.html")));
        BulkReportWriter writer(*s_page);
        GrabSession session;
        s_reports = new std::map<QString, GrabReport>;
        for (const QString& name : listFolder(in.path())) {
            const GrabReport report = convertGrab(session, in.filePath(name), options);
            writer.add(report);
            (*s_reports)[name] = report;
        }
        writer.finish();
    }
    static void TearDownTestSuite()
    {
        delete s_reports;
        delete s_page;
        delete s_dir;
    }

    static QString page()
    {
        QFile file(*s_page);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QString::fromUtf8(file.readAll());
    }
    static const GrabReport& report(const char* name) { return s_reports->at(QLatin1String(name)); }
    static QStringList thumbnails()
    {
        return QDir(reportPicturesFolder(*s_page))
            .entryList({QStringLiteral("*.png")}, QDir::Files);
    }

    static QTemporaryDir* s_dir;
    static QString* s_page;
    static std::map<QString, GrabReport>* s_reports;
};

QTemporaryDir* PictureReport::s_dir = nullptr;
QString* PictureReport::s_page = nullptr;
std::map<QString, GrabReport>* PictureReport::s_reports = nullptr;

TEST_F(PictureReport, ShowsEveryGrabAndEveryFailureWithItsReason)
{
    // The fixture's grabs came out as meant.
    ASSERT_EQ(report("a-good.png").outcome, GrabReport::Outcome::Converted);
    ASSERT_TRUE(uncertainty(report("a-good.png").confidence).isEmpty());
    ASSERT_EQ(report("b-window 50%1 & co.png").outcome, GrabReport::Outcome::Converted);
    ASSERT_EQ(report("c-uncertain.png").outcome, GrabReport::Outcome::Converted);
    ASSERT_FALSE(uncertainty(report("c-uncertain.png").confidence).isEmpty());
    ASSERT_GE(report("c-uncertain.png").check.count(), 200);
    ASSERT_EQ(report("d-broken.png").outcome, GrabReport::Outcome::Failed);
    ASSERT_EQ(report("e-no-window.png").outcome, GrabReport::Outcome::Failed);
    ASSERT_EQ(report("f-notes.txt").outcome, GrabReport::Outcome::Skipped);

    const QString html = page();
    for (const auto& [name, r] : *s_reports) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_TRUE(html.contains(name.toHtmlEscaped()));
        // In the table at the top as well, by its own name even where it holds "%1".
        if (r.outcome != GrabReport::Outcome::Skipped) {
            EXPECT_TRUE(html.contains(QStringLiteral("\">%1</a></td>").arg(name.toHtmlEscaped())));
        }
        if (r.outcome == GrabReport::Outcome::Failed) {
            EXPECT_TRUE(html.contains(r.error.toHtmlEscaped()));
        }
    }
    const GrabReport& good = report("b-window 50%1 & co.png");
    EXPECT_TRUE(html.contains(QStringLiteral("<th>Game</th><td>PC Vorlan 2</td>")));
    EXPECT_TRUE(html.contains(QStringLiteral("<th>Scheme</th><td>Orange</td>")));
    EXPECT_TRUE(html.contains(QStringLiteral("<th>Accuracy</th><td>%1%").arg(good.accuracy)));
    EXPECT_TRUE(html.contains(QStringLiteral("<th>Located</th><td>exact")));
    EXPECT_TRUE(html.contains(uncertainty(report("c-uncertain.png").confidence).toHtmlEscaped()));
    EXPECT_TRUE(html.contains(QStringLiteral("<th>Cells to check</th><td>%1 (")
                                  .arg(report("c-uncertain.png").check.count())));
    EXPECT_TRUE(html.contains(QStringLiteral("3 of 5 converted, 2 failed, 1 file passed over")));

    // A grab thumbnail for each grab read (the three converted and the one with no window), a
    // map thumbnail for each map.
    EXPECT_EQ(thumbnails().size(), 7) << thumbnails().join(QLatin1Char(' ')).toStdString();
    int links = 0;
    EXPECT_EQ(test::brokenLinks(*s_page, &links), QStringList());
    EXPECT_GE(links, 7 + 6 + 6); // pictures, grabs, outputs
    EXPECT_FALSE(html.contains(QStringLiteral("http")));
}

TEST_F(PictureReport, TheMapThumbnailFramesTheCellsToCheckInTheirColours)
{
    const GrabReport& uncertain = report("c-uncertain.png");
    const QImage& thumbnail = uncertain.mapThumbnail;
    ASSERT_EQ(thumbnail.size(), QSize(320, 320)); // 10 pixels a cell
    int framed = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const auto listed = uncertain.check.at(x, y);
            const QRgb corner = thumbnail.pixel(10 * x, 10 * y);
            if (listed) {
                ASSERT_EQ(corner, checkColour(listed->reason).rgb()) << x << "," << y;
                ++framed;
            } else {
                ASSERT_NE(corner, checkColour(CheckReason::Unmatched).rgb()) << x << "," << y;
            }
        }
    EXPECT_EQ(framed, uncertain.check.count());
}

TEST_F(PictureReport, HeadlessChromiumDrawsEveryThumbnail)
{
    if (test::chromium().isEmpty())
        GTEST_SKIP() << "Chromium is not installed (./test.sh installs it)";
    QString log;
    const std::optional<QImage> shown = test::screenshot(*s_page, 1280, 3200, &log);
    ASSERT_TRUE(shown) << log.toStdString();
    // Not blank: the page's own background with the pictures on it.
    ASSERT_EQ(shown->size(), QSize(1280, 3200));
    const QDir pictures(reportPicturesFolder(*s_page));
    for (const QString& name : thumbnails()) {
        SCOPED_TRACE(name.toStdString());
        const QImage thumbnail(pictures.filePath(name));
        ASSERT_FALSE(thumbnail.isNull());
        EXPECT_TRUE(test::drawnIn(*shown, thumbnail));
    }
    // The search tells a picture that is not on the page.
    const QImage first(pictures.filePath(thumbnails().value(0)));
    EXPECT_FALSE(test::drawnIn(*shown, first.mirrored(true, true)));
}

} // namespace
} // namespace vt
