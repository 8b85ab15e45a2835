// Open Map: a table the program wrote taken back into the session as its decoded map.
#include "session/GrabSession.h"

#include "charsets/GameTables.h"
#include "export/MapTable.h"

#include <QDir>
#include <QFileInfo>

namespace vt {

namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

QStringList GrabSession::openMap(const QString& path, const MapTableFile& table, int askedGame,
                                 int askedCharRef, const QString& grab)
{
    int tableGame = askedGame;
    int charRef = askedCharRef;
    QStringList notes;
    if (table.kind != TableKind::Csv) {
        // A Tiled map names its own; one written before the maps did is read with the defaults.
        tableGame = table.game.value_or(0);
        charRef = table.charRef.value_or(kCharRefAtlas);
        if (!table.namesGameAndCodes())
            notes.append(QStringLiteral("\"%1\" does not say which game it is of and how it "
                                        "names the characters: it was read as a map of %2 with "
                                        "references into the atlas.")
                             .arg(shown(path), gameNames().value(tableGame)));
    }
    // Every code is read before anything changes: a table that fails leaves the session be.
    const DecodedMap map = mapOfTable(table, path, tableGame, charRef);

    std::optional<WorkingPictures> pictures;
    if (!grab.isEmpty()) {
        try {
            pictures = readGrab(grab);
        } catch (const Error& error) {
            notes.append(QStringLiteral("The grab was not used: %1").arg(error.message()));
        }
    }
    if (pictures) {
        // Analysed as a load analyses it; the table's game and scheme stand over what the
        // analysis guesses.
        loadPictures(std::move(*pictures), grab, true);
        if (outcome == LoadOutcome::WindowNotFound || grid.grab_width != table.columns ||
            grid.grab_height != table.rows) {
            notes.append(
                QStringLiteral("The grab \"%1\" was not used: %2, the map %3 x %4.")
                    .arg(shown(grab), outcome == LoadOutcome::WindowNotFound
                                          ? QStringLiteral("no game window was found in it")
                                          : QStringLiteral("its grid is %1 x %2 cells")
                                                .arg(grid.grab_width)
                                                .arg(grid.grab_height))
                    .arg(table.columns)
                    .arg(table.rows));
            pictures.reset();
        }
    }
    if (!pictures) {
        closeGrab();
        grid = GridGeometry{};
        grid.grab_width = table.columns;
        grid.grab_height = table.rows;
        det = grid;
        located = LocateResult{};
        outcome = LoadOutcome::NotRecognised;
        gameFit = GameFitResult{};
        confidence = Confidence{};
        m_decodable = false;
    } else {
        discardMap();
    }
    game = tableGame;
    colour = table.colour;
    ExtractCharsFromResource(colour, true);

    const QImage puzzle = ProgramArt::shared().puzzle();
    DecodeInput input;
    input.fullcolour = pictures ? &fullcolourimage : nullptr;
    input.grid = grid;
    input.fullsize = fullsize_char.get();
    input.puzzle = &puzzle;
    input.puzzpiece = prefs.puzzpiece;
    DecodeResult result = drawMap(map, input);
    decoded = std::move(result.decoded);
    mapPicture = std::move(result.picture);
    check = std::move(result.check);
    m_drawnFrom = std::move(result.drawnFrom);
    m_drawnFor = mapPicture.cacheKey();
    m_hasMap = true;
    openedTable = path;
    openedCharRef = charRef;
    return notes;
}

QString GrabSession::grabBesideTable(const QString& path)
{
    const QFileInfo table(path);
    const QString base = table.completeBaseName();
    QStringList names;
    for (const QLatin1String suffix : {QLatin1String(" decode"), QLatin1String("-decode")})
        if (base.endsWith(suffix, Qt::CaseInsensitive) && base.size() > suffix.size())
            names.append(base.chopped(suffix.size()));
    names.append(base);
    static const char* const kExtensions[] = {".png", ".bmp", ".gif", ".jpeg", ".jpg"};
    for (const QString& name : names)
        for (const char* extension : kExtensions) {
            const QString picture = table.dir().filePath(name + QLatin1String(extension));
            if (QFileInfo(picture).isFile())
                return picture;
        }
    return QString();
}

} // namespace vt
