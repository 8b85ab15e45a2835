#include "intake/Resample.h"

#include <QRgb>

#include <algorithm>
#include <cmath>
#include <vector>

namespace vt {

namespace {

struct Tap
{
    int first = 0;              // the first picture pixel read
    std::vector<float> weights; // from `first` on, summing to 1
};

// The picture pixels game pixels first .. first + count - 1 along one axis read: the middle of
// each one's footprint, half a picture pixel wider than its core and at least one pixel wide
// (so a reduced capture is interpolated between the two pixels nearest its centre), as far as
// it lies in the picture.
std::vector<Tap> taps(const AxisLattice& axis, int first, int count, int length)
{
    const double s = axis.scale;
    const double width = std::max(1.0, 0.5 * s + 0.5);
    std::vector<Tap> out(std::size_t(std::max(0, count)));
    for (int i = 0; i < count; ++i) {
        const double centre = axis.phase + s * (first + i + 0.5);
        const double a = std::clamp(centre - width / 2, 0.0, double(length - 1));
        const double b = std::clamp(centre + width / 2, a + 0.5, double(length));
        Tap& tap = out[std::size_t(i)];
        tap.first = int(std::floor(a));
        const int last = std::min(length - 1, int(std::ceil(b)) - 1);
        float total = 0;
        for (int x = tap.first; x <= last; ++x) {
            const float w = float(std::min(b, double(x + 1)) - std::max(a, double(x)));
            tap.weights.push_back(std::max(0.0f, w));
            total += tap.weights.back();
        }
        if (total <= 0) {
            tap.weights.assign(1, 1.0f);
            continue;
        }
        for (float& w : tap.weights)
            w /= total;
    }
    return out;
}

// The game pixels along one axis that, enlarged by linear interpolation between pixel centres
// (as display scaling and most viewers enlarge), best give the picture's: a least-squares
// solve, the same tridiagonal system for every line, so factored once.
class LinearInverse
{
public:
    LinearInverse(const AxisLattice& axis, int first, int count, int length)
        : m_first(first), m_count(count)
    {
        std::vector<double> diagonal(std::size_t(count), 1e-3);
        std::vector<double> upper(std::size_t(count), 0.0);
        for (int x = 0; x < length; ++x) {
            const double u = (x + 0.5 - axis.phase) / axis.scale - 0.5 - first;
            if (u < 0 || u > count - 1)
                continue;
            const int i = std::min(int(u), count - 2);
            const double t = u - i;
            m_samples.push_back({x, i, t});
            diagonal[std::size_t(i)] += (1 - t) * (1 - t);
            diagonal[std::size_t(i + 1)] += t * t;
            upper[std::size_t(i)] += (1 - t) * t;
        }
        // Thomas factors of the symmetric tridiagonal system.
        m_c.assign(std::size_t(count), 0.0);
        m_d.assign(std::size_t(count), 0.0);
        m_upper = upper;
        for (std::size_t i = 0; i < std::size_t(count); ++i) {
            const double below = i ? upper[i - 1] : 0.0;
            m_d[i] = diagonal[i] - (i ? below * m_c[i - 1] : 0.0);
            m_c[i] = upper[i] / m_d[i];
        }
    }

    bool usable() const { return m_count >= 2 && !m_samples.empty(); }

    // `in` holds the picture's values along the line, `stride` apart; `out` gets the game's.
    void solve(const float* in, std::size_t stride, float* out) const
    {
        m_rhs.assign(std::size_t(m_count), 0.0);
        for (const Sample& s : m_samples) {
            const double y = in[std::size_t(s.x) * stride];
            m_rhs[std::size_t(s.i)] += (1 - s.t) * y;
            m_rhs[std::size_t(s.i + 1)] += s.t * y;
        }
        for (std::size_t i = 0; i < std::size_t(m_count); ++i)
            m_rhs[i] = (m_rhs[i] - (i ? m_upper[i - 1] * m_rhs[i - 1] : 0.0)) / m_d[i];
        for (std::size_t i = std::size_t(m_count) - 1; i-- > 0;)
            m_rhs[i] -= m_c[i] * m_rhs[i + 1];
        for (std::size_t i = 0; i < std::size_t(m_count); ++i)
            out[i] = float(m_rhs[i]);
    }

