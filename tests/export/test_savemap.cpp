#include "export/FileNames.h"
#include "export/MapTable.h"
#include "export/SaveMap.h"

#include "ExportFixtures.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vt {
namespace {

class SaveMapTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_decoded.reset(2, 1);
        m_decoded.map[1][0] = -1;
        m_table = {&m_decoded, QStringLiteral("Blue: 40%"), 0, kCharRefAtlas};
    }

    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString shown(const QString& name) const { return QDir::toNativeSeparators(path(name)); }
    QStringList files() const
    {
        return QDir(m_dir.path())
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    }
    // What a save did: the files written, and the message of the SaveError that ended it
    // (any other exception fails the test).
    struct Saved
    {
        QStringList written;
        QString error;
        bool ok() const { return error.isEmpty(); }
    };
    // A save under the base name of `name`, as the window's dialogs give it.
    Saved save(const QString& name, SaveChoices choices, bool confirm,
               const SaveMapHooks& hooks = {})
    {
        try {
            return {
                SaveMapUnder(m_picture, RemoveExt(path(name)), choices, confirm, m_table, hooks),
                {}};
        } catch (const SaveError& error) {
            return {error.written(), error.message()};
        }
    }

    QTemporaryDir m_dir;
    QImage m_picture = test::blocksOf256Colours();
    DecodedMap m_decoded;
    MapTableSource m_table;
};

constexpr SaveChoices kAll{OutputFormat::Bmp, OutputFormat::Png, OutputFormat::Gif,
                           OutputFormat::Jpeg, OutputFormat::Csv};

TEST_F(SaveMapTest, OutputNamesComeFromTheBaseName)
{
    const struct
    {
        const char* name;
        SaveChoices choices;
        QStringList written;
    } cases[] = {
        {"x Decode.png", {OutputFormat::Png}, {"x Decode.png"}},
        {"x Decode.png", {OutputFormat::Bmp, OutputFormat::Csv}, {"x Decode.bmp", "x Decode.csv"}},
        {"x.jpg", {OutputFormat::Jpeg}, {"x.jpeg"}},
        {"y", kAll, {"y.bmp", "y.png", "y.gif", "y.jpeg", "y.csv"}},
    };
    for (const auto& c : cases) {
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
        const Saved result = save(QString::fromUtf8(c.name), c.choices, true);
        EXPECT_TRUE(result.ok()) << result.error.toStdString();
        QStringList expected;
        for (const QString& name : c.written)
            expected.append(shown(name));
        EXPECT_EQ(result.written, expected) << c.name;
        QStringList sorted = c.written;
        sorted.sort();
        EXPECT_EQ(files(), sorted) << c.name; // no temporary files left behind
    }
}

TEST_F(SaveMapTest, EachFileHoldsItsOwnFormat)
{
    ASSERT_TRUE(save(QStringLiteral("m.bmp"), kAll, false).ok());
    const struct
    {
        const char* name;
        QByteArray format;
    } pictures[] = {{"m.bmp", "bmp"}, {"m.png", "png"}, {"m.gif", "gif"}, {"m.jpeg", "jpeg"}};
    for (const auto& p : pictures) {
        QImageReader reader(path(QString::fromUtf8(p.name)));
        reader.setDecideFormatFromContent(true);
        EXPECT_EQ(reader.format(), p.format) << p.name;
        const QImage back = reader.read();
        EXPECT_EQ(back.size(), m_picture.size()) << p.name;
        if (p.format != "jpeg") {
            EXPECT_EQ(test::rgb(back), m_picture) << p.name;
        }
    }
    EXPECT_EQ(test::readAll(path(QStringLiteral("m.csv"))), QByteArray("Blue\r\n0,unk\r\n"));
}

