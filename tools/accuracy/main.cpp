// vorlan-accuracy: draws a fresh random corpus of every kind of grab (seeded, N per kind),
// converts it through the command line with --json -f csv, compares each table with what was
// drawn, and reports per kind the cells decoded right and the wrong maps (fewer than 90 % of
// their cells right), counting those that the program reported as certain.
#include "GrabKinds.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
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
    qint64 cells = 0;
    qint64 right = 0;
    int wrong = 0;
    int wrongCertain = 0;
};

// Cells of `truth` that `decoded` holds at the same place with the same character.
qint64 cellsRight(const test::GrabMap& truth, const test::GrabMap& decoded)
{
    qint64 right = 0;
    for (int r = 0; r < truth.rows && r < decoded.rows; ++r)
        for (int c = 0; c < truth.columns && c < decoded.columns; ++c)
            right += truth.at(c, r) >= 0 && truth.at(c, r) == decoded.at(c, r);
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
                                          .arg(test::grabKinds().join(QLatin1Char(','))),
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
    parser.addOptions(
        {cliOpt, cliArgOpt, countOpt, seedOpt, kindsOpt, jobsOpt, keepOpt, verboseOpt});
    parser.process(app);

    const QString cli = parser.isSet(cliOpt) ? parser.value(cliOpt)
                                             : QCoreApplication::applicationDirPath() +
                                                   QStringLiteral("/vorlan-tesselor-cli");
    const int perKind = parser.value(countOpt).toInt();
    const quint64 firstSeed = parser.value(seedOpt).toULongLong();
    const QStringList kinds =
        parser.isSet(kindsOpt) ? parser.value(kindsOpt).split(QLatin1Char(',')) : test::grabKinds();
    if (perKind <= 0)
        return fail(QStringLiteral("--per-kind is a positive number"));

    QTemporaryDir temporary;
    const QString root = parser.isSet(keepOpt) ? parser.value(keepOpt) : temporary.path();
    // A settings file of its own: the defaults, never the user's preferences.
    const QString settings = root + QStringLiteral("/settings.ini");
    QDir().mkpath(root);
    QFile(settings).open(QIODevice::WriteOnly);

    std::printf(
        "| Kind | Grabs | Converted | Cells right | Wrong maps | Wrong, reported certain |\n");
    std::printf("|---|---:|---:|---:|---:|---:|\n");
    Tally all;
    for (const QString& kind : kinds) {
        const QString in = root + QLatin1Char('/') + kind + QStringLiteral("/in");
        const QString out = root + QLatin1Char('/') + kind + QStringLiteral("/out");
        QDir().mkpath(in);
        QDir().mkpath(out);
        QHash<QString, test::GrabTruth> truths;
        QStringList inputs;
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
            truths.insert(QDir::toNativeSeparators(path), grab.truth);
            inputs.append(path);
        }

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
        tally.grabs = perKind;
        QHash<QString, bool> reported;
        for (const QByteArray& line : run.readAllStandardOutput().split('\n')) {
            const QJsonObject report = QJsonDocument::fromJson(line).object();
            const QString input = report.value(QStringLiteral("input")).toString();
            if (!truths.contains(input))
                continue;
            reported.insert(input, true);
            const test::GrabTruth& truth = truths[input];
            tally.cells += truth.map.columns * truth.map.rows;
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
            const qint64 right = read ? cellsRight(truth.map, decoded) : 0;
            tally.right += right;
            if (read)
                ++tally.converted;
            const bool wrong = right * 10 < qint64(truth.map.cells.size()) * 9;
            if (!wrong)
                continue;
            ++tally.wrong;
            const bool sure = read && certain(report);
            tally.wrongCertain += sure;
            if (parser.isSet(verboseOpt))
                std::printf("<!-- %s: %s, game %d, %lld of %zu right, %s%s -->\n",
                            qPrintable(QFileInfo(input).fileName()), qPrintable(truth.detail),
                            truth.game + 1, right, truth.map.cells.size(),
                            read ? "converted" : "not converted", sure ? ", certain" : "");
        }
        for (auto it = truths.cbegin(); it != truths.cend(); ++it)
            if (!reported.contains(it.key())) {
                tally.cells += it.value().map.columns * it.value().map.rows;
                ++tally.wrong;
            }
        std::printf("| %s | %d | %d | %.2f %% | %d | %d |\n", qPrintable(kind), tally.grabs,
                    tally.converted, tally.cells ? 100.0 * tally.right / tally.cells : 0.0,
                    tally.wrong, tally.wrongCertain);
        std::fflush(stdout);
        all.grabs += tally.grabs;
        all.converted += tally.converted;
        all.cells += tally.cells;
        all.right += tally.right;
        all.wrong += tally.wrong;
        all.wrongCertain += tally.wrongCertain;
    }
    std::printf("| all | %d | %d | %.2f %% | %d | %d |\n", all.grabs, all.converted,
                all.cells ? 100.0 * all.right / all.cells : 0.0, all.wrong, all.wrongCertain);
    return 0;
}
