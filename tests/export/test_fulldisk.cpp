// Saves onto a disk that is full or has no free inode, on a small file system the test mounts:
// an existing file is never damaged, and every output tells the system's reason once.
#include "export/SaveMap.h"

#include "ExportFixtures.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#ifdef __linux__
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vt {
namespace {

#ifdef __linux__

const QString kNoSpace = QString::fromLocal8Bit(std::strerror(ENOSPC));

// 256 x 256 pixels of noise: each picture file of it takes 60 KB or more.
QImage bigPicture()
{
    static const QImage picture = [] {
        QImage noise(256, 256, QImage::Format_RGB32);
        quint32 state = 12345;
        for (int y = 0; y < noise.height(); ++y)
            for (int x = 0; x < noise.width(); ++x) {
                state = state * 1664525u + 1013904223u;
                noise.setPixel(x, y, 0xFF000000u | (state >> 8));
            }
        return noise;
    }();
    return picture;
}

QString save(const QString& base, SaveChoices choices, bool sync)
{
    SaveMapHooks hooks;
    hooks.syncEachFile = sync;
    DecodedMap decoded;
    decoded.reset(8, 8);
    MapTableSource table;
    table.decoded = &decoded;
    table.colourItemText = QStringLiteral("Blue");
    return test::errorOf([&] { SaveMapUnder(bigPicture(), base, choices, false, table, hooks); });
}

const QByteArray kOld = QByteArray("an old picture ").repeated(68).left(1024);

// Where no new file can be made in the folder (no inode left), an existing file is written in
// place when its new bytes fit, and left as it was when they do not.
TEST(FullDisk, WithNoInodeLeftAFileIsWrittenInPlaceOnlyWhenItsBytesFit)
{
    for (const bool room : {true, false})
        for (const bool sync : {true, false}) {
            SCOPED_TRACE(testing::Message() << (room ? "room" : "no room") << ", "
                                            << (sync ? "synced" : "at the disk's pace"));
            test::ScratchDisk disk(4 << 20, 64);
            if (!disk.mounted())
                GTEST_SKIP() << disk.why().toStdString();
            const QString old = disk.filePath(QStringLiteral("map.bmp"));
            test::writeFile(old, kOld);
            if (!room)
                disk.fill();
            disk.useUpInodes();
            const QString error =
                save(disk.filePath(QStringLiteral("map")), SaveChoices{OutputFormat::Bmp}, sync);
            if (room) {
                EXPECT_EQ(error, QString());
                EXPECT_EQ(QImage(old).convertToFormat(QImage::Format_RGB32), bigPicture());
            } else {
                EXPECT_TRUE(error.contains(QDir::toNativeSeparators(old)) &&
                            error.contains(kNoSpace) && error.contains(QLatin1String("left as")))
                    << error.toStdString();
                EXPECT_EQ(test::readAll(old), kOld);
            }
        }
}

// A folder the user may not write, holding a file the user may, on a full disk: the old file
// stays whole. Permission bits do not stop root, so the save runs in a child as "nobody".
TEST(FullDisk, AFileInAFolderTheUserMayNotWriteIsLeftWholeWhenTheDiskIsFull)
{
    for (const bool sync : {true, false}) {
        SCOPED_TRACE(sync ? "synced" : "at the disk's pace");
        test::ScratchDisk disk(1 << 20, 1000);
        if (!disk.mounted())
            GTEST_SKIP() << disk.why().toStdString();
        const QString folder = disk.filePath(QStringLiteral("maps"));
        ASSERT_TRUE(QDir().mkdir(folder));
        const QString old = QDir(folder).filePath(QStringLiteral("level.bmp"));
        test::writeFile(old, kOld);
        ASSERT_EQ(::chmod(QFile::encodeName(old).constData(), 0666), 0);
        ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
        disk.fill();
        if (::geteuid() != 0)
            GTEST_SKIP() << "needs root to save as nobody";
        EXPECT_EXIT(
            {
                if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
                    std::fputs("cannot become nobody\n", stderr);
                    std::_Exit(2);
                }
                const QString error = save(QDir(folder).filePath(QStringLiteral("level")),
                                           SaveChoices{OutputFormat::Bmp}, sync);
                std::fputs(error.toLocal8Bit().constData(), stderr);
                std::_Exit(error.contains(QDir::toNativeSeparators(old)) && error.contains(kNoSpace)
                               ? 0
                               : 1);
            },
            testing::ExitedWithCode(0), "");
        EXPECT_EQ(test::readAll(old), kOld);
        EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"level.bmp"});
    }
}

// Each output on a disk that takes only part of it (a short write, then none) or none of it:
// the system's reason, once, with the file's name, and nothing left of it.
TEST(FullDisk, EveryOutputTellsTheSystemsReasonOnce)
{
    const OutputFormat formats[] = {OutputFormat::Bmp, OutputFormat::Png, OutputFormat::Gif,
                                    OutputFormat::Jpeg, OutputFormat::Csv};
    for (const OutputFormat format : formats)
        for (const bool sync : {true, false}) {
            const qint64 room = format == OutputFormat::Csv ? 0 : 8192;
            const OutputFormatRow& row = outputFormat(format);
            SCOPED_TRACE(testing::Message() << row.label << (sync ? ", synced" : ""));
            test::ScratchDisk disk(1 << 20, 1000);
            if (!disk.mounted())
                GTEST_SKIP() << disk.why().toStdString();
            disk.fill(room);
            const QString file =
                disk.filePath(QStringLiteral("map")) + QLatin1String(row.extension);
            const QString error =
                save(disk.filePath(QStringLiteral("map")), SaveChoices{format}, sync);
            EXPECT_EQ(error, QStringLiteral("Cannot write \"%1\": %2")
                                 .arg(QDir::toNativeSeparators(file), kNoSpace));
            EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files), QStringList{"filler"});
        }
}

#endif

} // namespace
} // namespace vt