TEST_F(SaveMapTest, OverwriteQuestionsComeFirstAndDropOnlyTheRefusedOutput)
{
    test::writeFile(path(QStringLiteral("b.bmp")), "old bmp");
    test::writeFile(path(QStringLiteral("b.csv")), "old csv");
    QStringList asked;
    QList<int> progress;
    SaveMapHooks hooks;
    hooks.confirm = [&](const QString& message) {
        // Nothing has been written while questions are still being asked.
        EXPECT_TRUE(progress.isEmpty());
        EXPECT_EQ(files(), (QStringList{"b.bmp", "b.csv"}));
        EXPECT_EQ(test::readAll(path(QStringLiteral("b.csv"))), QByteArray("old csv"));
        asked.append(message);
        return asked.size() == 2; // No to the first, Yes to the second
    };
    hooks.progress = [&](int percent) { progress.append(percent); };

    const Saved result =
        save(QStringLiteral("b.gif"), {OutputFormat::Bmp, OutputFormat::Png, OutputFormat::Csv},
             true, hooks);
    EXPECT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(asked, (QStringList{QLatin1Char('"') + shown(QStringLiteral("b.bmp")) +
                                      QStringLiteral("\" already exists. Overwrite?"),
                                  QLatin1Char('"') + shown(QStringLiteral("b.csv")) +
                                      QStringLiteral("\" already exists. Overwrite?")}));
    EXPECT_EQ(result.written,
              (QStringList{shown(QStringLiteral("b.png")), shown(QStringLiteral("b.csv"))}));
    EXPECT_EQ(test::readAll(path(QStringLiteral("b.bmp"))), QByteArray("old bmp"));
    EXPECT_EQ(test::readAll(path(QStringLiteral("b.csv"))), QByteArray("Blue\r\n0,unk\r\n"));
    EXPECT_EQ(progress, (QList<int>{20, 40, 60, 80}));
}

TEST_F(SaveMapTest, WithoutConfirmationExistingFilesAreReplacedUnasked)
{
    test::writeFile(path(QStringLiteral("c.csv")), "old");
    SaveMapHooks hooks;
    hooks.confirm = [](const QString& message) {
        ADD_FAILURE() << "asked " << message.toStdString();
        return false;
    };
    EXPECT_TRUE(save(QStringLiteral("c"), {OutputFormat::Csv}, false, hooks).ok());
    EXPECT_EQ(test::readAll(path(QStringLiteral("c.csv"))), QByteArray("Blue\r\n0,unk\r\n"));

    // Asked but nobody to answer: the existing file is kept.
    test::writeFile(path(QStringLiteral("c.csv")), "old");
    EXPECT_TRUE(save(QStringLiteral("c"), {OutputFormat::Csv}, true).ok());
    EXPECT_EQ(test::readAll(path(QStringLiteral("c.csv"))), QByteArray("old"));
}

TEST_F(SaveMapTest, NothingChosenWritesNothing)
{
    QList<int> progress;
    SaveMapHooks hooks;
    hooks.progress = [&](int percent) { progress.append(percent); };
    const Saved none = save(QStringLiteral("n.png"), {}, true, hooks);
    EXPECT_TRUE(none.ok());
    EXPECT_TRUE(none.written.isEmpty());
    EXPECT_EQ(progress, (QList<int>{20, 40, 60, 80}));
    EXPECT_TRUE(files().isEmpty());
}

