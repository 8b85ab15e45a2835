#include "intake/Lattice.h"

#include <QRgb>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <numbers>

namespace vt {

namespace {

using Complex = std::complex<double>;
constexpr double kTau = 2 * std::numbers::pi;

// Harmonics of the cell's pitch weighed: up to the game pixel's own, where the pixels' edges
// repeat.
constexpr int kHarmonics = 16;
// Work per profile, in pixels read: a larger picture is read on every n-th line.
constexpr long kProfileBudget = 6'000'000;

void fft(std::vector<Complex>& a)
{
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const Complex step = std::polar(1.0, -kTau / double(len));
        for (std::size_t i = 0; i < n; i += len) {
            Complex w = 1;
            for (std::size_t k = 0; k < len / 2; ++k) {
                const Complex u = a[i + k];
                const Complex v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                w *= step;
            }
        }
    }
}

// The profile less its mean, under a Hann window, so that the picture's own edges and its
// overall brightness leave the spectrum alone.
std::vector<double> prepared(const std::vector<double>& profile)
{
    const std::size_t n = profile.size();
    double mean = 0;
    for (double v : profile)
        mean += v;
    mean /= double(n);
    std::vector<double> out(n);
    for (std::size_t i = 0; i < n; ++i)
        out[i] = (profile[i] - mean) * (0.5 - 0.5 * std::cos(kTau * (double(i) + 0.5) / double(n)));
    return out;
}

// The amplitude of the profile at `frequency` (cycles per pixel), computed directly.
Complex component(const std::vector<double>& p, double frequency)
{
    Complex sum = 0;
    const Complex step = std::polar(1.0, -kTau * frequency);
    Complex w = 1;
    for (std::size_t i = 0; i < p.size(); ++i) {
        sum += p[i] * w;
        w *= step;
        if ((i & 255) == 255) // keep the rotation on the unit circle
            w /= std::abs(w);
    }
    return sum;
}

// How much more the profile repeats at the harmonics of `f0` than between them, by medians
// over the harmonics: the median keeps the one harmonic where the game's pixels repeat from
// lending its strength to every pitch that meets it. Between the harmonics is measured at
// every fraction with a denominator up to 5, the strongest taken: a pitch k times shorter than
// the true one (k up to 5) finds the true harmonics there, one k times longer finds most of
// its own harmonics empty.
constexpr std::array<double, 9> kBetween = {0.2, 0.25, 1.0 / 3, 0.4, 0.5, 0.6, 2.0 / 3, 0.75, 0.8};

template <typename Amplitude>
double combContrast(double f0, Amplitude&& amplitude)
{
    std::array<double, kHarmonics> on{};
    std::array<double, kHarmonics> off{};
    std::size_t n = 0;
    while (n < std::size_t(kHarmonics) && f0 * (double(n) + 1.8) < 0.5)
        ++n;
    if (n < 2)
        return 0;
    const auto median = [n](std::array<double, kHarmonics>& v) {
        std::nth_element(v.begin(), v.begin() + long(n / 2), v.begin() + long(n));
        return v[n / 2];
    };
    for (std::size_t h = 0; h < n; ++h)
        on[h] = amplitude(f0 * double(h + 1));
    double between = 0;
    for (double q : kBetween) {
        for (std::size_t h = 0; h < n; ++h)
            off[h] = amplitude(f0 * (double(h + 1) + q));
        between = std::max(between, median(off));
    }
    return median(on) - between;
}

// The harmonics' amplitudes summed: the pitch's exact value, once the pitch is chosen.
template <typename Amplitude>
double harmonicSum(double f0, Amplitude&& amplitude)
{
    double sum = 0;
    for (int h = 1; h <= kHarmonics && f0 * h < 0.5; ++h)
        sum += amplitude(f0 * h);
    return sum;
}

double phaseOf(const std::vector<double>& profile, double scale)
{
    // Where the game's pixels meet, the profile's differences peak: a difference at x lies
    // between pixels x and x + 1, so a boundary sits one pixel on.
    const Complex z = component(profile, 1.0 / scale);
    double c = -std::arg(z) * scale / kTau + 1.0;
    c = std::fmod(c, scale);
    if (c < 0)
        c += scale;
    return c;
}

} // namespace

