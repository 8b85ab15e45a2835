#include "cli/CliOptions.h"

#include "app/AppVersion.h"
#include "charsets/GameTables.h"
#include "export/BulkConvert.h"
#include "export/MapTable.h"
#include "export/OutputFormats.h"
#include "settings/RegUtils.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <algorithm>
#include <initializer_list>
#include <memory>

namespace vt::cli {

namespace {

const QString kUsage = QStringLiteral(
    "Usage: vorlan-tesselor-cli [options] INPUT...\n"
    "Converts screengrabs of PC Vorlan 1 and 2 into maps, as the window's bulk conversion does.\n"
    "Each INPUT is a grab file or a folder, whose files (not its sub-folders) are taken in name\n"
    "order, or a map table the program wrote (.csv, .tmx or .json), named as a file (a folder's\n"
    "tables are passed over): it is opened as it was saved and written in the other outputs.\n"
    "A .csv table needs --game 1 or 2 and reads its cells as --csv-codes says (default: the\n"
    "stored choice). Grabs are converted in the order given. A grab's game is told by its size or "
    "its\n"
    "game window, and by which game's characters its cells fit; one that neither tells keeps\n"
    "the game of the grab before it. Grabs whose game or grid is uncertain are listed as\n"
    "warnings at the end.\n"
    "\n"
    "Options:\n"
    "  -o, --output DIR      folder for the outputs (default: the current folder)\n"
    "  -f, --formats LIST    comma-separated outputs: %1\n"
    "                        (default: the stored bulk conversion choices)\n"
    "  -p, --pattern TEXT    output name: %s the grab's name, %g the game number, %% a %\n"
    "                        (default: the stored pattern); it may name sub-folders of\n"
    "                        DIR, never a place outside it\n"
    "      --game auto|1|2   hold the game instead of detecting it\n"
    "      --colour auto|blue|cyan|green|magenta|orange|red\n"
    "                        hold the colour scheme instead of surveying it\n"
    "      --char-match N    Character Match threshold, 0 to 100\n"
    "      --pixel-match N   Pixel Match threshold, 0 to 100\n"
    "      --vorlan-match N  Vorlan Match threshold, 0 to 100\n"
    "      --csv-codes atlas|pc, --char-ref atlas|pc\n"
    "                        table cells as references into the atlas or as PC references\n"
    "      --unknown grab|puzzle\n"
    "                        draw unrecognised cells as copied from the grab or as the\n"
    "                        puzzle piece\n"
    "  -j, --jobs N          grabs converted at once (default: one per processor)\n"
    "      --json            one JSON object per grab on standard output\n"
    "      --report FILE     write a picture report of the run: an HTML page showing\n"
    "                        every grab and its map, the pictures in a folder beside it\n"
    "  -q, --quiet           no progress and no summary, only errors\n"
    "      --settings FILE   read the preferences from this INI file instead of the user's\n"
    "  -h, --help            show this text\n"
    "      --version         show the version\n"
    "      --                ends the options: a grab named \"-x.png\" goes after it\n"
    "\n"
    "Exit status: 0 when every grab converted, 1 when some failed, 2 on a usage error.\n"
    "Files that are not pictures are passed over and counted in the summary.\n");

ParseResult error(const QString& text)
{
    ParseResult result;
    result.action = ParseResult::Action::Error;
    result.text =
        QStringLiteral("vorlan-tesselor-cli: %1\nTry 'vorlan-tesselor-cli --help'.\n").arg(text);
    return result;
}

std::optional<int> percent(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 0 || value > 100)
        return std::nullopt;
    return value;
}

// Sets the chosen outputs from "bmp,csv"; false when a name is not known.
bool parseFormats(const QString& list, SaveChoices& choices, QString& unknown)
{
    choices = SaveChoices{};
    for (const QString& item : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const std::optional<OutputFormat> format = cliFormat(item.trimmed());
        if (!format) {
            unknown = item.trimmed();
            return false;
        }
        choices.set(*format);
    }
    return true;
}

} // namespace

