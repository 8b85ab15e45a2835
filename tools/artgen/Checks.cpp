#include "Checks.h"

#include "Schemes.h"

#include <cmath>
#include <unordered_set>

namespace vt::art {

int cellScore(const Cell& a, const Cell& b)
{
    long total = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        total += diff(a[i], b[i]);
    const double perfect = static_cast<double>(a.size()) * 256.0;
    return static_cast<int>(std::nearbyint(total / perfect * 100.0));
}

std::vector<std::string> checkMapSet(int game, int scheme, const std::vector<Cell>& cells,
                                     ClosestPair& closest)
{
    std::vector<std::string> problems;
    const std::string where =
        "game " + std::to_string(game + 1) + ", scheme " + std::to_string(scheme);
    for (std::size_t i = 0; i < cells.size(); ++i)
        for (std::size_t p = 0; p < cells[i].size(); ++p) {
            const Rgb& c = cells[i][p];
            if (!allowedInScheme(c, scheme)) {
                problems.push_back(where + ": character " + std::to_string(i) + " pixel " +
                                   std::to_string(p) + " (" + std::to_string(c.r) + "," +
                                   std::to_string(c.g) + "," + std::to_string(c.b) +
                                   ") counts for scheme " + std::to_string(nearestReference(c)));
                break;
            }
        }
    closest = {scheme, 0, 0, -1};
    for (std::size_t i = 0; i < cells.size(); ++i)
        for (std::size_t j = i + 1; j < cells.size(); ++j) {
            if (cells[i] == cells[j])
                problems.push_back(where + ": characters " + std::to_string(i) + " and " +
                                   std::to_string(j) + " are identical");
            const int score = cellScore(cells[i], cells[j]);
            if (score > closest.score)
                closest = {scheme, static_cast<int>(i), static_cast<int>(j), score};
        }
    return problems;
}

int distinctColours(const std::vector<QImage>& pictures)
{
    std::unordered_set<QRgb> colours;
    for (const QImage& picture : pictures) {
        const QImage opaque = picture.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < opaque.height(); ++y)
            for (int x = 0; x < opaque.width(); ++x)
                colours.insert(opaque.pixel(x, y));
    }
    return static_cast<int>(colours.size());
}

} // namespace vt::art