bool Lattice::oneToOne() const
{
    return std::abs(x.scale - 1) < 0.003 && std::abs(y.scale - 1) < 0.003;
}

namespace {

struct Spectrum
{
    std::vector<double> prepared;
    std::vector<double> magnitude; // per bin of the padded transform
    double amplitude(double f) const
    {
        const double bin = f * double(magnitude.size());
        const auto k = std::size_t(bin);
        const double t = bin - double(k);
        return (1 - t) * magnitude[k] + t * magnitude[k + 1];
    }
};

Spectrum spectrumOf(const std::vector<double>& profile)
{
    Spectrum s;
    s.prepared = prepared(profile);
    std::size_t n = 1;
    while (n < profile.size() * 4)
        n <<= 1;
    std::vector<Complex> bins(n, 0);
    std::copy(s.prepared.begin(), s.prepared.end(), bins.begin());
    fft(bins);
    s.magnitude.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        s.magnitude[i] = std::abs(bins[i]);
    return s;
}

// The local peaks of the comb contrast over the cell pitches of every scale tried, strongest
// first, on a grid fine enough that the highest harmonic moves half a bin a step.
std::vector<std::pair<double, double>> contrastPeaks(const Spectrum& spectrum, int cell,
                                                    bool fine = true)
{
    const double n = double(spectrum.magnitude.size());
    const double fLow = 1.0 / (cell * kMaxScale);
    const double fHigh = 1.0 / (cell * kMinScale);
    const double step = 1.0 / (n * 2 * kHarmonics) * (fine ? 1 : 4);
    const auto amplitude = [&](double f) { return spectrum.amplitude(f); };
    std::vector<std::pair<double, double>> grid; // frequency, contrast
    for (double f = fLow; f <= fHigh; f += step)
        grid.emplace_back(f, combContrast(f, amplitude));
    std::vector<std::pair<double, double>> peaks;
    for (std::size_t i = 0; i < grid.size(); ++i) {
        const double v = grid[i].second;
        if (v <= 0 || (i > 0 && grid[i - 1].second > v) ||
            (i + 1 < grid.size() && grid[i + 1].second >= v))
            continue;
        peaks.push_back(grid[i]);
    }
    std::sort(peaks.begin(), peaks.end(),
              [](const auto& a, const auto& b) { return a.second > b.second; });
    return peaks;
}

// How much neighbouring pixels differ, summed per column boundary (`across`) and per row
// boundary (`down`) of `area`, each difference capped so that a few hard edges (text, window
// frames) do not outweigh the map's many.
struct Profiles
{
    std::vector<double> across;
    std::vector<double> down;
};

Profiles profilesOf(const QImage& image, const QRect& area)
{
    const auto differ = [](QRgb a, QRgb b) {
        const int d = std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                      std::abs(qBlue(a) - qBlue(b));
        return double(std::min(d, 192));
    };
    Profiles p;
    const int w = area.width();
    const int h = area.height();
    if (w < 2 || h < 2)
        return p;
    p.across.assign(std::size_t(w - 1), 0.0);
    p.down.assign(std::size_t(h - 1), 0.0);
    const int step = int(std::max<long>(1, long(w) * h / kProfileBudget));
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y)) + area.left();
        if ((y - area.top()) % step == 0)
            for (int x = 0; x + 1 < w; ++x)
                p.across[std::size_t(x)] += differ(line[x], line[x + 1]);
        if (y < area.bottom()) {
            const auto* next =
                reinterpret_cast<const QRgb*>(image.constScanLine(y + 1)) + area.left();
            double sum = 0;
            for (int x = 0; x < w; x += step)
                sum += differ(line[x], next[x]);
            p.down[std::size_t(y - area.top())] = sum;
        }
    }
    return p;
}

