#include "decode/GameFit.h"

#include "decode/CellCompare.h"
#include "pictures/BmpByteImage.h"
#include "pictures/PictureArea.h"

#include <QHash>

#include <tuple>

namespace vt {

namespace {

auto rankOf(const GameFitScore& s)
{
    return std::tuple(s.cellsPassing, s.perfect, s.total);
}

GameFitDecider deciderOf(const GameFitScore& winner, const GameFitScore& runnerUp)
{
    if (winner.cellsPassing != runnerUp.cellsPassing)
        return GameFitDecider::CellsPassing;
    if (winner.perfect != runnerUp.perfect)
        return GameFitDecider::Perfect;
    return GameFitDecider::Total;
}

} // namespace

GameFitResult fitGames(const QImage& working, const GridGeometry& grid,
                       std::span<const std::vector<QImage>> candidateSets, quint8 prob_match)
{
    GameFitResult result;
    result.games.resize(candidateSets.size());

    // Each set prepared once; each cell cut once and scored against every set.
    std::vector<std::vector<QByteArray>> candidates(candidateSets.size());
    std::vector<CompareCandidates> compares;
    compares.reserve(candidateSets.size());
    for (std::size_t g = 0; g < candidateSets.size(); ++g) {
        for (const QImage& character : candidateSets[g])
            candidates[g].push_back(bmpByteImage(character));
        compares.emplace_back(candidates[g]);
    }

    // A map repeats a few pictures (earth, walls, blanks) over most of its cells: each distinct
    // cell picture is scored once, its scores kept by its bytes.
    QHash<QByteArray, std::size_t> seen;
    std::vector<quint8> scores; // per distinct picture, one score per set
    QByteArray cellImage;
    for (int y = 0; y < grid.grab_height; ++y) {
        for (int x = 0; x < grid.grab_width; ++x) {
            CopyPictureArea(working, cellRect(grid, x, y), cellImage);
            auto at = seen.constFind(cellImage);
            if (at == seen.constEnd()) {
                at = seen.insert(cellImage, scores.size());
                for (std::size_t g = 0; g < compares.size(); ++g) {
                    int best = 0;
                    // A set without characters fits nothing.
                    scores.push_back(
                        candidates[g].empty()
                            ? 0
                            : compares[g].compare(cellImage, best, kCellWidth, kCellHeight));
                }
            }
            for (std::size_t g = 0; g < compares.size(); ++g) {
                const quint8 score = scores[*at + g];
                GameFitScore& fit = result.games[g];
                if (candidates[g].empty())
                    continue;
                fit.cellsPassing += score >= prob_match;
                fit.perfect += score == 100;
                fit.total += score;
            }
        }
    }

    // The leader, and the best of the others: a winner only when it leads them strictly.
    int leader = -1;
    int second = -1;
    for (int g = 0; g < int(result.games.size()); ++g) {
        if (leader < 0 || rankOf(result.games[g]) > rankOf(result.games[leader])) {
            second = leader;
            leader = g;
        } else if (second < 0 || rankOf(result.games[g]) > rankOf(result.games[second])) {
            second = g;
        }
    }
    if (leader >= 0 &&
        (second < 0 || rankOf(result.games[leader]) > rankOf(result.games[second]))) {
        result.best = leader;
        result.certain = true;
        result.decidedBy = second < 0 ? GameFitDecider::None
                                      : deciderOf(result.games[leader], result.games[second]);
        if (second >= 0) {
            const qint64 cells = qint64(grid.grab_width) * grid.grab_height;
            const auto leads = [cells](qint64 by) { return by >= 2 && by * 100 >= cells; };
            const GameFitScore& a = result.games[std::size_t(leader)];
            const GameFitScore& b = result.games[std::size_t(second)];
            result.decisive = leads(qint64(a.cellsPassing) - b.cellsPassing) ||
                              (a.cellsPassing >= b.cellsPassing &&
                               leads(qint64(a.perfect) - b.perfect));
        }
    }
    return result;
}

} // namespace vt
