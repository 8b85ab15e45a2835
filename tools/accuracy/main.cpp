// vorlan-accuracy: draws a fresh random corpus of every kind of grab (seeded, N per kind), or
// takes one drawn elsewhere (--corpus: pictures beside their <name>.truth.json), converts it
// through the command line with --json -f csv, compares each table with what was drawn, and
// reports per kind the cells decoded right over the visible cells (wholly inside the picture and
// not covered), the wrong maps (fewer than 90 % of the visible cells right), those reported as
// certain, the right maps reported uncertain, and covered cells read wrong that are not among
// the cells to check; with --by-band, also per band of the smaller scale factor.
#include "GrabKinds.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QMap>
#include <QImageReader>
#include <QJsonArray>
#include <QSet>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <exception>

using namespace vt;

namespace {

int fail(const QString& message)
{
    std::fprintf(stderr, "vorlan-accuracy: %s\n", qPrintable(message));
    return 2;
}

struct Tally
{
    int grabs = 0;
    int converted = 0;
    qint64 cells = 0; // visible cells
    qint64 right = 0;
    int wrong = 0;
    int wrongCertain = 0;
    int rightUncertain = 0;
    qint64 coveredWrongUnchecked = 0;

    void add(const Tally& t)
    {
        grabs += t.grabs;
        converted += t.converted;
        cells += t.cells;
        right += t.right;
        wrong += t.wrong;
        wrongCertain += t.wrongCertain;
        rightUncertain += t.rightUncertain;
        coveredWrongUnchecked += t.coveredWrongUnchecked;
    }
};

void printRow(const QString& name, const Tally& t)
{
    std::printf("| %s | %d | %d | %.2f %% | %d | %d | %d | %lld |\n", qPrintable(name), t.grabs,
                t.converted, t.cells ? 100.0 * t.right / t.cells : 0.0, t.wrong, t.wrongCertain,
                t.rightUncertain, t.coveredWrongUnchecked);
}

// The band of the smaller factor a capture's detail ends with ("band 1-4"), else "no band".
QString bandOf(const test::GrabTruth& truth)
{
    const qsizetype at = truth.detail.lastIndexOf(QLatin1String("band "));
    return at < 0 ? QStringLiteral("no band") : truth.detail.mid(at);
}

struct Truth
{
    test::GrabTruth truth;
    QSize picture;
};

bool readAt(const test::GrabMap& decoded, int c, int r, int& value)
{
    if (r >= decoded.rows || c >= decoded.columns)
        return false;
    value = decoded.at(c, r);
    return true;
}

// A cell inside the picture that is not visible has something drawn over it.
bool insidePicture(const Truth& t, int c, int r)
{
    const test::GrabTruth& g = t.truth;
    const double left = g.originx + g.scale * 16 * c;
    const double top = g.originy + g.scaley * 15 * r;
    return left >= 0 && top >= 0 && left + g.scale * 16 <= t.picture.width() + 1e-9 &&
           top + g.scaley * 15 <= t.picture.height() + 1e-9;
}

int visibleCells(const test::GrabTruth& truth)
{
    int n = 0;
    for (int r = 0; r < truth.map.rows; ++r)
        for (int c = 0; c < truth.map.columns; ++c)
            n += truth.isVisible(c, r) && truth.map.at(c, r) >= 0;
    return n;
}

// Visible cells of `truth` that `decoded` holds at the same place with the same character.
qint64 cellsRight(const test::GrabTruth& truth, const test::GrabMap& decoded)
{
    qint64 right = 0;
    for (int r = 0; r < truth.map.rows; ++r)
        for (int c = 0; c < truth.map.columns; ++c) {
            int v = 0;
            right += truth.isVisible(c, r) && truth.map.at(c, r) >= 0 &&
                     readAt(decoded, c, r, v) && v == truth.map.at(c, r);
        }
    return right;
}

// A wrong map counts as reported certain when the report says so; a report that does not say
// is taken as certain of every map it converted.
bool certain(const QJsonObject& report)
{
    for (const char* key : {"game_certain", "grid_certain"}) {
        const QJsonValue v = report.value(QLatin1String(key));
        if (v.isBool() && !v.toBool())
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vorlan-accuracy"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Measures how well the command line converts random grabs of every kind."));
    parser.addHelpOption();
    const QCommandLineOption cliOpt(
        QStringLiteral("cli"),
        QStringLiteral("The command line program (default: beside this one)."),
        QStringLiteral("path"));
    const QCommandLineOption countOpt(QStringLiteral("per-kind"),
                                      QStringLiteral("Grabs of each kind (default 20)."),
                                      QStringLiteral("n"), QStringLiteral("20"));
    const QCommandLineOption seedOpt(QStringLiteral("seed"),
                                     QStringLiteral("First seed of the corpus (default 1)."),
                                     QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption kindsOpt(QStringLiteral("kinds"),
                                      QStringLiteral("Comma-separated kinds (default all: %1).")
                                          .arg(test::allKinds().join(QLatin1Char(','))),
                                      QStringLiteral("list"));
    const QCommandLineOption jobsOpt(QStringLiteral("jobs"),
                                     QStringLiteral("Passed on to the command line (default 1)."),
                                     QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption keepOpt(
        QStringLiteral("keep"), QStringLiteral("Draw the corpus into this folder and keep it."),
        QStringLiteral("dir"));
    const QCommandLineOption verboseOpt(QStringLiteral("verbose"),
                                        QStringLiteral("List every wrong map."));
    const QCommandLineOption cliArgOpt(
        QStringLiteral("cli-arg"),
        QStringLiteral("An argument passed on to the command line (repeat for more), as "
                       "--cli-arg=--tolerant."),
        QStringLiteral("argument"));
    const QCommandLineOption corpusOpt(
        QStringLiteral("corpus"),
        QStringLiteral("Measure the grabs of this folder (each picture beside its "
                       "<name>.truth.json) instead of drawing a corpus."),
        QStringLiteral("dir"));
    const QCommandLineOption bandOpt(
        QStringLiteral("by-band"),
        QStringLiteral("Below each kind, a row for each band of the smaller scale factor that "
                       "its grabs' details name (band 1-4, band 0.9-1, band 0.75-0.9; no band for "
                       "grabs that name none)."));
    parser.addOptions({cliOpt, cliArgOpt, countOpt, seedOpt, kindsOpt, jobsOpt, keepOpt,
                       verboseOpt, corpusOpt, bandOpt});
    parser.process(app);
    const bool byBand = parser.isSet(bandOpt);

    const QString cli = parser.isSet(cliOpt) ? parser.value(cliOpt)
                                             : QCoreApplication::applicationDirPath() +
                                                   QStringLiteral("/vorlan-tesselor-cli");
    const int perKind = parser.value(countOpt).toInt();
    const quint64 firstSeed = parser.value(seedOpt).toULongLong();
    if (perKind <= 0)
        return fail(QStringLiteral("--per-kind is a positive number"));

    QTemporaryDir temporary;
    const QString root = parser.isSet(keepOpt) ? parser.value(keepOpt) : temporary.path();
    // A settings file of its own: the defaults, never the user's preferences.
    const QString settings = root + QStringLiteral("/settings.ini");
    QDir().mkpath(root);
    QFile(settings).open(QIODevice::WriteOnly);

    // The grabs of each kind, drawn here or found in --corpus.
    QStringList kinds;
    QHash<QString, QHash<QString, Truth>> corpus; // kind -> native path -> truth
    if (parser.isSet(corpusOpt)) {
        const QDir folder(parser.value(corpusOpt));
        const QStringList truthFiles =
            folder.entryList({QStringLiteral("*.truth.json")}, QDir::Files, QDir::Name);
        for (const QString& name : truthFiles) {
            QFile file(folder.filePath(name));
            if (!file.open(QIODevice::ReadOnly))
                return fail(QStringLiteral("cannot read %1").arg(file.fileName()));
            const auto truth = test::GrabTruth::fromJson(QJsonDocument::fromJson(file.readAll()).object());
            if (!truth)
                return fail(QStringLiteral("%1 is no truth of a grab").arg(file.fileName()));
            const QString base = name.chopped(int(qstrlen(".truth.json")));
            QString picture;
            for (const char* ext : {".png", ".jpg", ".jpeg", ".bmp", ".gif"})
                if (folder.exists(base + QLatin1String(ext)))
                    picture = folder.filePath(base + QLatin1String(ext));
            if (picture.isEmpty())
                return fail(QStringLiteral("no picture beside %1").arg(name));
            if (parser.isSet(kindsOpt) &&
                !parser.value(kindsOpt).split(QLatin1Char(',')).contains(truth->kind))
                continue;
            if (!kinds.contains(truth->kind))
                kinds.append(truth->kind);
            corpus[truth->kind].insert(QDir::toNativeSeparators(picture),
                                       Truth{*truth, QImageReader(picture).size()});
        }
    } else {
        kinds = parser.isSet(kindsOpt) ? parser.value(kindsOpt).split(QLatin1Char(','))
                                       : test::allKinds();
        for (const QString& kind : kinds) {
            const QString in = root + QLatin1Char('/') + kind + QStringLiteral("/in");
            QDir().mkpath(in);
            for (int i = 0; i < perKind; ++i) {
                const quint64 seed = firstSeed + quint64(i);
                test::KindGrab grab;
                try {
                    grab = test::composeKind(kind, seed);
                } catch (const std::exception& e) {
                    return fail(QStringLiteral("%1 seed %2: %3").arg(kind).arg(seed).arg(e.what()));
                }
                const QString path = in + QStringLiteral("/%1-%2.png").arg(kind).arg(seed);
                if (!grab.image.save(path, "PNG"))
                    return fail(QStringLiteral("cannot write %1").arg(path));
                corpus[kind].insert(QDir::toNativeSeparators(path),
                                    Truth{grab.truth, grab.image.size()});
            }
        }
    }

    std::printf("| Kind | Grabs | Converted | Cells right | Wrong maps | Wrong, reported certain | "
                "Right, reported uncertain | Covered cells read wrong, not to check |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|\n");
    Tally all;
    for (const QString& kind : kinds) {
        const QHash<QString, Truth>& truths = corpus[kind];
        const QString out = root + QLatin1Char('/') + kind + QStringLiteral("/out");
        QDir().mkpath(out);
        QStringList inputs = truths.keys();
        inputs.sort();

        QProcess run;
        run.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QStringList arguments{QStringLiteral("--json"),     QStringLiteral("-q"),
                              QStringLiteral("-f"),         QStringLiteral("csv"),
                              QStringLiteral("-p"),         QStringLiteral("%s"),
                              QStringLiteral("-o"),         out,
                              QStringLiteral("-j"),         parser.value(jobsOpt),
                              QStringLiteral("--settings"), settings};
        arguments << parser.values(cliArgOpt) << inputs;
        run.start(cli, arguments);
        if (!run.waitForStarted())
            return fail(QStringLiteral("cannot start %1").arg(cli));
        run.waitForFinished(-1);

        Tally tally;
        QMap<QString, Tally> bands; // by the band the truth's detail ends with, when asked
        const auto count = [&](const test::GrabTruth& truth, const Tally& one) {
            tally.add(one);
            if (byBand)
                bands[bandOf(truth)].add(one);
        };
        QHash<QString, bool> reported;
        for (const QByteArray& line : run.readAllStandardOutput().split('\n')) {
            const QJsonObject report = QJsonDocument::fromJson(line).object();
            const QString input = report.value(QStringLiteral("input")).toString();
            if (!truths.contains(input))
                continue;
            reported.insert(input, true);
            const Truth& t = truths[input];
            const test::GrabTruth& truth = t.truth;
            Tally one;
            one.grabs = 1;
            const int visible = visibleCells(truth);
            one.cells += visible;
            test::GrabMap decoded;
            bool read = false;
            if (report.value(QStringLiteral("status")).toString() == QLatin1String("converted")) {
                QFile csv(out + QLatin1Char('/') + QFileInfo(input).completeBaseName() +
                          QStringLiteral(".csv"));
                if (csv.open(QIODevice::ReadOnly)) {
                    if (auto map = test::GrabMap::fromCsv(QString::fromUtf8(csv.readAll()))) {
                        decoded = *map;
                        read = true;
                    }
                }
            }
            const qint64 right = read ? cellsRight(truth, decoded) : 0;
            one.right += right;
            if (read)
                ++one.converted;
            const bool sure = read && certain(report);
            if (read) {
                // Covered cells read as another character must be among the cells to check.
                QSet<QPair<int, int>> check;
                for (const QJsonValue& cell : report.value(QStringLiteral("check")).toArray())
                    check.insert({cell.toArray().at(0).toInt(), cell.toArray().at(1).toInt()});
                for (int r = 0; r < truth.map.rows; ++r)
                    for (int c = 0; c < truth.map.columns; ++c) {
                        int v = 0;
                        if (!truth.isVisible(c, r) && insidePicture(t, c, r) &&
                            readAt(decoded, c, r, v) && v != truth.map.at(c, r) &&
                            !check.contains({c, r}))
                            ++one.coveredWrongUnchecked;
                    }
            }
            const bool wrong = right * 10 < qint64(visible) * 9;
            if (!wrong) {
                if (!sure) {
                    ++one.rightUncertain;
                    if (parser.isSet(verboseOpt))
                        std::printf("<!-- %s: %s, game %d, right but uncertain (%s) -->\n",
                                    qPrintable(QFileInfo(input).fileName()),
                                    qPrintable(truth.detail), truth.game + 1,
                                    qPrintable(report.value(QStringLiteral("located_by")).toString()));
                }
            } else {
                ++one.wrong;
                one.wrongCertain += sure;
                if (parser.isSet(verboseOpt))
                    std::printf("<!-- %s: %s, game %d, %lld of %d right, %s%s -->\n",
                                qPrintable(QFileInfo(input).fileName()), qPrintable(truth.detail),
                                truth.game + 1, right, visible,
                                read ? "converted" : "not converted", sure ? ", certain" : "");
            }
            count(truth, one);
        }
        for (auto it = truths.cbegin(); it != truths.cend(); ++it)
            if (!reported.contains(it.key())) {
                Tally one;
                one.grabs = 1;
                one.cells = visibleCells(it.value().truth);
                one.wrong = 1;
                count(it.value().truth, one);
            }
        printRow(kind, tally);
        for (auto it = bands.cbegin(); it != bands.cend(); ++it)
            printRow(kind + QStringLiteral(", ") + it.key(), it.value());
        std::fflush(stdout);
        all.add(tally);
    }
    printRow(QStringLiteral("all"), all);
    return 0;
}