// How strongly a profile repeats at some cell pitch, relative to its own level: a part of the
// picture showing a map scores high along both axes, text and window parts rarely do.
double periodicity(const std::vector<double>& profile, int cell, int lines)
{
    if (profile.size() < std::size_t(cell * 4))
        return 0;
    double mean = 0;
    for (double v : profile)
        mean += v;
    mean /= double(profile.size());
    // A nearly plain part is not scored up by its own faintness.
    mean += 8.0 * lines;
    // Coarsely: it ranks parts of the picture, the pitch itself is read again over the best.
    const std::vector<std::pair<double, double>> peaks =
        contrastPeaks(spectrumOf(profile), cell, false);
    return peaks.empty() ? 0 : peaks.front().second / (mean * double(profile.size()));
}

// The part of the picture that repeats most like a map: tiles scored by their periodicity
// along both axes, the best one grown by its neighbours that score at least half as well.
QRect mapLikeArea(const QImage& image)
{
    constexpr int kTile = 384;
    const int columns = image.width() / kTile;
    const int rows = image.height() / kTile;
    if (columns * rows < 2)
        return image.rect();
    // A huge picture is scored on every n-th tile; the map spans several.
    const int stride = std::max(1, int(std::sqrt(double(columns) * rows / 160.0)));
    std::vector<double> score(std::size_t(columns * rows), 0.0);
    int bestIndex = -1;
    for (int r = 0; r < rows; r += stride)
        for (int c = 0; c < columns; c += stride) {
            const Profiles p = profilesOf(image, QRect(c * kTile, r * kTile, kTile, kTile));
            const double v = periodicity(p.across, 16, kTile) * periodicity(p.down, 15, kTile);
            score[std::size_t(r * columns + c)] = v;
            if (bestIndex < 0 || v > score[std::size_t(bestIndex)])
                bestIndex = r * columns + c;
        }
    if (bestIndex < 0 || score[std::size_t(bestIndex)] <= 0)
        return image.rect();
    const double floor = score[std::size_t(bestIndex)] / 2;
    std::vector<bool> in(score.size(), false);
    std::vector<int> todo{bestIndex};
    in[std::size_t(bestIndex)] = true;
    QRect area;
    while (!todo.empty()) {
        const int i = todo.back();
        todo.pop_back();
        const int c = i % columns;
        const int r = i / columns;
        area |= QRect(c * kTile, r * kTile, kTile, kTile);
        for (int dr = -stride; dr <= stride; dr += stride)
            for (int dc = -stride; dc <= stride; dc += stride) {
                const int nc = c + dc;
                const int nr = r + dr;
                if (nc < 0 || nr < 0 || nc >= columns || nr >= rows)
                    continue;
                const int j = nr * columns + nc;
                if (!in[std::size_t(j)] && score[std::size_t(j)] >= floor) {
                    in[std::size_t(j)] = true;
                    todo.push_back(j);
                }
            }
    }
    // Half a tile more all round: the map seldom starts on a tile's edge.
    return area.adjusted(-kTile / 2, -kTile / 2, kTile / 2, kTile / 2).intersected(image.rect());
}

