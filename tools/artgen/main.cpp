// vorlan-artgen <resources-folder> [<contact-sheet.png>]
//
// Draws the character atlases, two per game and scheme (into <resources-folder>/rcdata), and
// the pictures of the windows (into <resources-folder>/pictures), checks the map-size characters
// and the colours of the full-size atlases, and reports the closest pair of characters of each
// game and the most colours of a full-size atlas. Fails when a check fails. The output is the
// same on every run and every machine.
#include "Atlases.h"
#include "BmpWriter.h"
#include "Characters.h"
#include "Checks.h"
#include "Pictures.h"
#include "Schemes.h"
#include "charsets/GameTables.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdio>

namespace {

using namespace vt::art;

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

bool writePicture(const QString& path, const QImage& image)
{
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: vorlan-artgen <resources-folder> [<contact-sheet.png>]\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("rcdata")) || !out.mkpath(QStringLiteral("pictures"))) {
        std::fprintf(stderr, "cannot create the folders under %s\n", argv[1]);
        return 1;
    }

    const std::vector<NamedPicture> pictures = windowPictures();
    QImage puzzle;
    for (const NamedPicture& picture : pictures)
        if (picture.name == QLatin1String("PUZZLE.png"))
            puzzle = picture.image;

    // The art follows the game table: a catalogue for every game, as long as its character set.
    for (int game = 0; game < vt::kGameCount; ++game) {
        const std::size_t drawn = catalogue(game).size();
        if (drawn != vt::char_count[static_cast<std::size_t>(game)]) {
            std::fprintf(stderr, "%s has %d characters, its catalogue %zu\n", vt::kGames[game].name,
                         vt::char_count[static_cast<std::size_t>(game)], drawn);
            return 1;
        }
    }

    bool ok = true;
    const int puzzleColours = distinctColours({puzzle});
    if (puzzleColours > kPuzzleColours) {
        std::fprintf(stderr, "the puzzle piece has %d colours, more than %d\n", puzzleColours,
                     kPuzzleColours);
        ok = false;
    }
    for (int game = 0; game < vt::kGameCount; ++game) {
        ClosestPair closest{0, 0, 0, -1};
        int mostColours = 0;
        for (int scheme = 0; scheme < kSchemeCount; ++scheme) {
            std::vector<Cell> cells;
            for (int i = 0; i < vt::char_count[static_cast<std::size_t>(game)]; ++i)
                cells.push_back(mapCharacter(game, scheme, i));
            ClosestPair pair;
            for (const std::string& problem : checkMapSet(game, scheme, cells, pair)) {
                std::fprintf(stderr, "%s\n", problem.c_str());
                ok = false;
            }
            if (pair.score > closest.score)
                closest = pair;

            const QString full = QString::fromLatin1(atlasFileName(game, scheme, true));
            const QString map = QString::fromLatin1(atlasFileName(game, scheme, false));
            const QByteArray fullBytes = fullAtlas(game, scheme);
            ok = writeFile(out.filePath(QStringLiteral("rcdata/") + full), fullBytes) && ok;
            // Counted as the program reads the atlas: 5-6-5 widened by the toolkit's reader.
            const int colours = distinctColours({QImage::fromData(fullBytes, "BMP"), puzzle});
            if (colours > kColourBudget) {
                std::fprintf(stderr, "%s with the puzzle piece has %d colours, more than %d\n",
                             qPrintable(full), colours, kColourBudget);
                ok = false;
            }
            mostColours = std::max(mostColours, colours);
            ok = writeFile(out.filePath(QStringLiteral("rcdata/") + map), mapAtlas(game, scheme)) &&
                 ok;
        }
        const char* name = vt::kGames[game].name;
        std::printf("%s: closest pair %d and %d in %s, score %d\n", name, closest.first,
                    closest.second, vt::colour_names[static_cast<std::size_t>(closest.scheme)],
                    closest.score);
        std::printf("%s: at most %d colours in a full-size atlas with the puzzle piece\n", name,
                    mostColours);
    }

    ok = writeFile(out.filePath(QStringLiteral("pictures/HERO.bmp")),
                   bmp24(kHeroSize, kHeroSize, heroPixels())) &&
         ok;
    for (const NamedPicture& picture : pictures)
        ok =
            writePicture(out.filePath(QStringLiteral("pictures/") + picture.name), picture.image) &&
            ok;
    if (argc == 3)
        ok = writePicture(QString::fromLocal8Bit(argv[2]), contactSheet()) && ok;
    return ok ? 0 : 1;
}