    // How far the game's line, enlarged again, lies from the picture's, squared and summed.
    double residual(const float* in, std::size_t stride, const float* game) const
    {
        double sum = 0;
        for (const Sample& s : m_samples) {
            const double back = (1 - s.t) * game[s.i] + s.t * game[s.i + 1];
            const double d = back - in[std::size_t(s.x) * stride];
            sum += d * d;
        }
        return sum;
    }
    std::size_t samples() const { return m_samples.size(); }

private:
    struct Sample
    {
        int x;
        int i;
        double t;
    };
    int m_first;
    int m_count;
    std::vector<Sample> m_samples;
    std::vector<double> m_c, m_d, m_upper;
    mutable std::vector<double> m_rhs;
};

// How far lines of `area` (every few) are from linear enlargements of game lines under `axis`:
// the mean squared difference per sample.
double linearResidual(const QImage& source, const AxisLattice& axis, bool across, const QRect& area,
                      int lineCount = 10)
{
    const int length = across ? source.width() : source.height();
    const double first = std::floor((area.left() - axis.phase) / axis.scale);
    const double last = std::ceil((area.right() + 1 - axis.phase) / axis.scale);
    const int from = across ? int(first) : int(std::floor((area.top() - axis.phase) / axis.scale));
    const int to = across ? int(last) : int(std::ceil((area.bottom() + 1 - axis.phase) / axis.scale));
    const LinearInverse inverse(axis, from, to - from + 1, length);
    if (!inverse.usable())
        return 1e9;
    std::vector<float> values(static_cast<std::size_t>(length));
    std::vector<float> game(std::size_t(to - from + 1));
    double sum = 0;
    std::size_t samples = 0;
    const int lines = across ? source.height() : source.width();
    const int lo = across ? area.top() : area.left();
    const int hi = std::min(lines - 1, across ? area.bottom() : area.right());
    const int step = std::max(1, (hi - lo) / lineCount);
    for (int line = std::max(0, lo); line <= hi; line += step)
        for (int channel = 0; channel < 3; ++channel) {
            for (int i = 0; i < length; ++i) {
                const QRgb c = across ? reinterpret_cast<const QRgb*>(source.constScanLine(line))[i]
                                      : reinterpret_cast<const QRgb*>(source.constScanLine(i))[line];
                values[std::size_t(i)] =
                    float(channel == 0 ? qRed(c) : channel == 1 ? qGreen(c) : qBlue(c));
            }
            inverse.solve(values.data(), 1, game.data());
            sum += inverse.residual(values.data(), 1, game.data());
            samples += inverse.samples();
        }
    return samples ? sum / double(samples) : 1e9;
}

// The game pixels of `area` under linear interpolation, when that explains the picture nearly
// exactly (the capture was enlarged so); null otherwise.
QImage linearInverse(const QImage& source, const Lattice& lattice, const QRect& area)
{
    if (lattice.x.scale < 1.05 || lattice.y.scale < 1.05)
        return {};
    // A few lines each way tell first whether the picture was enlarged so at all.
    if (linearResidual(source, lattice.x, true, source.rect(), 6) > 36.0 ||
        linearResidual(source, lattice.y, false, source.rect(), 6) > 36.0)
        return {};
    const LinearInverse across(lattice.x, area.x(), area.width(), source.width());
    const LinearInverse down(lattice.y, area.y(), area.height(), source.height());
    if (!across.usable() || !down.usable())
        return {};
    const int w = source.width();
    const int h = source.height();
    const int gw = area.width();
    const int gh = area.height();
    // Channels apart, down first: a column of the picture to a column of game rows.
    std::vector<float> picture(std::size_t(w) * std::size_t(h));
    std::vector<float> columns(std::size_t(w) * std::size_t(gh));
    std::vector<float> game(std::size_t(gw) * std::size_t(gh) * 3);
    std::vector<float> line(std::size_t(std::max(gw, gh)));
    double error = 0;
    std::size_t samples = 0;
    for (int channel = 0; channel < 3; ++channel) {
        for (int y = 0; y < h; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(source.constScanLine(y));
            for (int x = 0; x < w; ++x) {
                const QRgb c = row[x];
                picture[std::size_t(y) * std::size_t(w) + std::size_t(x)] =
                    float(channel == 0 ? qRed(c) : channel == 1 ? qGreen(c) : qBlue(c));
            }
        }
        for (int x = 0; x < w; ++x) {
            down.solve(&picture[std::size_t(x)], std::size_t(w), line.data());
            if (x % 7 == 0) { // a sample of the columns tells the fit
                error += down.residual(&picture[std::size_t(x)], std::size_t(w), line.data());
                samples += down.samples();
            }
            for (int Y = 0; Y < gh; ++Y)
                columns[std::size_t(Y) * std::size_t(w) + std::size_t(x)] = line[std::size_t(Y)];
        }
        for (int Y = 0; Y < gh; ++Y) {
            const float* in = &columns[std::size_t(Y) * std::size_t(w)];
            across.solve(in, 1, line.data());
            if (Y % 7 == 0) {
                error += across.residual(in, 1, line.data());
                samples += across.samples();
            }
            for (int X = 0; X < gw; ++X)
                game[(std::size_t(Y) * std::size_t(gw) + std::size_t(X)) * 3 + std::size_t(channel)] =
                    line[std::size_t(X)];
        }
    }
    // Nearly exact: within about six levels a channel. A capture enlarged otherwise (pixels
    // replicated, or reduced) is read by averaging instead.
    if (!samples || error / double(samples) > 36.0)
        return {};
    QImage out(gw, gh, QImage::Format_RGB32);
    for (int Y = 0; Y < gh; ++Y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(Y));
        for (int X = 0; X < gw; ++X) {
            const float* g = &game[(std::size_t(Y) * std::size_t(gw) + std::size_t(X)) * 3];
            const auto level = [](float v) { return std::clamp(int(std::lround(v)), 0, 255); };
            row[X] = qRgb(level(g[0]), level(g[1]), level(g[2]));
        }
    }
    return out;
}

} // namespace