ParseResult parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")}, {},
                                    QStringLiteral("DIR"));
    const QCommandLineOption formats({QStringLiteral("f"), QStringLiteral("formats")}, {},
                                     QStringLiteral("LIST"));
    const QCommandLineOption pattern({QStringLiteral("p"), QStringLiteral("pattern")}, {},
                                     QStringLiteral("TEXT"));
    const QCommandLineOption game(QStringLiteral("game"), {}, QStringLiteral("GAME"));
    const QCommandLineOption colour({QStringLiteral("colour"), QStringLiteral("color")}, {},
                                    QStringLiteral("SCHEME"));
    const QCommandLineOption charMatch(QStringLiteral("char-match"), {}, QStringLiteral("N"));
    const QCommandLineOption pixelMatch(QStringLiteral("pixel-match"), {}, QStringLiteral("N"));
    const QCommandLineOption vorlanMatch(QStringLiteral("vorlan-match"), {}, QStringLiteral("N"));
    const QCommandLineOption csvCodes({QStringLiteral("csv-codes"), QStringLiteral("char-ref")}, {},
                                      QStringLiteral("CODES"));
    const QCommandLineOption unknown(QStringLiteral("unknown"), {}, QStringLiteral("DRAWING"));
    const QCommandLineOption jobs({QStringLiteral("j"), QStringLiteral("jobs")}, {},
                                  QStringLiteral("N"));
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption report(QStringLiteral("report"), {}, QStringLiteral("FILE"));
    const QCommandLineOption quiet(QStringList{QStringLiteral("q"), QStringLiteral("quiet")});
    const QCommandLineOption settingsFile(QStringLiteral("settings"), {}, QStringLiteral("FILE"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    const std::initializer_list<const QCommandLineOption*> all = {
        &output,     &formats,     &pattern,      &game,    &colour, &charMatch,
        &pixelMatch, &vorlanMatch, &csvCodes,     &unknown, &jobs,   &json,
        &report,     &quiet,       &settingsFile, &help,    &version};
    for (const QCommandLineOption* option : all)
        parser.addOption(*option);

    if (!parser.parse(arguments)) {
        // A grab named "-level.png" reads as the options l, e, v, ...: "--" ends the options.
        const auto known = [&](const QString& name) {
            return std::any_of(all.begin(), all.end(), [&](const QCommandLineOption* option) {
                return option->names().contains(name);
            });
        };
        for (const QString& argument : arguments.mid(1)) {
            if (argument == QLatin1String("--"))
                break;
            if (!argument.startsWith(QLatin1Char('-')) || argument.size() < 2)
                continue;
            const QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1)
                                     .section(QLatin1Char('='), 0, 0);
            if (!known(name))
                return error(
                    QStringLiteral("%1\nA grab or folder whose name begins with \"-\" goes "
                                   "after \"--\", which ends the options: "
                                   "vorlan-tesselor-cli [options] -- %2")
                        .arg(parser.errorText(), argument));
        }
        return error(parser.errorText());
    }
    if (parser.isSet(help))
        return {ParseResult::Action::Help,
                kUsage.arg(cliFormatNames(QStringLiteral(", "), QStringLiteral(", "))),
                {}};
    if (parser.isSet(version))
        return {ParseResult::Action::Version,
                QStringLiteral("vorlan-tesselor-cli ") + AppVersion() + QLatin1Char('\n'),
                {}};

    ParseResult result;
    CliOptions& options = result.options;
    options.inputs = parser.positionalArguments();
    if (options.inputs.isEmpty())
        return error(QStringLiteral("no grab or folder given."));

    if (parser.isSet(settingsFile)) {
        const QString path = parser.value(settingsFile);
        // One that is not a plain small file is told by the store, which uses the defaults.
        if (!QFileInfo::exists(path))
            return error(QStringLiteral("the settings file \"%1\" does not exist.").arg(path));
        useSettingsFile(path);
    }
    Preferences& prefs = options.prefs;
    prefs = readPreferences(StoreAccess::ReadOnly);
    BulkOptions& bulk = options.bulk;
    bulk.choices = prefs.bulkOutputs;
    bulk.pattern = prefs.pattern;
    // A run writes many files: the disk takes them at its own pace.
    bulk.syncEachFile = false;
    bulk.writeWithoutMap = false;
    // What a killed run left of the outputs is cleared as they are written again.
    bulk.staleTemporaries = std::make_shared<StaleTemporaries>();

    options.outputDir = parser.value(output);
    if (parser.isSet(output) && options.outputDir.isEmpty())
        return error(QStringLiteral("--output needs a folder."));
    if (parser.isSet(formats)) {
        QString name;
        if (!parseFormats(parser.value(formats), bulk.choices, name))
            return error(
                QStringLiteral("unknown format \"%1\" (%2).")
                    .arg(name, cliFormatNames(QStringLiteral(", "), QStringLiteral(" or "))));
    }
    if (parser.isSet(pattern))
        bulk.pattern = parser.value(pattern);
    // The stored pattern too: the window refuses it alike.
    if (const QString refused = patternLeavesFolder(bulk.pattern); !refused.isEmpty())
        return error(refused);

    if (parser.isSet(game)) {
        const QString value = parser.value(game).toLower();
        if (value == QLatin1String("auto"))
            bulk.forcedGame = -1;
        else if (value == QLatin1String("1") || value == QLatin1String("2"))
            bulk.forcedGame = value.toInt() - 1;
        else
            return error(QStringLiteral("--game takes auto, 1 or 2."));
    }
    if (parser.isSet(colour)) {
        const QString value = parser.value(colour);
        bulk.forcedColour = -2;
        if (value.compare(QLatin1String("auto"), Qt::CaseInsensitive) == 0)
            bulk.forcedColour = -1;
        for (int i = 0; i < kColourCount; ++i)
            if (value.compare(colourName(i), Qt::CaseInsensitive) == 0)
                bulk.forcedColour = i;
        if (bulk.forcedColour == -2)
            return error(QStringLiteral("--colour takes auto, blue, cyan, green, magenta, orange "
                                        "or red."));
    }

    const std::pair<const QCommandLineOption*, quint8*> thresholds[] = {
        {&charMatch, &prefs.thresholds.prob_match},
        {&pixelMatch, &prefs.thresholds.pix_match},
        {&vorlanMatch, &prefs.thresholds.vorlan_match},
    };
    for (const auto& [option, field] : thresholds) {
        if (!parser.isSet(*option))
            continue;
        const auto value = percent(parser.value(*option));
        if (!value)
            return error(QStringLiteral("--%1 takes a whole number from 0 to 100.")
                             .arg(option->names().constLast()));
        *field = quint8(*value);
    }

    if (parser.isSet(csvCodes)) {
        const QString value = parser.value(csvCodes).toLower();
        if (value == QLatin1String("atlas"))
            prefs.charRef = kCharRefAtlas;
        else if (value == QLatin1String("pc"))
            prefs.charRef = kCharRefPc;
        else
            return error(QStringLiteral("--csv-codes takes atlas or pc."));
        options.csvCodes = prefs.charRef;
    }
    if (parser.isSet(unknown)) {
        const QString value = parser.value(unknown).toLower();
        if (value == QLatin1String("grab"))
            prefs.puzzpiece = false;
        else if (value == QLatin1String("puzzle"))
            prefs.puzzpiece = true;
        else
            return error(QStringLiteral("--unknown takes grab or puzzle."));
    }

    if (parser.isSet(jobs)) {
        bool ok = false;
        options.jobs = parser.value(jobs).toInt(&ok);
        if (!ok || options.jobs < 1)
            return error(QStringLiteral("--jobs takes a whole number of 1 or more."));
    }
    options.json = parser.isSet(json);
    // The JSON lines name the three characters most like each cell to check.
    bulk.candidates = options.json ? 3 : 0;
    options.report = parser.value(report);
    if (parser.isSet(report) && options.report.isEmpty())
        return error(QStringLiteral("--report needs a file name."));
    // The report's thumbnails are made where each grab is decoded.
    bulk.reportPictures = !options.report.isEmpty();
    options.quiet = parser.isSet(quiet);
    return result;
}

} // namespace vt::cli
