#include "decode/MapDecoder.h"

#include "decode/CellCompare.h"
#include "pictures/BmpByteImage.h"
#include "pictures/PictureArea.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

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

// ---- The map at 8 bits ------------------------------------------------------------------

constexpr int kMaxMapColours = 256;
constexpr qint32 kMostCharacters = 4096;

// The colours of an 8-bit map and their entries: an open-addressed table of twice the most
// entries, keyed by the opaque colour (never 0, which marks a free slot).
class MapColours
{
public:
    // The entry of an opaque colour, added when it is new; -1 when the table is full.
    int entryOf(QRgb colour)
    {
        std::size_t slot = slotOf(colour);
        while (m_keys[slot] != 0) {
            if (m_keys[slot] == colour)
                return m_entries[slot];
            slot = (slot + 1) & (kSlots - 1);
        }
        if (m_table.size() >= kMaxMapColours)
            return -1;
        m_keys[slot] = colour;
        m_entries[slot] = uchar(m_table.size());
        m_table.append(colour);
        return m_entries[slot];
    }

    const QList<QRgb>& table() const { return m_table; }

    static constexpr QRgb kOpaque = 0xFF000000u;

private:
    static constexpr std::size_t kSlots = 2 * kMaxMapColours;
    static std::size_t slotOf(QRgb colour) { return ((colour * 2654435761u) >> 23) & (kSlots - 1); }

    std::array<QRgb, kSlots> m_keys{};
    std::array<uchar, kSlots> m_entries{};
    QList<QRgb> m_table;
};

// Writes the entries of a rectangle of 32-bit pixels (`width` x `rows`, rows `inStride` bytes
// apart) into 8-bit rows `outStride` apart. A map repeats the pixel before and the row above
// nearly everywhere, so both are taken over without a look-up. False when the colours run out.
bool indexPixels(const uchar* in, qsizetype inStride, uchar* out, qsizetype outStride, int width,
                 int rows, MapColours& colours)
{
    for (int row = 0; row < rows; ++row) {
        const auto* pixels = reinterpret_cast<const QRgb*>(in + row * inStride);
        uchar* entries = out + row * outStride;
        if (row > 0 &&
            std::memcmp(pixels, in + (row - 1) * inStride, std::size_t(width) * 4) == 0) {
            std::memcpy(entries, entries - outStride, std::size_t(width));
            continue;
        }
        QRgb previous = 0;
        int entry = -1;
        for (int x = 0; x < width; ++x) {
            const QRgb colour = pixels[x] | MapColours::kOpaque;
            if (entry < 0 || colour != previous) {
                entry = colours.entryOf(colour);
                if (entry < 0)
                    return false;
                previous = colour;
            }
            entries[x] = uchar(entry);
        }
    }
    return true;
}

} // namespace

QImage indexedMap(const QImage& picture, const std::vector<qint32>& drawnFrom)
{
    const int columns = picture.width() / kFullSize;
    const int rows = picture.height() / kFullSize;
    if (picture.isNull() || picture.width() != columns * kFullSize ||
        picture.height() != rows * kFullSize ||
        drawnFrom.size() != std::size_t(columns) * std::size_t(rows))
        return {};
    const QImage rgb = picture.format() == QImage::Format_RGB32
                           ? picture
                           : picture.convertToFormat(QImage::Format_RGB32);
    QImage indexed(picture.size(), QImage::Format_Indexed8);
    indexed.setDotsPerMeterX(picture.dotsPerMeterX());
    indexed.setDotsPerMeterY(picture.dotsPerMeterY());
    const uchar* from = rgb.constBits();
    const qsizetype fromStride = rgb.bytesPerLine();
    uchar* to = indexed.bits();
    const qsizetype stride = indexed.bytesPerLine();

    MapColours colours;
    // The entries of the first cell drawn from each character (index + 1) or the puzzle (0).
    std::vector<std::vector<uchar>> tiles;
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < columns; ++x) {
            const qint32 source = drawnFrom[std::size_t(y) * std::size_t(columns) + std::size_t(x)];
            uchar* cell = to + qsizetype(kFullSize) * (y * stride + x);
            std::vector<uchar>* tile = nullptr;
            // No character set comes near the bound; a cell beyond it is read on its own.
            if ((source >= 0 && source < kMostCharacters) || source == kDrawnPuzzle) {
                const std::size_t slot = source == kDrawnPuzzle ? 0 : std::size_t(source) + 1;
                if (slot >= tiles.size())
                    tiles.resize(slot + 1);
                tile = &tiles[slot];
            }
            if (tile && !tile->empty()) {
                for (int row = 0; row < kFullSize; ++row)
                    std::memcpy(cell + row * stride, tile->data() + row * kFullSize, kFullSize);
                continue;
            }
            if (!indexPixels(from + qsizetype(kFullSize) * (y * fromStride + x * 4), fromStride,
                             cell, stride, kFullSize, kFullSize, colours))
                return {}; // more than 256 colours
            if (tile) {
                tile->resize(std::size_t(kFullSize) * kFullSize);
                for (int row = 0; row < kFullSize; ++row)
                    std::memcpy(tile->data() + row * kFullSize, cell + row * stride, kFullSize);
            }
        }
    }
    indexed.setColorTable(colours.table());
    return indexed;
}