// A game window's marker is a run of one colour of a known length (204 pixels of black, 124 of
// red): runs of the marker's colours of any length a scale allows give that scale, the one
// most rows agree on first (the black marker tops a box of the same width).
std::vector<AxisLattice> markerScales(const QImage& image)
{
    struct Marker
    {
        int length;
        QRgb colour;
        bool (*is)(QRgb);
    };
    static const Marker markers[] = {
        {204, qRgb(0, 0, 0), [](QRgb c) { return qRed(c) + qGreen(c) + qBlue(c) < 48; }},
        {124, qRgb(204, 51, 0),
         [](QRgb c) {
             return std::abs(qRed(c) - 204) + std::abs(qGreen(c) - 51) + qBlue(c) < 60;
         }},
    };
    const auto distance = [](QRgb a, QRgb b) {
        return double(std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                      std::abs(qBlue(a) - qBlue(b)));
    };
    std::vector<AxisLattice> out;
    const int step = std::max(1, int(long(image.width()) * image.height() / kProfileBudget));
    for (const Marker& m : markers) {
        std::vector<std::pair<int, AxisLattice>> found; // rows agreeing, the scale
        const int shortest = int(std::ceil(m.length * kMinScale));
        const int longest = int(std::floor(m.length * kMaxScale)) + 2;
        for (int y = 0; y < image.height(); y += step) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            int x = 0;
            while (x < image.width()) {
                if (!m.is(line[x])) {
                    ++x;
                    continue;
                }
                const int start = x;
                while (x < image.width() && m.is(line[x]))
                    ++x;
                const int run = x - start;
                // A run that meets the picture's edge may be cut: its length says nothing.
                if (run < shortest || run > longest || start < 3 || x + 2 >= image.width())
                    continue;
                // Smoothing blends the pixel at either end: each counts by how near it is to
                // the marker's colour, against the pixel beyond it.
                const auto part = [&](int at, int beyond) {
                    const double own = distance(line[at], m.colour);
                    const double other = distance(line[beyond], m.colour);
                    return other > 0 ? std::clamp(1 - own / other, 0.0, 1.0) : 0.0;
                };
                const double length = run + part(start - 1, start - 3) + part(x, x + 2);
                const double scale = length / m.length;
                auto same = std::find_if(found.begin(), found.end(), [&](const auto& f) {
                    return std::abs(f.second.scale / scale - 1) < 0.006;
                });
                if (same != found.end())
                    ++same->first;
                else
                    found.push_back({1, AxisLattice{scale, std::fmod(double(start), scale), 0}});
            }
        }
        // Two per marker at most, the ones most rows agree on.
        std::stable_sort(found.begin(), found.end(),
                         [](const auto& a, const auto& b) { return a.first > b.first; });
        for (std::size_t i = 0; i < found.size() && i < 2; ++i)
            if (found[i].first >= 2)
                out.push_back(found[i].second);
    }
    return out;
}

} // namespace

std::vector<AxisLattice> axisLattices(const std::vector<double>& profile, int cell, int count)
{
    if (profile.size() < std::size_t(cell * 4))
        return {};
    const Spectrum spectrum = spectrumOf(profile);
    const std::vector<double>& p = spectrum.prepared;
    const double step = 1.0 / (double(spectrum.magnitude.size()) * 2 * kHarmonics);
    std::vector<AxisLattice> out;
    for (const auto& [f, value] : contrastPeaks(spectrum, cell)) {
        if (int(out.size()) >= count)
            break;
        // Refined directly, to a small part of a bin: the highest harmonics carry the pitch
        // over the whole picture.
        const auto direct = [&](double fr) {
            return harmonicSum(fr, [&](double g) { return std::sqrt(std::norm(component(p, g))); });
        };
        double lo = f - step;
        double hi = f + step;
        for (int i = 0; i < 16; ++i) {
            const double a = lo + (hi - lo) / 3;
            const double b = hi - (hi - lo) / 3;
            if (direct(a) < direct(b))
                lo = a;
            else
                hi = b;
        }
        const double refined = (lo + hi) / 2;
        const double scale = 1.0 / (refined * cell);
        if (scale < kMinScale || scale > kMaxScale)
            continue;
        const bool duplicate = std::any_of(out.begin(), out.end(), [&](const AxisLattice& a) {
            return std::abs(a.scale - scale) < 0.002 * scale;
        });
        if (duplicate)
            continue;
        out.push_back(AxisLattice{scale, phaseOf(profile, scale), value});
    }
    return out;
}

