// vorlan-blind-composer --kind KIND --seed N [--count C] --out DIR | --list-kinds
// Draws grabs of the game nobody on the team designed, with the truth of each, for measuring
// how the program fares on captures it has not seen.
#include "Composer.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QCoreApplication>

#include <cstdio>
#include <exception>

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv); // for the plugin paths of the picture writers; no display needed
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Draws grabs of the game with their truth."));
    parser.addHelpOption();
    const QCommandLineOption kindOpt(QStringLiteral("kind"), QStringLiteral("What to draw."), QStringLiteral("KIND"));
    const QCommandLineOption seedOpt(QStringLiteral("seed"), QStringLiteral("The first seed."), QStringLiteral("N"));
    const QCommandLineOption countOpt(QStringLiteral("count"), QStringLiteral("How many grabs (1)."), QStringLiteral("C"),
                                      QStringLiteral("1"));
    const QCommandLineOption outOpt(QStringLiteral("out"), QStringLiteral("The folder to write to."), QStringLiteral("DIR"));
    const QCommandLineOption listOpt(QStringLiteral("list-kinds"), QStringLiteral("Print the kinds."));
    parser.addOptions({kindOpt, seedOpt, countOpt, outOpt, listOpt});
    parser.process(app);

    if (parser.isSet(listOpt)) {
        for (const QString& k : blind::kinds())
            std::printf("%s\n", qPrintable(k));
        return 0;
    }
    bool seedOk = false, countOk = false;
    const qulonglong seed = parser.value(seedOpt).toULongLong(&seedOk);
    const int count = parser.value(countOpt).toInt(&countOk);
    const QString kind = parser.value(kindOpt);
    if (!parser.isSet(kindOpt) || !parser.isSet(outOpt) || !seedOk || !countOk || count < 1) {
        std::fprintf(stderr, "usage: vorlan-blind-composer --kind KIND --seed N [--count C] --out DIR\n"
                             "       vorlan-blind-composer --list-kinds\n");
        return 2;
    }
    if (!blind::kinds().contains(kind)) {
        std::fprintf(stderr, "unknown kind \"%s\"; --list-kinds prints the kinds\n", qPrintable(kind));
        return 2;
    }
    const QDir out(parser.value(outOpt));
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot make the folder %s\n", qPrintable(out.path()));
        return 1;
    }
    for (int i = 0; i < count; ++i) {
        const qulonglong n = seed + static_cast<qulonglong>(i);
        try {
            const blind::Grab g = blind::compose(kind, n);
            const QString base = out.filePath(kind + QLatin1Char('-') + QString::number(n));
            if (!writeFile(base + QLatin1Char('.') + g.extension, g.bytes) ||
                !writeFile(base + QStringLiteral(".truth.json"), blind::truthJson(g.truth))) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(base));
                return 1;
            }
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s-%llu: %s\n", qPrintable(kind), n, e.what());
            return 1;
        }
    }
    return 0;
}
