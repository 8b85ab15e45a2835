// The window under hostile input: every third-party picture through "&Load Screengrab" and
// "&Decode Map", a damaged settings file at start-up, and a bulk run whose destination goes.
#include "app/Controls.h"
#include "app/MainForm.h"
#include "export/BulkConvForm.h"
#include "settings/RegUtils.h"

#include "GrabComposer.h"
#include "TestSupport.h"
#include "UiSupport.h"

#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include <gtest/gtest.h>

namespace vt {
namespace {

TEST(HostileWindow, EveryCorpusFileIsDecodedOrRefusedByName)
{
    const QString corpora = test::corporaDir();
    if (corpora.isEmpty())
        GTEST_SKIP() << "the third-party pictures are not there";
    const QStringList files = test::corpusFiles();

    test::SettingsSandbox::clear();
    test::StartedApp app;
    TMainForm& main = app.main();
    // Decoding is offered once any grab was recognised; from then on a grab of another size is
    // decoded on a guessed grid, which is what runs every picture through the decoding pass.
    app.loadGrab(
        test::composeMapView(test::GrabMap::random(0, 32, 32, 1), test::GrabArt::shipped(0, 0)));
    ASSERT_TRUE(main.ui.sb_DecodeStart->isEnabled());
    QStringList failures;
    int decoded = 0;
    for (const QString& path : files) {
        const QString name = QFileInfo(path).fileName();
        const QString shown = QDir(corpora).relativeFilePath(path) + QStringLiteral(": ");
        QElapsedTimer clock;
        clock.start();
        app.prompts().errors.clear();
        app.prompts().files.push_back(path);
        main.ui.sb_LoadScreenGrab->click();
        if (!app.prompts().errors.isEmpty()) {
            if (app.prompts().errors.size() != 1 || !app.prompts().errors[0].contains(name))
                failures.append(shown + QStringLiteral("refused without naming the file: ") +
                                app.prompts().errors.join(QLatin1Char('|')));
            continue;
        }
        if (!main.ui.sb_DecodeStart->isEnabled()) {
            // A window-sized grab without a game window: loaded, and the status line says why
            // it cannot be decoded.
            if (!main.statusBar()->currentMessage().startsWith(QStringLiteral("No game window")))
                failures.append(shown + QStringLiteral("loaded, but cannot be decoded: ") +
                                main.statusBar()->currentMessage());
            continue;
        }
        if (main.ui.lb_filename->text() != name)
            failures.append(shown + QStringLiteral("loaded, but the window shows ") +
                            main.ui.lb_filename->text());
        main.ui.sb_DecodeStart->click();
        if (!app.prompts().errors.isEmpty() || !main.ui.sb_SaveMap->isEnabled())
            failures.append(shown + QStringLiteral("not decoded: ") +
                            app.prompts().errors.join(QLatin1Char('|')));
        else
            ++decoded;
        if (clock.elapsed() > 30'000)
            failures.append(shown + QStringLiteral("took %1 ms").arg(clock.elapsed()));
    }
    EXPECT_TRUE(failures.isEmpty())
        << failures.size() << " of " << files.size() << " files were not handled:\n"
        << failures.join(QLatin1Char('\n')).toStdString();
    EXPECT_GT(decoded, 150) << "of " << files.size();
}

class HostileWindowSettings : public ::testing::Test
{
protected:
    void TearDown() override { useSettingsFile(m_previous); }

    QTemporaryDir m_dir;

private:
    QString m_previous = usedSettingsFile();
};

// The program starts with what could be read, says so once, and keeps the damaged file.
TEST_F(HostileWindowSettings, ADamagedSettingsFileIsToldOnceAtStartUpAndKept)
{
    const QString path = m_dir.filePath(QStringLiteral("settings.ini"));
    const QByteArray damaged = "[General]\nthis line has no value\nProbMatch=70\n";
    test::writeFile(path, damaged);
    useSettingsFile(path);
    {
        test::StartedApp app;
        EXPECT_EQ(app.main().session().prefs.thresholds.prob_match, 70);
        EXPECT_EQ(app.main().session().prefs.thresholds.pix_match, 90);
        const QString message = app.main().statusBar()->currentMessage();
        EXPECT_TRUE(message.contains(QStringLiteral("damaged")) &&
                    message.contains(QDir::toNativeSeparators(path + QStringLiteral(".broken"))))
            << message.toStdString();
        EXPECT_TRUE(app.prompts().errors.isEmpty());
    }
    QFile copy(path + QStringLiteral(".broken"));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), damaged);

