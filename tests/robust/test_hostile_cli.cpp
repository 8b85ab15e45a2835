// The command-line converter over every folder of third-party pictures in one call: each file
// is converted or refused by name, and the converter ends normally.
#include "TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vt {
namespace {

TEST(HostileCli, EveryCorpusFileIsConvertedOrRefusedByName)
{
    const QString corpora = test::corporaDir();
    if (corpora.isEmpty())
        GTEST_SKIP() << "the third-party pictures are not there";

    // The converter takes the files of each folder named, not of its sub-folders.
    QStringList folders{corpora};
    QStringList files;
    for (QDirIterator it(corpora, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
         it.hasNext();)
        folders.append(it.next());
    for (const QString& file : test::corpusFiles())
        files.append(QDir::toNativeSeparators(file));

    // One of our grabs first: as in the window, a grab the analysis does not recognise is
    // decoded on a guessed grid once a grab before it was recognised, so every picture that
    // loads goes through the decoding pass. Tables only, to keep the outputs small.
    const QString primer =
        QDir(test::sourceDir()).filePath(QStringLiteral("samples/map-view-pc1-blue-32x32.png"));
    QTemporaryDir out;
    const QString settings = out.filePath(QStringLiteral("settings.ini"));
    QFile(settings).open(QIODevice::WriteOnly);
    QProcess cli;
    cli.setProcessChannelMode(QProcess::SeparateChannels);
    cli.start(QStringLiteral(VT_CLI_PATH),
              QStringList{QStringLiteral("--json"), QStringLiteral("--quiet"),
                          QStringLiteral("--formats"), QStringLiteral("csv"),
                          QStringLiteral("--settings"), settings, QStringLiteral("--output"),
                          out.filePath(QStringLiteral("maps")), primer} +
                  folders);
    ASSERT_TRUE(cli.waitForFinished(600'000)) << "the converter did not end in 10 minutes";
    ASSERT_EQ(cli.exitStatus(), QProcess::NormalExit) << cli.readAllStandardError().toStdString();
    EXPECT_TRUE(cli.exitCode() == 0 || cli.exitCode() == 1)
        << cli.exitCode() << ": " << cli.readAllStandardError().toStdString();

    QStringList failures;
    QSet<QString> reported;
    int converted = 0;
    for (const QByteArray& line : cli.readAllStandardOutput().split('\n')) {
        if (line.isEmpty())
            continue;
        const QJsonObject report = QJsonDocument::fromJson(line).object();
        const QString input = report.value(QStringLiteral("input")).toString();
        const QString status = report.value(QStringLiteral("status")).toString();
        const QString error = report.value(QStringLiteral("error")).toString();
        reported.insert(input);
        // A picture read whole: converted, or refused because no map was found in it.
        if (status == QStringLiteral("converted") ||
            (status == QStringLiteral("failed") && error.contains(QStringLiteral("no map found")))) {
            ++converted;
            if (status == QStringLiteral("converted"))
                continue;
        }
        // A file passed over as no picture is named by its own record; a failed one must name
        // itself in its message, which the window shows alone.
        if (status == QStringLiteral("skipped") && !error.isEmpty())
            continue;
        if (status != QStringLiteral("failed") || !error.contains(QFileInfo(input).fileName()))
            failures.append(QString::fromUtf8(line));
    }
    for (const QString& file : files)
        if (!reported.contains(file))
            failures.append(file + QStringLiteral(": no record"));
    EXPECT_TRUE(failures.isEmpty())
        << failures.size() << " of " << files.size() << " files were not handled:\n"
        << failures.join(QLatin1Char('\n')).toStdString();
    EXPECT_GT(converted, 150) << "of " << files.size();
}

} // namespace
} // namespace vt
