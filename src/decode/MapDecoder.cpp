#include "decode/MapDecoder.h"

#include "decode/CellCompare.h"
#include "pictures/BmpByteImage.h"
#include "pictures/PictureArea.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vt {

namespace {

// The converted map's pixels, taken once per pass: QImage::scanLine checks for sharing on
// every call, which cost a fifth of the pass at 64 rows per cell.
struct MapPixels
{
    uchar* bits;
    qsizetype stride;
};

// Copies a 64 x 64 picture into the converted map; both are 32-bit, so rows copy whole.
void drawCell(const MapPixels& target, const QImage& cell, int x, int y)
{
    const QImage source =
        cell.format() == QImage::Format_RGB32 ? cell : cell.convertToFormat(QImage::Format_RGB32);
    const int rows = std::min(source.height(), kFullSize);
    const int bytes = std::min(source.width(), kFullSize) * 4;
    const uchar* from = source.constBits();
    uchar* to = target.bits + qsizetype(y) * target.stride + qsizetype(x) * 4;
    for (int row = 0; row < rows; ++row)
        std::memcpy(to + row * target.stride, from + row * source.bytesPerLine(),
                    std::size_t(bytes));
}

} // namespace

QImage enlargedCell(const QImage& fullcolour, const QRect& cell, int size)
{
    const QImage copied = fullcolour.copy(cell).convertToFormat(QImage::Format_RGB32);
    const QImage preview = copied.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return size == 32 ? preview
                      : preview.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

DecodeResult decodeMap(const DecodeInput& input, const std::function<void(int)>& progress)
{
    const int columns = input.grid.grab_width;
    const int rows = input.grid.grab_height;
    DecodeResult result;
    result.decoded.reset(columns, rows);
    result.check.reset(columns, rows);
    result.picture = QImage(kFullSize * columns, kFullSize * rows, QImage::Format_RGB32);
    // Every cell is drawn over in full by a 64 x 64 picture; only smaller ones leave black.
    const auto fills = [](const QImage& picture) {
        return picture.width() >= kFullSize && picture.height() >= kFullSize;
    };
    const bool covered =
        std::all_of(input.fullsize->begin(), input.fullsize->end(), fills) &&
        (!input.puzzpiece || !input.puzzle || input.puzzle->isNull() || fills(*input.puzzle));
    if (!covered)
        result.picture.fill(Qt::black);
    // A new picture takes the screen's resolution, which BMP, PNG and JPEG files record: fixed
    // at 96 dots per inch, a map's files are the same whichever screen (or none) it is made on.
    result.picture.setDotsPerMeterX(kMapDotsPerMeter);
    result.picture.setDotsPerMeterY(kMapDotsPerMeter);

    const MapPixels pixels{result.picture.bits(), result.picture.bytesPerLine()};

    std::vector<QByteArray> candidates;
    candidates.reserve(input.mapsize->size());
    for (const QImage& character : *input.mapsize)
        candidates.push_back(bmpByteImage(character));

    const CompareCandidates compare(candidates); // the candidates' palettes checked once
    QByteArray cellImage;
    int shown = -1;
    const int cells = columns * rows;
    quint64 scoreTotal = 0;
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < columns; ++x) {
            const QRect cell = cellRect(input.grid, x, y);
            CopyPictureArea(*input.working, cell, cellImage);
            int best = 0;
            const quint8 score = compare.compare(cellImage, best, kCellWidth, kCellHeight);
            scoreTotal += score;
            // Perfect cells need no runner-up, which keeps their early stop.
            const bool nearTie =
                score < 100 &&
                compare.runnerUpScore(cellImage, best, kCellWidth, kCellHeight,
                                      quint8(std::max(0, score - kNearTiePoints))) >= 0;
            if (nearTie)
                ++result.nearTies;
            if (score < input.prob_match)
                result.check.append(x, y, CheckReason::Unmatched);
            else if (nearTie)
                result.check.append(x, y, CheckReason::NearTie);
            if (score >= input.prob_match) {
                drawCell(pixels, (*input.fullsize)[std::size_t(best)], kFullSize * x,
                         kFullSize * y);
            } else {
                if (input.puzzpiece && input.puzzle && !input.puzzle->isNull())
                    drawCell(pixels, *input.puzzle, kFullSize * x, kFullSize * y);
                else
                    drawCell(pixels, enlargedCell(*input.fullcolour, cell, kFullSize),
                             kFullSize * x, kFullSize * y);
                best = -1;
                ++result.decoded.errors;
            }
            const int done = int(std::nearbyint(double(y * columns + x) / cells * 100.0));
            if (progress && done != shown) {
                shown = done;
                progress(done);
            }
            result.decoded.map[std::size_t(x)][std::size_t(y)] = best;
        }
    }
    if (cells > 0) {
        result.meanBestScore = double(scoreTotal) / cells;
        result.nearTieShare = double(result.nearTies) / cells;
    }
    return result;
}

int accuracyPercent(quint32 errors, int columns, int rows)
{
    const double cells = double(columns) * rows;
    if (cells <= 0)
        return 0;
    return 100 - int(std::nearbyint(double(errors) / cells * 100.0));
}

QColor accuracyColour(int accuracy)
{
    if (accuracy < 25)
        return QColor(255, 0, 0);
    if (accuracy < 50)
        return QColor(255, 0, 255);
    if (accuracy < 75)
        return QColor(255, 255, 0);
    return QColor(0, 255, 0);
}

} // namespace vt
