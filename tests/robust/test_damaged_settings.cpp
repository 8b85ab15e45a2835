// A settings file that is damaged, unreadable or unwritable, and values of the wrong type: the
// start-up reads give defaults, tell each problem once, and never write over what they could
// not read without keeping a copy.
#include "session/Preferences.h"
#include "settings/RegUtils.h"

#include "DamagedSettings.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <QElapsedTimer>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string_view>
#include <thread>

#ifdef __linux__
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vt {
namespace {

class DamagedSettingsTest : public ::testing::Test
{
protected:
    void TearDown() override { useSettingsFile(m_previous); }

    // Points the store at `name` in the test's folder, with `content` unless it is null.
    QString useFile(const QString& name, const QByteArray& content = {})
    {
        const QString path = m_dir.filePath(name);
        if (!content.isNull())
            test::writeFile(path, content);
        useSettingsFile(path);
        return path;
    }

    QTemporaryDir m_dir;

private:
    QString m_previous = usedSettingsFile();
};

TEST_F(DamagedSettingsTest, ADamagedFileIsKeptAsACopyBeforeItIsWrittenAndToldOnce)
{
    const struct
    {
        const char* name;
        QByteArray content;
    } cases[] = {
        {"unclosed-section.ini", "[General\nProbMatch=70\n"},
        {"line-without-value.ini", "[General]\nthis line has no value\nProbMatch=70\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = useFile(QLatin1String(c.name), c.content);
        EXPECT_EQ(test::runStartupReads().probMatch, 70);

        EXPECT_EQ(test::readAll(path + QStringLiteral(".broken")), c.content);
        const QStringList problems = takeSettingsProblems();
        ASSERT_EQ(problems.size(), 1) << problems.join('|').toStdString();
        EXPECT_TRUE(
            problems[0].contains(QDir::toNativeSeparators(path + QStringLiteral(".broken"))))
            << problems[0].toStdString();
        // Written afresh with what could be read and the defaults for the rest; the next start
        // finds nothing to tell.
        EXPECT_NE(test::readAll(path), c.content);
        test::runStartupReads();
        EXPECT_TRUE(takeSettingsProblems().isEmpty());
        useSettingsFile(path);
        EXPECT_EQ(test::runStartupReads().probMatch, 70);
        EXPECT_TRUE(takeSettingsProblems().isEmpty());
    }
}

TEST_F(DamagedSettingsTest, AnEarlierCopyIsNeverReplacedAndWithoutACopyTheFileIsNotWritten)
{
    const QByteArray first = "[General\nProbMatch=70\n";
    const QByteArray second = "[General\nProbMatch=71\n";
    const QString path = useFile(QStringLiteral("settings.ini"), first);
    test::runStartupReads();
    test::writeFile(path, second);
    useSettingsFile(path); // the next start
    test::runStartupReads();
    EXPECT_EQ(test::readAll(path + QStringLiteral(".broken")), first);
    EXPECT_EQ(test::readAll(path + QStringLiteral(".broken.1")), second);

    // A third start with every copy name taken: the file stays as it is.
    const QByteArray third = "[General\nProbMatch=72\n";
    test::writeFile(path, third);
    for (int n = 2; n < 100; ++n)
        ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("settings.ini.broken.%1").arg(n)));
    (void)takeSettingsProblems();
    useSettingsFile(path);
    test::runStartupReads();
    SetRegInteger(reg::ProbMatch, 50);
    EXPECT_EQ(test::readAll(path), third);
    const QStringList problems = takeSettingsProblems();
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].contains(QStringLiteral("no copy"))) << problems[0].toStdString();
}

