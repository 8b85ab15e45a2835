// Pictures we did not make, pictures made to hurt, and files that change under the loader: each
// is loaded, analysed and decoded, or refused with a message naming it.
#include "charsets/Atlas.h"
#include "charsets/Resources.h"
#include "decode/MapDecoder.h"
#include "intake/GrabLoader.h"
#include "intake/GridLocator.h"
#include "intake/ImageSignature.h"
#include "pictures/BmpByteImage.h"
#include "pictures/Error.h"
#include "pictures/Halftone.h"

#include "HostileFiles.h"
#include "TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <thread>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vt {
namespace {

// The refusal of a file: a vt::Error whose message names it; empty when it was read.
QString refusalOf(const QString& path)
{
    try {
        (void)readGrabFile(path);
    } catch (const Error& error) {
        return error.message();
    }
    return {};
}

// The library's road of one grab: read, reduce, locate, decode. Gives what went wrong, empty
// when the file was handled (decoded, or refused by a message naming it).
QString handle(const QString& path)
{
    static const QByteArray hero =
        bmpByteImage(reduceToHalftone(programPicture(QStringLiteral("HERO"))));
    static const QImage puzzle = programPicture(QStringLiteral("PUZZLE"));
    static std::map<std::pair<int, int>, std::vector<QImage>> characterSets;
    const auto characters = [](int game, int colour, bool fullsize) -> const std::vector<QImage>& {
        auto& set = characterSets[{game * 2 + (fullsize ? 1 : 0), colour}];
        if (set.empty())
            set = loadCharacters(game, colour, fullsize);
        return set;
    };

    QImage picture;
    try {
        picture = readGrabFile(path);
    } catch (const Error& error) {
        return error.message().contains(QFileInfo(path).fileName())
                   ? QString()
                   : QStringLiteral("refused without naming the file: ") + error.message();
    }
    try {
        const WorkingPictures pictures = makeWorkingPictures(picture);
        LocateInput locate;
        locate.working = &pictures.working;
        locate.hero = &hero;
        const LocateResult located = locateGrid(locate);
        if (located.windowNotFound)
            return {}; // the window says so and stops: nothing to decode
        const int game = located.selectGame >= 0 ? located.selectGame : 0;
        const int colour = std::max(located.chosenScheme, 0);

        DecodeInput input;
        input.working = &pictures.working;
        input.fullcolour = &pictures.fullcolour;
        input.grid = located.grid;
        input.mapsize = &characters(game, colour, false);
        input.fullsize = &characters(game, colour, true);
        input.puzzle = &puzzle;
        const DecodeResult result = decodeMap(input);
        if (result.decoded.columns() != located.grid.grab_width ||
            result.decoded.rows() != located.grid.grab_height ||
            result.picture.size() !=
                QSize(located.grid.grab_width * kFullSize, located.grid.grab_height * kFullSize))
            return QStringLiteral("decoded a map of the wrong size");
    } catch (const std::exception& error) {
        return QStringLiteral("failed after loading: ") + QString::fromUtf8(error.what());
    }
    return {};
}

// Every file of the corpus folders, README and checksum files included: those must be refused
// as well as any broken picture.
TEST(HostileFiles, EveryCorpusFileIsDecodedOrRefusedByName)
{
    const QString corpora = test::corporaDir();
    if (corpora.isEmpty())
        GTEST_SKIP() << "the third-party pictures are not there";

    const QStringList files = test::corpusFiles();
    ASSERT_GT(files.size(), 100);

    QStringList failures;
    int decoded = 0;
    for (const QString& path : files) {
        QElapsedTimer clock;
        clock.start();
        const QString problem = handle(path);
        if (!problem.isEmpty())
            failures.append(QDir(corpora).relativeFilePath(path) + QStringLiteral(": ") + problem);
        else if (refusalOf(path).isEmpty())
            ++decoded;
        // A hang shows as a file that takes far longer than any picture of its size should.
        if (clock.elapsed() > 30'000)
            failures.append(QDir(corpora).relativeFilePath(path) +
                            QStringLiteral(": took %1 ms").arg(clock.elapsed()));
    }
    EXPECT_TRUE(failures.isEmpty())
        << failures.size() << " of " << files.size() << " files were not handled:\n"
        << failures.join(QLatin1Char('\n')).toStdString();
    // The suites' good pictures do load: a loader that refused everything would pass the above.
    EXPECT_GT(decoded, 150) << "of " << files.size();
}

// Headers that claim sizes past the limits, with no pixel data behind them: a decoder that ran
// would fail on the missing data, so "too large" shows the size was judged from the header.
TEST(HostileFiles, HeadersClaimingHugeSizesAreRefusedBeforeDecoding)
{
    using namespace test::hostile;
    const struct
    {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"wide.bmp", bmpHeader(16385, 10)},
        {"bytes.bmp", bmpHeader(9000, 9000)},
        {"topdown.bmp", bmpHeader(100, -20000)},
        {"most-negative.bmp", bmpHeader(10, INT32_MIN)},
        {"core-header.bmp", bmpCoreHeader(20000, 10)},
        {"wide.png", pngHeader(100000, 1)},
        {"bytes.png", pngHeader(9000, 9000)},
        {"sides.png", pngHeader(0xFFFFFFFFu, 0xFFFFFFFFu)},
        // A GIF decodes into its logical screen, whatever size its first frame has.
        {"screen.gif", gifFile(12000, 12000, 10, 10)},
        {"frame-without-screen.gif", gifFile(0, 0, 20000, 20000)},
        {"wide.jpeg", jpegHeader(20000, 10)},
        {"bytes.jpeg", jpegHeader(9000, 9000)},
        {"sides.jpeg", jpegHeader(65500, 65500)},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        const QString path = dir.filePath(QLatin1String(c.name));
        test::writeFile(path, c.bytes);
        ASSERT_NE(imageKind(path), ImageKind::None) << c.name;
        QElapsedTimer clock;
        clock.start();
        const QString message = refusalOf(path);
        EXPECT_TRUE(message.contains(QStringLiteral("too large")) &&
                    message.contains(QLatin1String(c.name)))
            << c.name << ": " << message.toStdString();
        EXPECT_LT(clock.elapsed(), 2000) << c.name;
    }
}

// Qt's decoders stop at 128 MB of their own accord; grabs up to our 256 MB must still load.
TEST(HostileFiles, AGrabAboveQtsOwnCeilingButWithinOursLoads)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("screen-6000.gif"));
    test::writeFile(path, test::hostile::gifFile(6000, 6000, 1, 1));
    EXPECT_EQ(readGrabFile(path).size(), QSize(6000, 6000));
}

