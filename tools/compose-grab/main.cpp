// vorlan-compose-grab: writes a screengrab drawn with the program's own characters, either the
// map view alone or the whole game window in layout A or B, then runs the grid location on it
// and says what it finds, so that a grab that would not load as intended is noticed at once.
#include "GrabComposer.h"
#include "GrabKinds.h"

#include "charsets/GameTables.h"
#include "export/ImageWriters.h"
#include "export/OutputFormats.h"
#include "intake/GridLocator.h"
#include "pictures/BmpByteImage.h"
#include "pictures/Error.h"
#include "pictures/Halftone.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QRegularExpression>

#include <cstdio>
#include <exception>

using namespace vt;

namespace {

int fail(const QString& message)
{
    std::fprintf(stderr, "vorlan-compose-grab: %s\n", qPrintable(message));
    return 2;
}

bool parsePair(const QString& text, QChar separator, int& a, int& b)
{
    const QStringList parts = text.split(separator);
    if (parts.size() != 2)
        return false;
    bool okA = false;
    bool okB = false;
    a = parts[0].trimmed().toInt(&okA);
    b = parts[1].trimmed().toInt(&okB);
    return okA && okB;
}

int schemeIndex(const QString& text)
{
    bool numeric = false;
    const int n = text.toInt(&numeric);
    if (numeric)
        return n >= 0 && n < kColourCount ? n : -1;
    for (int i = 0; i < kColourCount; ++i)
        if (colourName(i).compare(text, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

std::optional<OutputFormat> formatOf(const QString& path)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == QLatin1String("png"))
        return OutputFormat::Png;
    if (ext == QLatin1String("bmp"))
        return OutputFormat::Bmp;
    if (ext == QLatin1String("gif"))
        return OutputFormat::Gif;
    if (ext == QLatin1String("jpg") || ext == QLatin1String("jpeg"))
        return OutputFormat::Jpeg;
    return std::nullopt;
}

QString describe(const GridGeometry& g)
{
    return QStringLiteral("%1 x %2 cells at %3,%4, map view at %5,%6")
        .arg(g.grab_width)
        .arg(g.grab_height)
        .arg(g.originx)
        .arg(g.originy)
        .arg(g.mapareax)
        .arg(g.mapareay);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vorlan-compose-grab"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Draws a screengrab of a map with the program's own characters: the map view alone, or "
        "the whole game window (layout A or B) on a desktop. The output's format follows its "
        "extension: .png, .bmp, .gif or .jpg."));
    parser.addHelpOption();
    const QCommandLineOption gameOpt(QStringLiteral("game"), QStringLiteral("Game: 1 or 2."),
                                     QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption schemeOpt(
        QStringLiteral("scheme"),
        QStringLiteral("Colour scheme: Blue, Cyan, Green, Magenta, Orange, Red, or 0 to 5 "
                       "(default Blue, or the scheme named by a map table's first line)."),
        QStringLiteral("name"));
    const QCommandLineOption sizeOpt(QStringLiteral("size"),
                                     QStringLiteral("Map size in cells, columns x rows."),
                                     QStringLiteral("CxR"), QStringLiteral("32x32"));
    const QCommandLineOption layoutOpt(
        QStringLiteral("layout"),
        QStringLiteral("view (the map view alone), A or B (the whole game window)."),
        QStringLiteral("layout"), QStringLiteral("view"));
    const QCommandLineOption grabOpt(QStringLiteral("grab"),
                                     QStringLiteral("Size of a window grab in pixels."),
                                     QStringLiteral("WxH"), QStringLiteral("1024x768"));
    const QCommandLineOption atOpt(QStringLiteral("at"),
                                   QStringLiteral("Top-left corner of the window in the grab."),
                                   QStringLiteral("X,Y"), QStringLiteral("8,8"));
    const QCommandLineOption seedOpt(QStringLiteral("seed"),
                                     QStringLiteral("Seed of the random level and the noise."),
                                     QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption mapOpt(
        QStringLiteral("map"),
        QStringLiteral("Map table (.csv): one line per row of character indices, \"unk\" or -1 "
                       "for a garbage cell; the program's own table with atlas references "
                       "reads back. Replaces the random level."),
        QStringLiteral("file"));
    const QCommandLineOption noiseOpt(QStringLiteral("noise"),
                                      QStringLiteral("Percentage of cells with speckles."),
                                      QStringLiteral("percent"), QStringLiteral("0"));
    const QCommandLineOption specklesOpt(QStringLiteral("speckles"),
                                         QStringLiteral("Speckled pixels in each such cell."),
                                         QStringLiteral("pixels"), QStringLiteral("8"));
    const QCommandLineOption jpegOpt(
        QStringLiteral("jpeg"),
        QStringLiteral("Pass the grab through JPEG at this quality before writing it."),
        QStringLiteral("quality"));
    const QCommandLineOption indexedOpt(
        QStringLiteral("indexed"),
        QStringLiteral("Write 8 bits per pixel with the halftone palette (as a 256-colour "
                       "screen would be grabbed); GIF output always has a palette."));
    const QCommandLineOption kindOpt(
        QStringLiteral("kind"),
        QStringLiteral("Draw a random grab of this kind from --seed instead: %1. Game, scheme, "
                       "sizes, layout, place and distortion are the seed's choice.")
            .arg(test::allKinds().join(QStringLiteral(", "))),
        QStringLiteral("kind"));
    const QCommandLineOption truthOpt(
        QStringLiteral("truth"),
        QStringLiteral("With --kind: write what was drawn (game, scheme, map, grid) as JSON here."),
        QStringLiteral("file"));
    parser.addOptions({gameOpt, schemeOpt, sizeOpt, layoutOpt, grabOpt, atOpt, seedOpt, mapOpt,
                       noiseOpt, specklesOpt, jpegOpt, indexedOpt, kindOpt, truthOpt});
    parser.addPositionalArgument(QStringLiteral("output"), QStringLiteral("The picture to write."));
    parser.process(app);

    const QStringList args = parser.positionalArguments();
    if (args.size() != 1)
        return fail(QStringLiteral("name one output picture (see --help)"));
    const QString output = args.front();
    const std::optional<OutputFormat> format = formatOf(output);
    if (!format)
        return fail(QStringLiteral("the output's extension must be .png, .bmp, .gif or .jpg"));

    const int game = parser.value(gameOpt).toInt() - 1;
    if (game != 0 && game != 1)
        return fail(QStringLiteral("--game is 1 or 2"));
    bool ok = false;
    const quint64 seed = parser.value(seedOpt).toULongLong(&ok);
    if (!ok)
        return fail(QStringLiteral("--seed is a whole number"));
    test::GrabNoise noise;
    noise.seed = seed;
    noise.cellPercent = parser.value(noiseOpt).toInt(&ok);
    if (!ok || noise.cellPercent < 0 || noise.cellPercent > 100)
        return fail(QStringLiteral("--noise is a percentage"));
    noise.pixelsPerCell = parser.value(specklesOpt).toInt(&ok);
    if (!ok || noise.pixelsPerCell < 0)
        return fail(QStringLiteral("--speckles is a number of pixels"));

    if (parser.isSet(kindOpt)) {
        test::KindGrab grab;
        try {
            grab = test::composeKind(parser.value(kindOpt), seed);
        } catch (const std::exception& e) {
            return fail(QString::fromLocal8Bit(e.what()));
        }
        QFile out(output);
        if (!out.open(QIODevice::WriteOnly))
            return fail(QStringLiteral("cannot write %1 %2").arg(output, out.errorString()));
        try {
            writePicture(grab.image, *format, out);
        } catch (const Error& why) {
            return fail(QStringLiteral("cannot write %1 %2").arg(output, why.message()));
        }
        if (parser.isSet(truthOpt)) {
            QFile truth(parser.value(truthOpt));
            if (!truth.open(QIODevice::WriteOnly) ||
                truth.write(QJsonDocument(grab.truth.toJson()).toJson()) < 0)
                return fail(QStringLiteral("cannot write %1").arg(truth.fileName()));
        }
        std::printf("%s: %d x %d pixels, %s, game %d, %s\n", qPrintable(output), grab.image.width(),
                    grab.image.height(), qPrintable(grab.truth.detail), grab.truth.game + 1,
                    qPrintable(colourName(grab.truth.scheme)));
        return 0;
    }

    test::GrabMap map;
    QString tableScheme;
    if (parser.isSet(mapOpt)) {
        QFile file(parser.value(mapOpt));
        if (!file.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("cannot read %1").arg(file.fileName()));
        QString why;
        const std::optional<test::GrabMap> read =
            test::GrabMap::fromCsv(QString::fromUtf8(file.readAll()), &why, &tableScheme);
        if (!read)
            return fail(QStringLiteral("%1: %2").arg(file.fileName(), why));
        map = *read;
    } else {
        int columns = 0;
        int rows = 0;
        if (!parsePair(parser.value(sizeOpt).toLower(), QLatin1Char('x'), columns, rows) ||
            columns <= 0 || rows <= 0)
            return fail(QStringLiteral("--size is columns x rows, as 24x16"));
        map = test::GrabMap::random(game, columns, rows, seed);
    }

    QString schemeText = parser.isSet(schemeOpt) ? parser.value(schemeOpt) : tableScheme;
    if (schemeText.isEmpty())
        schemeText = QStringLiteral("Blue");
    const int scheme = schemeIndex(schemeText);
    if (scheme < 0)
        return fail(QStringLiteral("unknown colour scheme \"%1\"").arg(schemeText));

    const QString layoutText = parser.value(layoutOpt).toLower();
    if (layoutText != QLatin1String("view") && layoutText != QLatin1String("a") &&
        layoutText != QLatin1String("b"))
        return fail(QStringLiteral("--layout is view, A or B"));

    QImage picture;
    GridGeometry expected;
    try {
        const test::GrabArt art = test::GrabArt::shipped(game, scheme);
        if (layoutText == QLatin1String("view")) {
            picture = test::composeMapView(map, art, noise);
            expected.grab_width = map.columns;
            expected.grab_height = map.rows;
        } else {
            test::WindowPlacement placement;
            placement.layout =
                layoutText == QLatin1String("a") ? test::WindowLayout::A : test::WindowLayout::B;
            placement.game = game;
            int w = 0, h = 0, x = 0, y = 0;
            if (!parsePair(parser.value(grabOpt).toLower(), QLatin1Char('x'), w, h))
                return fail(QStringLiteral("--grab is width x height, as 1024x768"));
            if (!parsePair(parser.value(atOpt), QLatin1Char(','), x, y))
                return fail(QStringLiteral("--at is x,y"));
            placement.grabSize = QSize(w, h);
            placement.windowAt = QPoint(x, y);
            const test::ComposedGrab grab = test::composeWindow(map, art, placement, noise);
            picture = grab.image;
            expected = grab.grid;
        }
    } catch (const std::exception& e) {
        return fail(QString::fromLocal8Bit(e.what()));
    }

    if (parser.isSet(jpegOpt))
        picture = test::jpegRoundTrip(picture, parser.value(jpegOpt).toInt());
    const QImage working = reduceToHalftone(picture);
    if (parser.isSet(indexedOpt))
        picture = working;

    QFile out(output);
    if (!out.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("cannot write %1").arg(output));
    try {
        writePicture(picture, *format, out);
    } catch (const Error& why) {
        return fail(QStringLiteral("%1: %2").arg(output, why.message()));
    }
    out.close();

    // What a load of this grab would find (the hero from the program, as at start-up).
    const QByteArray hero = bmpByteImage(reduceToHalftone(test::GrabArt::shipped(game, 0).hero));
    LocateInput input;
    input.working = &working;
    input.hero = &hero;
    const LocateResult found = locateGrid(input);
    std::printf("%s: %d x %d pixels, %s\n", qPrintable(output), picture.width(), picture.height(),
                qPrintable(describe(expected)));
    if (found.windowNotFound) {
        std::printf("  grid location: no game window found\n");
        return 3;
    }
    const QString foundGame =
        found.detectedGame ? gameNames()[*found.detectedGame] : QStringLiteral("game not told");
    std::printf("  grid location: %s%s, %s, %s\n", qPrintable(describe(found.grid)),
                found.layout ? qPrintable(QStringLiteral(" (layout %1)").arg(found.layout)) : "",
                qPrintable(foundGame),
                found.chosenScheme >= 0 ? qPrintable(colourName(found.chosenScheme)) : "-");
    // A map smaller than the view is taken for a game with such maps, whatever was drawn.
    const int expectedGame = map.columns < 32 || map.rows < 32 ? smallMapGame(game) : game;
    if (found.grid != expected || (found.detectedGame && *found.detectedGame != expectedGame) ||
        found.chosenScheme != scheme) {
        std::printf("  (the analysis does not find the map as drawn)\n");
        return 3;
    }
    return 0;
}