// CI runs as root, whom permission bits do not stop: the store is made unusable by what stands
// in the way instead.
TEST_F(DamagedSettingsTest, AStoreThatCannotBeReadOrWrittenGivesTheDefaultsAndOneMessage)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("folder.ini")));
    test::writeFile(m_dir.filePath(QStringLiteral("file")), "not a folder");
    for (const QString& name :
         {QStringLiteral("folder.ini"), QStringLiteral("file/settings.ini")}) {
        SCOPED_TRACE(name.toStdString());
        const QString path = useFile(name);
        const test::StartupValues values = test::runStartupReads();
        EXPECT_EQ(values.flags, regdefault::Flags);
        EXPECT_EQ(values.probMatch, regdefault::ProbMatch);
        EXPECT_EQ(values.mapName, regdefault::MapName);
        SetRegInteger(reg::ProbMatch, 50);
        const QStringList problems = takeSettingsProblems();
        ASSERT_EQ(problems.size(), 1) << problems.join('|').toStdString();
        EXPECT_TRUE(problems[0].contains(QDir::toNativeSeparators(path)));
    }
}

TEST_F(DamagedSettingsTest, AValueOfTheWrongTypeIsToldWithWhatItHeld)
{
    useFile(QStringLiteral("types.ini"), "[General]\n"
                                         "Flags=1, 2\n"
                                         "ProbMatch=eighty\n"
                                         "PixelMatch=75\n"
                                         "MapName=a, b\n"
                                         "CharRef=99999999999\n");
    const test::StartupValues values = test::runStartupReads();
    EXPECT_EQ(values.flags, regdefault::Flags);
    EXPECT_EQ(values.probMatch, regdefault::ProbMatch);
    EXPECT_EQ(values.pixelMatch, 75);
    EXPECT_EQ(values.mapName, regdefault::MapName);
    EXPECT_EQ(values.charRef, regdefault::CharRef);

    const QStringList problems = takeSettingsProblems();
    const QStringList expected[] = {
        {QStringLiteral("\"Flags\""), QStringLiteral("\"1, 2\""), QStringLiteral("17")},
        {QStringLiteral("\"ProbMatch\""), QStringLiteral("\"eighty\""), QStringLiteral("88")},
        {QStringLiteral("\"MapName\""), QStringLiteral("\"a, b\""), QStringLiteral("%s-decode")},
        {QStringLiteral("\"CharRef\""), QStringLiteral("99999999999")},
    };
    ASSERT_EQ(problems.size(), std::size(expected)) << problems.join('\n').toStdString();
    for (std::size_t i = 0; i < std::size(expected); ++i)
        for (const QString& part : expected[i])
            EXPECT_TRUE(problems[int(i)].contains(part)) << problems[int(i)].toStdString();
    // Stored back with the defaults: told once.
    test::runStartupReads();
    EXPECT_TRUE(takeSettingsProblems().isEmpty());
}