QRect gameArea(const Lattice& lattice, QSize picture)
{
    // A game pixel cut by the picture's edge counts where a picture pixel of it shows, or half
    // of it when it was reduced: a cut-off map keeps its first line.
    const auto range = [](const AxisLattice& axis, int length) {
        const double shown = std::min(1.0, 0.5 * axis.scale);
        const int first = int(std::ceil((shown - axis.phase) / axis.scale - 1 - 1e-9));
        const int last = int(std::floor((length - shown - axis.phase) / axis.scale + 1e-9));
        return std::pair{first, last};
    };
    const auto [x0, x1] = range(lattice.x, picture.width());
    const auto [y0, y1] = range(lattice.y, picture.height());
    if (x1 < x0 || y1 < y0)
        return {};
    return QRect(QPoint(x0, y0), QPoint(x1, y1));
}

// The part of the picture that game pixels `area` read (with a margin of two game pixels), and
// the lattice moved to it.
std::pair<QImage, Lattice> partRead(const QImage& fullcolour, Lattice lattice, const QRect& area)
{
    const auto span = [](const AxisLattice& a, int first, int last, int length) {
        const int from = std::max(0, int(std::floor(a.phase + a.scale * (first - 2))));
        const int to = std::min(length, int(std::ceil(a.phase + a.scale * (last + 3))));
        return std::pair{from, to};
    };
    const auto [x0, x1] = span(lattice.x, area.left(), area.right(), fullcolour.width());
    const auto [y0, y1] = span(lattice.y, area.top(), area.bottom(), fullcolour.height());
    if (x1 <= x0 || y1 <= y0)
        return {};
    QImage part = fullcolour.copy(x0, y0, x1 - x0, y1 - y0);
    if (part.format() != QImage::Format_RGB32)
        part = part.convertToFormat(QImage::Format_RGB32);
    lattice.x.phase -= x0;
    lattice.y.phase -= y0;
    return {part, lattice};
}

