#include "charsets/Atlas.h"

#include "pictures/Error.h"
#include "charsets/GameTables.h"
#include "pictures/Halftone.h"
#include "charsets/Lzh.h"
#include "charsets/Resources.h"

namespace vt {

QImage loadAtlas(const QString& name)
{
    const std::optional<QByteArray> stored = readResource(name);
    if (!stored)
        throw Error(
            QStringLiteral("The character atlas \"%1\" is missing from the program.").arg(name));
    QByteArray bytes = *stored;
    if (bytes.startsWith("!HZL")) {
        try {
            bytes = lzhDecompress(bytes);
        } catch (const ELzrw1Exception& error) {
            throw Error(QStringLiteral("The character atlas \"%1\" cannot be decompressed: %2")
                            .arg(name, QString::fromUtf8(error.what())));
        }
    }
    QImage atlas = QImage::fromData(bytes, "BMP");
    if (atlas.isNull())
        throw Error(
            QStringLiteral("The character atlas \"%1\" is not a valid BMP picture.").arg(name));
    return atlas;
}

std::vector<QImage> Extract(const QImage& atlas, int sx, int sy, int chars, int across, int w,
                            int h, int bpp)
{
    std::vector<QImage> cells;
    cells.reserve(static_cast<std::size_t>(chars));
    for (int b = 0; b < chars; ++b) {
        const QRect source(sx + w * (b % across), sy + h * (b / across), w, h);
        const QImage cell = atlas.copy(source);
        if (bpp == 16 || bpp == 32)
            cells.push_back(cell.convertToFormat(QImage::Format_RGB32));
        else
            cells.push_back(reduceToHalftone(cell));
    }
    return cells;
}

std::vector<QImage> loadCharacters(int game, int colour, bool fullsize)
{
    const QImage atlas = loadAtlas(atlasName(game, colour, fullsize));
    const int count = char_count[static_cast<std::size_t>(game)];
    return fullsize ? Extract(atlas, 0, 0, count, 16, 64, 64, 16)
                    : Extract(atlas, 0, 0, count, 16, 16, 15, 8);
}

} // namespace vt