// Qt reads "@Variant(...)" values through QDataStream, which trusts the counts in them: the
// fixture, found by fuzzing, is 65 bytes that made Qt reserve 41 GB for a list at start-up.
// The program never stores such values, so no line that could give one reaches Qt's parser.
TEST_F(DamagedSettingsTest, ValuesQtWouldDeserialiseAreTakenOutBeforeItParsesTheFile)
{
    QFile fixture(QStringLiteral(VT_FIXTURES "/settings-variant-reserving-gigabytes.ini"));
    ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
    const QByteArray huge = "@Variant(\\0\\0\\0\\t\\xff\\xff\\xff\\xff)";
    const struct
    {
        const char* name;
        QByteArray content;
    } cases[] = {
        {"fuzzed.ini", fixture.readAll()},
        {"plain.ini", "[General]\nProbMatch=70\nFlags=" + huge + "\n"},
        {"escaped.ini", "[General]\nProbMatch=70\nFlags=\\x40Variant(\\0\\0\\0\\t\\xff)\n"},
        {"wrapped-escape.ini", "[General]\nProbMatch=70\nFlags=\\x10040Variant(\\0)\n"},
        {"octal.ini", "[General]\nProbMatch=70\nFlags=\\100Variant(\\0)\n"},
        {"quoted.ini", "[General]\nProbMatch=70\nFlags=\"" + huge + "\"\n"},
        {"list-element.ini", "[General]\nProbMatch=70\nFlags=1, " + huge + "\n"},
        {"after-an-at.ini", "[General]\nProbMatch=70\nFlags=a@," + huge + "\n"},
        {"other-key.ini", "[General]\nProbMatch=70\n[Other]\nX=" + huge + "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = useFile(QLatin1String(c.name), c.content);
        const test::StartupValues values = test::runStartupReads();
        EXPECT_EQ(values.flags, regdefault::Flags);
        if (c.content.contains("ProbMatch=70")) {
            EXPECT_EQ(values.probMatch, 70);
        }
        EXPECT_EQ(test::readAll(path + QStringLiteral(".broken")), c.content);
        EXPECT_FALSE(test::readAll(path).contains("Variant"));
        const QStringList problems = takeSettingsProblems();
        ASSERT_EQ(problems.size(), 1) << problems.join('|').toStdString();
        EXPECT_TRUE(problems[0].contains(QStringLiteral("never stores")))
            << problems[0].toStdString();
    }

    // Texts Qt writes with an "@" of its own read back as they were: one that starts with "@"
    // ("@@..."), one with "@" inside, one with a zero character ("@String(...)", which fuzzing
    // found taken out at first).
    const QString path =
        useFile(QStringLiteral("at-signs.ini"), "[General]\nMapName=\"@@x, @y\"\nProbMatch=70\n");
    const QString texts[] = {QStringLiteral("@home"), QString::fromLatin1("9\0e", 3)};
    SetRegString(QStringLiteral("First"), texts[0]);
    SetRegString(QStringLiteral("Second"), texts[1]);
    EXPECT_EQ(test::runStartupReads().mapName, QStringLiteral("@x, @y"));
    useSettingsFile(path);
    EXPECT_EQ(GetRegString(QStringLiteral("First"), {}), texts[0]);
    EXPECT_EQ(GetRegString(QStringLiteral("Second"), {}), texts[1]);
    EXPECT_TRUE(takeSettingsProblems().isEmpty());
    EXPECT_FALSE(QFile::exists(path + QStringLiteral(".broken")));
}

// Reading without changing (the command line): a file with such values, or a damaged one, is
// read as the window would read it, but stays byte for byte as it was, with no copy beside it.
TEST_F(DamagedSettingsTest, ReadingOnlyLeavesAnyFileAsItIsAndTellsOnce)
{
    const QByteArray huge = "@Variant(\\0\\0\\0\\t\\xff\\xff\\xff\\xff)";
    const struct
    {
        const char* name;
        QByteArray content;
        const char* says;
    } cases[] = {
        {"variant.ini", "[General]\nProbMatch=70\nFlags=" + huge + "\nMapName=%s-m\n",
         "never stores"},
        {"damaged.ini", "[General\nProbMatch=70\nMapName=%s-m\n", "damaged"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = useFile(QLatin1String(c.name), c.content);
        const Preferences prefs = readPreferences(StoreAccess::ReadOnly);
        EXPECT_EQ(prefs.thresholds.prob_match, 70);
        EXPECT_EQ(prefs.pattern, QStringLiteral("%s-m"));
        EXPECT_EQ(prefs.bulkOutputs, Preferences().bulkOutputs); // Flags: the default
        EXPECT_EQ(test::readAll(path), c.content);
        EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{QLatin1String(c.name)});
        const QStringList problems = takeSettingsProblems();
        ASSERT_EQ(problems.size(), 1) << problems.join('|').toStdString();
        EXPECT_TRUE(problems[0].contains(QLatin1String(c.says))) << problems[0].toStdString();
        EXPECT_TRUE(problems[0].contains(QDir::toNativeSeparators(path)));
        QFile::remove(path);
    }
}

#ifdef __linux__
// The window's store as a pipe, as a link to an endless device, or as a file over 1 MiB: none
// is read (a pipe would block the start-up for ever, the device would be read until memory runs
// out), the defaults stand in, told once, and nothing is written to it or copied beside it.
TEST_F(DamagedSettingsTest, ASpecialOrHugeFileIsNeitherReadNorWritten)
{
    for (const char* kind : {"pipe", "endless", "huge"}) {
        SCOPED_TRACE(kind);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("settings.ini"));
        const QByteArray name = QFile::encodeName(path);
        const QByteArray huge = "[General]\nProbMatch=50\n" + QByteArray((1 << 20) + 10, ';');
        if (kind == std::string_view("pipe"))
            ASSERT_EQ(::mkfifo(name.constData(), 0644), 0);
        else if (kind == std::string_view("endless"))
            ASSERT_EQ(::symlink("/dev/zero", name.constData()), 0);
        else
            test::writeFile(path, huge);
        // Should a reader block on the pipe, a writer lets it go each time, after a while.
        std::atomic<bool> done{false};
        std::thread release([&] {
            for (int i = 0; !done; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                if (i >= 40 && kind == std::string_view("pipe")) {
                    const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK);
                    if (fd >= 0)
                        ::close(fd);
                }
            }
        });
        QElapsedTimer clock;
        clock.start();
        useSettingsFile(path);
        const test::StartupValues values = test::runStartupReads();
        SetRegInteger(reg::ProbMatch, 60);
        done = true;
        release.join();
        EXPECT_LT(clock.elapsed(), 2000);
        EXPECT_EQ(values.probMatch, regdefault::ProbMatch);
        EXPECT_EQ(values.mapName, regdefault::MapName);
        const QStringList problems = takeSettingsProblems();
        ASSERT_EQ(problems.size(), 1) << problems.join('|').toStdString();
        EXPECT_TRUE(problems[0].contains(QDir::toNativeSeparators(path)));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::System),
                  QStringList{QStringLiteral("settings.ini")});
        if (kind == std::string_view("huge"))
            EXPECT_EQ(test::readAll(path), huge);
        else
            EXPECT_FALSE(QFileInfo(path).isFile());
    }
}
#endif