std::vector<Lattice> estimateLattices(const QImage& fullcolour, int count, QRect* mapLike)
{
    const QImage image = fullcolour.format() == QImage::Format_RGB32 ||
                                 fullcolour.format() == QImage::Format_ARGB32
                             ? fullcolour
                             : fullcolour.convertToFormat(QImage::Format_RGB32);
    if (image.width() < 48 || image.height() < 45)
        return {};
    // The pitch is read over the whole picture and where it repeats most like a map, so that a
    // small window on a large desktop is not drowned by the rest.
    const Profiles whole = profilesOf(image, image.rect());
    const auto candidates = [&](const QRect& area, std::vector<AxisLattice>& xs,
                                std::vector<AxisLattice>& ys) {
        const Profiles profiles = area == image.rect() ? whole : profilesOf(image, area);
        for (AxisLattice a : axisLattices(profiles.across, 16)) {
            a.phase = std::fmod(a.phase + area.left(), a.scale);
            xs.push_back(a);
        }
        for (AxisLattice a : axisLattices(profiles.down, 15)) {
            a.phase = std::fmod(a.phase + area.top(), a.scale);
            ys.push_back(a);
        }
    };
    std::vector<AxisLattice> xs, ys;
    candidates(image.rect(), xs, ys);
    std::vector<AxisLattice> xl, yl;
    const QRect area = mapLikeArea(image);
    if (mapLike)
        *mapLike = area;
    if (area != image.rect())
        candidates(area, xl, yl);
    std::vector<Lattice> out;
    const auto add = [&](const std::vector<AxisLattice>& xs, const std::vector<AxisLattice>& ys,
                         int most) {
        if (xs.empty() || ys.empty())
            return;
        // Pairs ranked by how strongly both axes repeat, each relative to its axis's best.
        std::vector<std::pair<double, Lattice>> pairs;
        for (const AxisLattice& ax : xs)
            for (const AxisLattice& ay : ys) {
                // Square pixels, or the usual aspect correction of 1.2, are likelier than others.
                const double ratio = ay.scale / ax.scale;
                const auto near = [ratio](double r) { return std::abs(ratio / r - 1) < 0.01; };
                const double shape = near(1.0) || near(1.2) || near(1 / 1.2) ? 1.0
                                     : ratio > 0.75 && ratio < 1.33       ? 0.5
                                                                          : 0.25;
                const double value =
                    ax.weight / xs.front().weight * ay.weight / ys.front().weight * shape;
                pairs.emplace_back(value, Lattice{ax, ay});
            }
        std::stable_sort(pairs.begin(), pairs.end(),
                         [](const auto& a, const auto& b) { return a.first > b.first; });
        int added = 0;
        for (const auto& [value, lattice] : pairs) {
            if (added >= most)
                break;
            const bool known = std::any_of(out.begin(), out.end(), [&](const Lattice& l) {
                return std::abs(l.x.scale / lattice.x.scale - 1) < 0.003 &&
                       std::abs(l.y.scale / lattice.y.scale - 1) < 0.003;
            });
            if (!known) {
                out.push_back(lattice);
                ++added;
            }
        }
    };
    add(xs, ys, count);
    add(xl, yl, count / 2);
    // A window's marker gives the scale across; square pixels are the rule, the usual aspect
    // correction (1.2 down) where the picture repeats near it down.
    for (const AxisLattice& m : markerScales(image)) {
        for (const double aspect : {1.0, 1.2}) {
            const double scale = m.scale * aspect;
            const auto near = [scale](const AxisLattice& a) {
                return std::abs(a.scale / scale - 1) < 0.03;
            };
            if (aspect != 1.0 && std::none_of(ys.begin(), ys.end(), near) &&
                std::none_of(yl.begin(), yl.end(), near))
                continue;
            // Its phase down where the picture's rows change at that pitch.
            AxisLattice down{scale, 0, 0};
            // One the periodicity named already is kept, and searched as the marker's.
            const auto known = std::find_if(out.begin(), out.end(), [&](const Lattice& l) {
                return std::abs(l.x.scale / m.scale - 1) < 0.003 &&
                       std::abs(l.y.scale / scale - 1) < 0.003;
            });
            if (known != out.end()) {
                known->byMarker = true;
                continue;
            }
            add({m}, {down}, 1);
            out.back().byMarker = true;
        }
    }
    return out;
}

} // namespace vt