// The signature test and the decoding read one open file: a grab swapped for another file in
// between is read as it was, or refused, but never decoded as the file that took its place
// (here a PPM, which Qt reads but a grab never is).
TEST(HostileFiles, AFileReplacedWhileItIsLoadedIsReadAsOneWholeFile)
{
    QTemporaryDir dir;
    QImage grab(32, 30, QImage::Format_RGB32);
    grab.fill(Qt::green);
    const QString bmp = dir.filePath(QStringLiteral("grab.bmp.new"));
    const QString ppm = dir.filePath(QStringLiteral("other.ppm.new"));
    ASSERT_TRUE(grab.save(bmp, "BMP"));
    ASSERT_TRUE(QImage(48, 48, QImage::Format_RGB32).save(ppm, "PPM"));
    const QString target = dir.filePath(QStringLiteral("grab.bmp"));
    ASSERT_TRUE(QFile::copy(bmp, target));

    std::atomic<bool> stop = false;
    std::thread swapper([&] {
        const QByteArray from[] = {QFile::encodeName(bmp), QFile::encodeName(ppm)};
        const QByteArray link = QFile::encodeName(target) + ".link";
        const QByteArray to = QFile::encodeName(target);
        // rename() puts a whole file in the grab's place in one step, as a program saving over
        // the grab does.
        for (int i = 0; !stop; i = 1 - i) {
            ::unlink(link.constData());
            if (::link(from[i].constData(), link.constData()) == 0)
                std::rename(link.constData(), to.constData());
        }
    });
    int read = 0;
    QStringList wrong;
    for (int attempt = 0; attempt < 3000 && wrong.isEmpty(); ++attempt) {
        try {
            const QImage picture = readGrabFile(target);
            if (picture.size() == grab.size())
                ++read;
            else
                wrong.append(QStringLiteral("decoded the file that replaced the grab"));
        } catch (const Error& error) {
            if (!error.message().contains(QStringLiteral("grab.bmp")))
                wrong.append(error.message());
        }
    }
    stop = true;
    swapper.join();
    EXPECT_TRUE(wrong.isEmpty()) << wrong.join(QLatin1Char('\n')).toStdString();
    EXPECT_GT(read, 0);
}

#ifndef _WIN32
// A named pipe among the grabs would hold the load (and a bulk run) for ever once opened: it
// is never opened. The writer below lets every open for reading through, and notes it.
TEST(HostileFiles, APipeIsNeverOpened)
{
    QTemporaryDir dir;
    const QByteArray pipe = QFile::encodeName(dir.filePath(QStringLiteral("grab.png")));
    ASSERT_EQ(mkfifo(pipe.constData(), 0600), 0);
    std::atomic<bool> released = false;
    std::atomic<int> opensByLoader = 0;
    std::thread writer([&] {
        while (!released) {
            const int fd = ::open(pipe.constData(), O_WRONLY); // waits for a reader
            if (!released)
                ++opensByLoader;
            if (fd >= 0)
                ::close(fd);
        }
    });
    EXPECT_FALSE(IsAnImage(QFile::decodeName(pipe)));
    EXPECT_TRUE(refusalOf(QFile::decodeName(pipe)).contains(QStringLiteral("grab.png")));
    released = true;
    const int fd = ::open(pipe.constData(), O_RDONLY | O_NONBLOCK); // lets the writer go
    writer.join();
    if (fd >= 0)
        ::close(fd);
    EXPECT_EQ(opensByLoader, 0);
}
#endif

} // namespace
} // namespace vt