QImage enlargedCell(const QImage& fullcolour, const QRect& cell, int size)
{
    const QImage copied = fullcolour.copy(cell).convertToFormat(QImage::Format_RGB32);
    const QImage preview = copied.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return size == 32 ? preview
                      : preview.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

namespace {

std::vector<QByteArray> candidatesOf(const std::vector<QImage>* characters)
{
    std::vector<QByteArray> candidates;
    if (!characters)
        return candidates;
    candidates.reserve(characters->size());
    for (const QImage& character : *characters)
        candidates.push_back(bmpByteImage(character));
    return candidates;
}

} // namespace

CellScoring::CellScoring(const DecodeInput& input)
    : m_input(input), m_candidates(candidatesOf(input.mapsize)), m_compare(m_candidates)
{}

const QByteArray& CellScoring::cut(int column, int row)
{
    if (m_cut != QPoint(column, row)) {
        CopyPictureArea(*m_input.working, cellRect(m_input.grid, column, row), m_cell);
        m_cut = QPoint(column, row);
    }
    return m_cell;
}

quint8 CellScoring::compare(const std::vector<QByteArray>& candidates, int& best)
{
    if (&candidates == &m_candidates)
        return m_compare.compare(m_cell, best, kCellWidth, kCellHeight);
    return CompareCandidates(candidates).compare(m_cell, best, kCellWidth, kCellHeight);
}

quint8 CellScoring::best(int column, int row, int& best)
{
    cut(column, row);
    return compare(m_candidates, best);
}

int CellScoring::runnerUp(int column, int row, int best, quint8 floor)
{
    return m_compare.runnerUpScore(cut(column, row), best, kCellWidth, kCellHeight, floor);
}

std::vector<CellCandidate> CellScoring::ranked(int column, int row, std::size_t count)
{
    std::vector<CellCandidate> scores;
    if (!m_input.working || m_input.working->isNull() || column < 0 || row < 0 ||
        column >= m_input.grid.grab_width || row >= m_input.grid.grab_height)
        return scores;
    cut(column, row);
    // Each character alone, through the pass's own comparison: its score is the best of a set
    // holding only it.
    std::vector<QByteArray> one(1);
    scores.reserve(m_candidates.size());
    for (std::size_t k = 0; k < m_candidates.size(); ++k) {
        one.front() = m_candidates[k];
        int ignored = 0;
        scores.push_back({int(k), compare(one, ignored)});
    }
    std::stable_sort(
        scores.begin(), scores.end(),
        [](const CellCandidate& a, const CellCandidate& b) { return a.score > b.score; });
    if (scores.size() > count)
        scores.resize(count);
    return scores;
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
    result.drawnFrom.assign(std::size_t(std::max(columns, 0)) * std::size_t(std::max(rows, 0)),
                            kDrawnOwnPixels);

    CellScoring scoring(input);
    int shown = -1;
    const int cells = columns * rows;
    quint64 scoreTotal = 0;
    // Per cell, row by row: its best score and whether it is listed, for the cells to check.
    std::vector<quint8> scores(std::size_t(std::max(cells, 0)), 0);
    std::vector<qint8> listed(scores.size(), -1);
    int perfect = 0;
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < columns; ++x) {
            const QRect cell = cellRect(input.grid, x, y);
            int best = 0;
            const quint8 score = scoring.best(x, y, best);
            scoreTotal += score;
            // Perfect cells need no runner-up, which keeps their early stop.
            const bool nearTie =
                score < 100 &&
                scoring.runnerUp(x, y, best, quint8(std::max(0, score - kNearTiePoints))) >= 0;
            if (nearTie)
                ++result.nearTies;
            const std::size_t at = std::size_t(y) * std::size_t(columns) + std::size_t(x);
            scores[at] = score;
            perfect += score == 100;
            if (score < input.prob_match)
                listed[at] = qint8(CheckReason::Unmatched);
            else if (nearTie)
                listed[at] = qint8(CheckReason::NearTie);
            qint32 source = kDrawnOwnPixels;
            if (score >= input.prob_match) {
                source = best;
                drawCell(pixels, (*input.fullsize)[std::size_t(best)], kFullSize * x,
                         kFullSize * y);
            } else {
                if (input.puzzpiece && input.puzzle && !input.puzzle->isNull()) {
                    source = kDrawnPuzzle;
                    drawCell(pixels, *input.puzzle, kFullSize * x, kFullSize * y);
                } else {
                    drawCell(pixels, enlargedCell(*input.fullcolour, cell, kFullSize),
                             kFullSize * x, kFullSize * y);
                }
                best = -1;
                ++result.decoded.errors;
            }
            result.drawnFrom[std::size_t(y) * std::size_t(columns) + std::size_t(x)] = source;
            const int done = int(std::nearbyint(double(y * columns + x) / cells * 100.0));
            if (progress && done != shown) {
                shown = done;
                progress(done);
            }
            result.decoded.map[std::size_t(x)][std::size_t(y)] = best;
        }
    }
    // In a lossless grab nearly every cell is exactly its character: one that is not has
    // something over it (a sprite, a pointer) and may have been read as the wrong one. It is
    // listed with the near ties, which are in doubt the same way.
    result.perfect = quint32(perfect);
    const bool lossless = perfect * 2 >= cells;
    for (std::size_t at = 0; at < scores.size(); ++at) {
        if (listed[at] < 0 && lossless && scores[at] < 100)
            listed[at] = qint8(CheckReason::NearTie);
        if (listed[at] >= 0)
            result.check.append(int(at % std::size_t(columns)), int(at / std::size_t(columns)),
                                CheckReason(listed[at]));
    }
    if (cells > 0) {
        result.meanBestScore = double(scoreTotal) / cells;
        result.nearTieShare = double(result.nearTies) / cells;
    }
    return result;
}