    useSettingsFile(path); // the next start finds the file mended
    test::StartedApp again;
    EXPECT_EQ(again.main().session().prefs.thresholds.prob_match, 70);
    EXPECT_TRUE(again.main().statusBar()->currentMessage().isEmpty())
        << again.main().statusBar()->currentMessage().toStdString();
}

// The destination is removed while the run goes on: the run stops at the grab it could not
// save, which stays decoded in the window so it can be saved elsewhere, and one report tells
// the write error, what was converted before, and the grabs that could not be read.
TEST(HostileWindowBulk, ADestinationThatGoesStopsTheRunWithAFullReport)
{
    test::SettingsSandbox::clear();
    QTemporaryDir dir;
    QDir root(dir.path());
    ASSERT_TRUE(root.mkdir(QStringLiteral("in")) && root.mkdir(QStringLiteral("out")));
    const QString source = root.filePath(QStringLiteral("in"));
    const QString dest = root.filePath(QStringLiteral("out"));
    test::writeFile(QDir(source).filePath(QStringLiteral("a-broken.png")),
                    QByteArray::fromHex("89504E470D0A1A0A0000000D49484452") +
                        QByteArray(64, '\x07'));
    for (const char* name : {"b.png", "c.png", "d.png"}) {
        const QImage grab =
            test::composeMapView(test::GrabMap::random(0, 32, 32, 3), test::GrabArt::shipped(0, 1));
        ASSERT_TRUE(grab.save(QDir(source).filePath(QLatin1String(name))));
    }

    test::StartedApp app;
    TMainForm& main = app.main();
    TBulkConvForm* bulk = app.forms().BulkConvForm;
    app.prompts().folders = {source, dest};
    bulk->sb_source->click();
    bulk->sb_dest->click();
    bulk->ed_filename->setText(QStringLiteral("%s"));
    for (QCheckBox* box : {bulk->cb_SaveGIF, bulk->cb_SavePNG, bulk->cb_SaveJPG})
        box->setChecked(false);
    bulk->cb_SaveBMP->setChecked(true);
    bulk->cb_SaveCSV->setChecked(true);
    QObject::connect(main.statusBar(), &QStatusBar::messageChanged, [&dest](const QString& text) {
        if (text.startsWith(QStringLiteral("Converting 3 of 4")))
            QDir(dest).removeRecursively();
    });
    QTimer::singleShot(0, bulk->Execute, &QPushButton::click);
    main.ui.sb_bulkconvert->click();

    ASSERT_EQ(app.prompts().errors.size(), 1) << app.prompts().errors.join('|').toStdString();
    const QString report = app.prompts().errors[0];
    for (const QString& part :
         {QStringLiteral("c.bmp"), QStringLiteral("stopped at \"c.png\""),
          QStringLiteral("1 grab was converted"), QStringLiteral("a-broken.png")})
        EXPECT_TRUE(report.contains(part))
            << part.toStdString() << " not in: " << report.toStdString();
    EXPECT_TRUE(main.ui.sb_SaveMap->isEnabled());
    EXPECT_EQ(main.ui.lb_filename->text(), QStringLiteral("c.png"));
    EXPECT_TRUE(main.statusBar()->currentMessage().contains(QStringLiteral("stopped")));
}

} // namespace
} // namespace vt