// Found by fuzzing and not mended yet: a file Qt reads without a complaint (a key of slashes,
// a text with a zero character) is rewritten by Qt when the first default is stored, in a form
// Qt itself then reads as damaged; that rewrite, not the user's file, is what gets copied to
// ".broken". Enabled once the store keeps the file as it was found.
TEST_F(DamagedSettingsTest, DISABLED_ACopyHoldsTheFileAsFoundEvenWhenQtsRewriteReadsAsDamaged)
{
    const QByteArray content = test::readAll(
        QDir(QStringLiteral(VT_FIXTURES))
            .filePath(QStringLiteral("open-settings-qt-rewrite-it-cannot-read-back.ini")));
    ASSERT_FALSE(content.isEmpty());
    const QString path = useFile(QStringLiteral("settings.ini"), content);
    (void)test::runStartupReads();
    (void)takeSettingsProblems();
    if (QFile::exists(path + QStringLiteral(".broken"))) {
        EXPECT_EQ(test::readAll(path + QStringLiteral(".broken")), content);
    }
}

// The settings files fuzzing found a fault with: whatever the first start makes of one, the
// next start reads the same values and has nothing to tell, and a copy kept holds the file as
// it was.
TEST_F(DamagedSettingsTest, FilesFoundByFuzzingSettleAfterOneStart)
{
    const QDir fixtures(QStringLiteral(VT_FIXTURES));
    const QStringList names = fixtures.entryList({QStringLiteral("settings-*.ini")}, QDir::Files);
    ASSERT_FALSE(names.isEmpty());
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray content = test::readAll(fixtures.filePath(name));
        const QString path = useFile(name, content);
        const test::StartupValues first = test::runStartupReads();
        (void)takeSettingsProblems();
        if (QFile::exists(path + QStringLiteral(".broken"))) {
            EXPECT_EQ(test::readAll(path + QStringLiteral(".broken")), content);
        }

        useSettingsFile(path);
        const test::StartupValues second = test::runStartupReads();
        EXPECT_TRUE(takeSettingsProblems().isEmpty());
        EXPECT_EQ(second.flags, first.flags);
        EXPECT_EQ(second.probMatch, first.probMatch);
        EXPECT_EQ(second.pixelMatch, first.pixelMatch);
        EXPECT_EQ(second.vorlanMatch, first.vorlanMatch);
        EXPECT_EQ(second.mapName, first.mapName);
        EXPECT_EQ(second.charRef, first.charRef);
    }
}

} // namespace
} // namespace vt