DecodeResult drawMap(const DecodedMap& decoded, const DecodeInput& input)
{
    const int columns = decoded.columns();
    const int rows = decoded.rows();
    DecodeResult result;
    result.decoded = decoded;
    result.decoded.errors = 0;
    result.check.reset(columns, rows);
    result.picture = QImage(kFullSize * columns, kFullSize * rows, QImage::Format_RGB32);
    result.picture.fill(Qt::black); // under any picture smaller than a cell
    result.picture.setDotsPerMeterX(kMapDotsPerMeter);
    result.picture.setDotsPerMeterY(kMapDotsPerMeter);
    result.drawnFrom.assign(std::size_t(columns) * std::size_t(rows), kDrawnOwnPixels);
    const MapPixels pixels{result.picture.bits(), result.picture.bytesPerLine()};
    const bool grab = input.fullcolour && !input.fullcolour->isNull();
    const bool puzzle = input.puzzle && !input.puzzle->isNull() && (input.puzzpiece || !grab);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x) {
            const qint32 cell = decoded.map[std::size_t(x)][std::size_t(y)];
            qint32& source =
                result.drawnFrom[std::size_t(y) * std::size_t(columns) + std::size_t(x)];
            if (cell >= 0 && cell < qint32(input.fullsize->size())) {
                source = cell;
                drawCell(pixels, (*input.fullsize)[std::size_t(cell)], kFullSize * x,
                         kFullSize * y);
                continue;
            }
            result.decoded.map[std::size_t(x)][std::size_t(y)] = -1;
            ++result.decoded.errors;
            result.check.append(x, y, CheckReason::Unmatched);
            if (puzzle) {
                source = kDrawnPuzzle;
                drawCell(pixels, *input.puzzle, kFullSize * x, kFullSize * y);
            } else if (grab) {
                drawCell(pixels,
                         enlargedCell(*input.fullcolour, cellRect(input.grid, x, y), kFullSize),
                         kFullSize * x, kFullSize * y);
            }
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