QImage gamePixels(const QImage& fullcolour, const Lattice& whole, const QRect& area,
                  bool invertLinear)
{
    if (area.isEmpty() || fullcolour.isNull())
        return {};
    const auto [source, lattice] = partRead(fullcolour, whole, area);
    if (source.isNull())
        return {};
    if (invertLinear)
        if (QImage inverse = linearInverse(source, lattice, area); !inverse.isNull())
            return inverse;
    const std::vector<Tap> across = taps(lattice.x, area.x(), area.width(), source.width());
    const std::vector<Tap> down = taps(lattice.y, area.y(), area.height(), source.height());
    QImage game(area.size(), QImage::Format_RGB32);
    // Down first, into one line of the picture's width; then across.
    std::vector<float> line(std::size_t(source.width()) * 3);
    for (int Y = 0; Y < game.height(); ++Y) {
        std::fill(line.begin(), line.end(), 0.0f);
        const Tap& t = down[std::size_t(Y)];
        for (std::size_t k = 0; k < t.weights.size(); ++k) {
            const float w = t.weights[k];
            const auto* row =
                reinterpret_cast<const QRgb*>(source.constScanLine(t.first + int(k)));
            for (int x = 0; x < source.width(); ++x) {
                line[std::size_t(x) * 3] += w * float(qRed(row[x]));
                line[std::size_t(x) * 3 + 1] += w * float(qGreen(row[x]));
                line[std::size_t(x) * 3 + 2] += w * float(qBlue(row[x]));
            }
        }
        auto* out = reinterpret_cast<QRgb*>(game.scanLine(Y));
        for (int X = 0; X < game.width(); ++X) {
            const Tap& u = across[std::size_t(X)];
            float r = 0, g = 0, b = 0;
            for (std::size_t k = 0; k < u.weights.size(); ++k) {
                const std::size_t at = std::size_t(u.first + int(k)) * 3;
                r += u.weights[k] * line[at];
                g += u.weights[k] * line[at + 1];
                b += u.weights[k] * line[at + 2];
            }
            out[X] = qRgb(int(std::lround(r)), int(std::lround(g)), int(std::lround(b)));
        }
    }
    return game;
}

WorkingPictures resampleToGame(const QImage& fullcolour, const Lattice& lattice)
{
    const QImage game = gamePixels(fullcolour, lattice, gameArea(lattice, fullcolour.size()));
    if (game.isNull())
        return {};
    return makeWorkingPictures(game);
}

Lattice polishLinear(const QImage& fullcolour, Lattice lattice, const QRect& part)
{
    if (lattice.x.scale < 1.05 || lattice.y.scale < 1.05)
        return lattice;
    const QRect inPicture = part.intersected(fullcolour.rect());
    if (inPicture.width() < 32 || inPicture.height() < 30)
        return lattice;
    // Only the part is read: the lattice moves to its corner and back.
    QImage source = fullcolour.copy(inPicture);
    if (source.format() != QImage::Format_RGB32)
        source = source.convertToFormat(QImage::Format_RGB32);
    lattice.x.phase -= inPicture.x();
    lattice.y.phase -= inPicture.y();
    const QRect area = source.rect();
    for (const bool across : {true, false}) {
        AxisLattice& axis = across ? lattice.x : lattice.y;
        const double centre = across ? area.center().x() : area.center().y();
        const auto rescaled = [centre](AxisLattice a, double scale) {
            a.phase += (a.scale - scale) * (centre - a.phase) / a.scale;
            a.scale = scale;
            return a;
        };
        // The best phase for a scale, by halving steps over a whole game pixel.
        const auto bestPhase = [&](AxisLattice a) {
            double r = linearResidual(source, a, across, area);
            for (double step = a.scale / 4; step > a.scale / 160; step /= 2)
                for (const int k : {-1, 1}) {
                    AxisLattice b = a;
                    b.phase += k * step;
                    const double rb = linearResidual(source, b, across, area);
                    if (rb < r) {
                        r = rb;
                        a = b;
                    }
                }
            return std::pair{a, r};
        };
        // The scale over half a percent either way, then finer round the best; not at all where
        // no phase comes near (pixels replicated, or a reduced capture).
        auto [best, bestResidual] = bestPhase(axis);
        if (bestResidual > 4 * 36.0)
            continue;
        for (const double step : {0.0012, 0.0004, 0.00013, 0.00004}) {
            const AxisLattice start = best;
            for (int k = -3; k <= 3; ++k) {
                if (k == 0)
                    continue;
                const auto [a, r] = bestPhase(rescaled(start, start.scale * (1 + k * step)));
                if (r < bestResidual) {
                    bestResidual = r;
                    best = a;
                }
            }
        }
        if (bestResidual < 36.0)
            axis = best;
    }
    lattice.x.phase += inPicture.x();
    lattice.y.phase += inPicture.y();
    return lattice;
}

} // namespace vt
