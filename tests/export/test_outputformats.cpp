// The output table: every name an output is known by leads back to it, and the files a bulk
// run plans to write are the files the save writes, whatever outputs are chosen.
#include "export/OutputFormats.h"
#include "export/SaveMap.h"
#include "session/BulkRun.h"

#include "ExportFixtures.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vt {
namespace {

using F = OutputFormat;

// The names users and their stored settings know each output by: none of them may change.
struct Known
{
    OutputFormat format;
    const char* extension;
    const char* dialogRow; // in the Save Map dialog; null: none
    int dialogIndex;
    const char* cliName;
    int flagBit;
    int progressAfter;
};
constexpr Known kKnown[] = {
    {F::Bmp, ".bmp", "Windows Bitmap (*.bmp)", 0, "bmp", 0, 20},
    {F::Png, ".png", "PNG Image File (*.png)", 2, "png", 2, 40},
    {F::Gif, ".gif", "GIF Image File (*.gif)", 1, "gif", 1, 60},
    {F::Jpeg, ".jpeg", "JPEG Image File (*.jpeg)", 3, "jpeg", 3, 80},
    {F::Csv, ".csv", "Comma Separated Value file (*.csv)", 4, "csv", 4, -1},
    {F::Tileset, nullptr, nullptr, -1, nullptr, -1, -1},
    {F::Tmx, ".tmx", "Tiled Map (*.tmx)", 5, "tmx", -1, -1},
    {F::Json, ".json", nullptr, -1, "json", -1, -1},
};

TEST(OutputFormats, EveryNameOfAnOutputLeadsBackToIt)
{
    const QStringList mapRows = saveDialogRows(true);
    const QStringList pictureRows = saveDialogRows(false);
    ASSERT_EQ(mapRows.size(), 6);
    EXPECT_EQ(pictureRows, mapRows.mid(0, 4)); // the Save Screengrab dialog: the picture rows
    qint32 allBits = 0;
    for (const Known& k : kKnown) {
        SCOPED_TRACE(int(k.format));
        const OutputFormatRow& row = outputFormat(k.format);
        EXPECT_EQ(row.format, k.format);
        EXPECT_EQ(QString::fromLatin1(row.extension), QString::fromLatin1(k.extension));
        EXPECT_EQ(row.progressAfter, k.progressAfter);

        // The dialog's row and the name's extension.
        if (k.dialogRow) {
            EXPECT_EQ(mapRows.value(k.dialogIndex), QLatin1String(k.dialogRow));
            EXPECT_EQ(saveDialogFormat(QLatin1String(k.extension)), k.format);
            EXPECT_EQ(pictureRows.contains(QLatin1String(k.dialogRow)),
                      row.source == OutputSource::Picture);
        } else if (k.extension) {
            EXPECT_FALSE(saveDialogFormat(QLatin1String(k.extension)));
        }

        // -f, whatever the case.
        if (k.cliName) {
            EXPECT_EQ(cliFormat(QLatin1String(k.cliName)), k.format);
            EXPECT_EQ(cliFormat(QString::fromLatin1(k.cliName).toUpper()), k.format);
        }

        // "Flags", both ways.
        const qint32 bit = k.flagBit >= 0 ? 1 << k.flagBit : 0;
        EXPECT_EQ(flagsOf(SaveChoices{k.format}), bit);
        if (k.flagBit >= 0) {
            EXPECT_EQ(formatsOfFlags(bit), SaveChoices{k.format});
        }
        allBits |= bit;
    }
    EXPECT_EQ(allBits, 31); // bit 5 is the puzzle piece's

    const std::vector<F> boxes{F::Bmp, F::Gif, F::Png, F::Jpeg, F::Csv};
    EXPECT_EQ(flagFormats(), boxes);
    EXPECT_EQ(formatsOfFlags(32 | 64 | qint32(0x80000000)), SaveChoices{});
    EXPECT_EQ(cliFormat(QStringLiteral("jpg")), F::Jpeg);
    for (const char* name : {"", "tileset", "tiff", "jpeg,png"})
        EXPECT_FALSE(cliFormat(QLatin1String(name))) << name;
    // Players' spellings: any case, and ".jpg" for JPEG.
    const struct
    {
        const char* extension;
        std::optional<F> format;
    } spelled[] = {{".PNG", F::Png},   {".Bmp", F::Bmp}, {".jpg", F::Jpeg}, {".JPG", F::Jpeg},
                   {".JPEG", F::Jpeg}, {".Csv", F::Csv}, {".TMX", F::Tmx},  {"", {}},
                   {"bmp", {}},        {".jpgx", {}},    {".json", {}},     {".txt", {}}};
    for (const auto& s : spelled)
        EXPECT_EQ(saveDialogFormat(QLatin1String(s.extension)), s.format) << s.extension;
    EXPECT_EQ(saveDialogRowOf(QStringLiteral(".JPG"), false), 3);
    EXPECT_EQ(saveDialogRowOf(QStringLiteral(".Png"), true), 2);
    EXPECT_EQ(saveDialogRowOf(QStringLiteral(".csv"), false), -1); // not a screengrab row
    EXPECT_EQ(saveDialogRowOf(QStringLiteral(".txt"), true), -1);
    EXPECT_EQ(saveDialogExtensions(),
              QStringLiteral(".bmp, .png, .gif, .jpeg, .jpg, .csv or .tmx"));
    EXPECT_EQ(cliFormatNames(QStringLiteral(", "), QStringLiteral(" or ")),
              QStringLiteral("bmp, png, gif, jpeg, csv, tmx or json"));
}

TEST(OutputFormats, OnlyPictureFormatsWriteAPicture)
{
    for (const F format : {F::Csv, F::Tileset, F::Tmx, F::Json}) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        const QString error =
            test::errorOf([&] { writePicture(test::blocksOf256Colours(), format, buffer); });
        EXPECT_TRUE(error.contains(QStringLiteral("not a picture"))) << error.toStdString();
        EXPECT_TRUE(bytes.isEmpty());
    }
}