TEST_F(SaveMapTest, FailedWritesStopTheSaveAndLoseNothing)
{
    QList<int> progress;
    SaveMapHooks hooks;
    hooks.progress = [&](int percent) { progress.append(percent); };
    hooks.confirm = [](const QString&) { return true; };

    // A target that is a folder: the BMP before it stays, the GIF after it is not tried.
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("f.png")));
    Saved result = save(QStringLiteral("f"),
                        {OutputFormat::Bmp, OutputFormat::Png, OutputFormat::Gif}, true, hooks);
    EXPECT_TRUE(result.error.startsWith(QStringLiteral("Cannot write \"") +
                                        shown(QStringLiteral("f.png")) + QStringLiteral("\": ")))
        << result.error.toStdString();
    EXPECT_EQ(result.written, QStringList{shown(QStringLiteral("f.bmp"))});
    EXPECT_EQ(progress, QList<int>{20});
    EXPECT_EQ(files(), (QStringList{"f.bmp", "f.png"}));

    // A missing folder, and a folder that is a file.
    test::writeFile(path(QStringLiteral("plain")), "x");
    for (const QString& name : {QStringLiteral("missing/g"), QStringLiteral("plain/g")}) {
        result = save(name, {OutputFormat::Csv}, false);
        const QString target = shown(name + QStringLiteral(".csv"));
        EXPECT_TRUE(result.error.startsWith(QStringLiteral("Cannot write \"") + target +
                                            QStringLiteral("\": ")))
            << result.error.toStdString();
        EXPECT_GT(result.error.size(),
                  QStringLiteral("Cannot write \"\": ").size() + target.size());
        EXPECT_TRUE(result.written.isEmpty());
    }

    // A picture that cannot be encoded leaves the earlier file of that name as it was.
    test::writeFile(path(QStringLiteral("h.png")), "earlier");
    m_picture = QImage();
    result = save(QStringLiteral("h"), {OutputFormat::Png, OutputFormat::Csv}, false);
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.error.contains(shown(QStringLiteral("h.png"))));
    EXPECT_EQ(test::readAll(path(QStringLiteral("h.png"))), QByteArray("earlier"));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("h.csv"))));
    EXPECT_EQ(files(), (QStringList{"f.bmp", "f.png", "h.png", "plain"}));
}

// Without the flush of each file (runs over many grabs) a target is still replaced only by a
// complete file, keeps its permissions, and no temporary file is left behind.
TEST_F(SaveMapTest, WithoutFlushingEachFileTargetsAreStillReplacedWhole)
{
    SaveMapHooks hooks;
    hooks.syncEachFile = false;
    test::writeFile(path(QStringLiteral("y.bmp")), "old");
    const auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                           QFileDevice::ReadUser | QFileDevice::WriteUser;
    ASSERT_TRUE(QFile::setPermissions(path(QStringLiteral("y.bmp")), ownerOnly));

    Saved result = save(QStringLiteral("y"), {OutputFormat::Bmp, OutputFormat::Csv}, false, hooks);
    EXPECT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(test::rgb(QImage(path(QStringLiteral("y.bmp")))), test::rgb(m_picture));
    EXPECT_EQ(QFile::permissions(path(QStringLiteral("y.bmp"))), ownerOnly);
    EXPECT_TRUE(QFile::permissions(path(QStringLiteral("y.csv"))) & QFileDevice::ReadOther);

    // A target that is a folder, then a picture that cannot be encoded over an earlier file.
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("f.png")));
    result = save(QStringLiteral("f"), {OutputFormat::Bmp, OutputFormat::Png}, false, hooks);
    EXPECT_TRUE(result.error.contains(shown(QStringLiteral("f.png"))))
        << result.error.toStdString();
    test::writeFile(path(QStringLiteral("h.png")), "earlier");
    m_picture = QImage();
    result = save(QStringLiteral("h"), {OutputFormat::Png}, false, hooks);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(test::readAll(path(QStringLiteral("h.png"))), QByteArray("earlier"));
    EXPECT_EQ(files(), (QStringList{"f.bmp", "f.png", "h.png", "y.bmp", "y.csv"}));
}

TEST_F(SaveMapTest, TableWithoutADecodedMapIsAnErrorAfterThePictures)
{
    test::writeFile(path(QStringLiteral("t.csv")), "old");
    SaveMapHooks hooks;
    hooks.confirm = [](const QString& message) {
        ADD_FAILURE() << "asked " << message.toStdString();
        return true;
    };
    const DecodedMap empty;
    for (const DecodedMap* decoded : {static_cast<const DecodedMap*>(nullptr), &empty}) {
        m_table.decoded = decoded;
        const Saved result =
            save(QStringLiteral("t"), {OutputFormat::Png, OutputFormat::Csv}, true, hooks);
        EXPECT_TRUE(result.error.startsWith(QStringLiteral("No decoded map to write as a table: ")))
            << result.error.toStdString();
        EXPECT_EQ(result.written, QStringList{shown(QStringLiteral("t.png"))});
        EXPECT_EQ(test::readAll(path(QStringLiteral("t.csv"))), QByteArray("old"));
        QFile::remove(path(QStringLiteral("t.png")));
    }
}

} // namespace
} // namespace vt