// Every set of the seven outputs that can be chosen: the names a run plans, and claims against
// clashes, are the files the save then writes, in the same order, and nothing else is written.
TEST(OutputFormats, PlannedNamesAreTheWrittenNamesForEveryFormatSet)
{
    const F choosable[] = {F::Bmp, F::Png, F::Gif, F::Jpeg, F::Csv, F::Tmx, F::Json};
    constexpr int kGame = 1, kColour = 4; // the tileset is named after both
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("out"));

    DecodedMap decoded;
    decoded.reset(2, 2);
    decoded.map[1][1] = -1;
    const std::vector<QImage> characters(2, test::blocksOf256Colours().scaled(64, 64));
    const MapTableSource table{&decoded,   QStringLiteral("Orange: 50%"), kGame, 0, kColour,
                               &characters};
    const QImage picture = test::blocksOf256Colours().scaled(16, 16);

    GrabPlan plan;
    plan.decodes = true;
    plan.game = kGame;
    plan.colour = kColour;
    plan.base = folder + QStringLiteral("/level.001-decode"); // a "." that must stay
    BulkOptions settings;
    SaveMapHooks hooks;
    hooks.syncEachFile = false;

    for (unsigned mask = 0; mask < (1u << std::size(choosable)); ++mask) {
        settings.choices = {};
        for (std::size_t i = 0; i < std::size(choosable); ++i)
            settings.choices.set(choosable[i], (mask >> i) & 1u);
        SCOPED_TRACE(mask);
        QDir(folder).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(folder));

        const std::vector<OutputFile> planned = plannedOutputs(plan, settings);
        const QStringList written =
            SaveMapUnder(picture, plan.base, settings.choices, false, table, hooks);

        QStringList plannedPaths, plannedNames;
        for (const OutputFile& file : planned) {
            plannedPaths.append(QDir::toNativeSeparators(file.path));
            plannedNames.append(QFileInfo(file.path).fileName());
            EXPECT_EQ(file.shared, file.format == F::Tileset);
        }
        EXPECT_EQ(written, plannedPaths);
        plannedNames.sort();
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name), plannedNames);
        const bool tiled = settings.choices.has(F::Tmx) || settings.choices.has(F::Json);
        EXPECT_EQ(plannedNames.contains(QStringLiteral("pc-vorlan-2-orange-tiles.png")), tiled);
    }
}

} // namespace
} // namespace vt
