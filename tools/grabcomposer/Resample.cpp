#include "Resample.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vt::test {

namespace {

// The grab pixels one picture pixel is made of, and their weights (summing to 1).
struct Taps
{
    int first = 0;
    std::vector<float> weights;
};

double cubic(double t)
{
    t = std::abs(t);
    constexpr double a = -0.5;
    if (t < 1)
        return ((a + 2) * t - (a + 3)) * t * t + 1;
    if (t < 2)
        return ((a * t - 5 * a) * t + 8 * a) * t - 4 * a;
    return 0;
}

// Taps of each of `out` picture pixels along one axis of `in` grab pixels.
std::vector<Taps> tapsOf(int in, int out, double scale, double phase, Resampler resampler)
{
    std::vector<Taps> taps(static_cast<std::size_t>(out));
    for (int j = 0; j < out; ++j) {
        Taps& t = taps[std::size_t(j)];
        // The picture pixel's centre in grab coordinates (grab pixel i spans [i, i + 1)).
        const double u = (j + 0.5 - phase) / scale;
        switch (resampler) {
        case Resampler::Nearest:
            t.first = int(std::floor(u));
            t.weights = {1.0f};
            break;
        case Resampler::Bilinear:
        case Resampler::Bicubic: {
            const int radius = resampler == Resampler::Bilinear ? 1 : 2;
            t.first = int(std::floor(u - 0.5)) - radius + 1;
            for (int i = t.first; i < t.first + 2 * radius; ++i) {
                const double d = u - (i + 0.5);
                t.weights.push_back(float(
                    resampler == Resampler::Bilinear ? std::max(0.0, 1 - std::abs(d)) : cubic(d)));
            }
            break;
        }
        case Resampler::Area: {
            const double from = (j - phase) / scale;
            const double to = (j + 1 - phase) / scale;
            t.first = int(std::floor(from));
            for (int i = t.first; i < to; ++i)
                t.weights.push_back(float(std::min(to, i + 1.0) - std::max(from, double(i))));
            break;
        }
        }
        float sum = 0;
        for (float w : t.weights)
            sum += w;
        for (float& w : t.weights)
            w /= sum;
        // Grab pixels beyond the edge are the edge's: fold their weight onto it.
        Taps folded;
        folded.first = std::clamp(t.first, 0, in - 1);
        const int last = std::clamp(t.first + int(t.weights.size()) - 1, 0, in - 1);
        folded.weights.assign(std::size_t(last - folded.first + 1), 0.0f);
        for (std::size_t k = 0; k < t.weights.size(); ++k)
            folded.weights[std::size_t(std::clamp(t.first + int(k), 0, in - 1) - folded.first)] +=
                t.weights[k];
        t = std::move(folded);
    }
    return taps;
}

quint8 toByte(float v)
{
    return quint8(std::clamp(std::nearbyint(v), 0.0f, 255.0f));
}

} // namespace

const char* resamplerName(Resampler resampler)
{
    switch (resampler) {
    case Resampler::Nearest:
        return "nearest";
    case Resampler::Bilinear:
        return "bilinear";
    case Resampler::Bicubic:
        return "bicubic";
    case Resampler::Area:
        return "area";
    }
    return "";
}

QImage resample(const QImage& picture, double sx, double sy, double phasex, double phasey,
                Resampler resampler, QSize size)
{
    const QImage in = picture.convertToFormat(QImage::Format_RGB32);
    if (!size.isValid())
        size = QSize(int(std::nearbyint(in.width() * sx)), int(std::nearbyint(in.height() * sy)));
    const std::vector<Taps> across = tapsOf(in.width(), size.width(), sx, phasex, resampler);
    const std::vector<Taps> down = tapsOf(in.height(), size.height(), sy, phasey, resampler);

    // Across first, into floats (3 a pixel), then down.
    const int w = size.width();
    std::vector<float> rows(std::size_t(in.height()) * std::size_t(w) * 3);
    for (int y = 0; y < in.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(in.constScanLine(y));
        float* out = rows.data() + std::size_t(y) * std::size_t(w) * 3;
        for (int x = 0; x < w; ++x) {
            const Taps& t = across[std::size_t(x)];
            float r = 0, g = 0, b = 0;
            for (std::size_t k = 0; k < t.weights.size(); ++k) {
                const QRgb p = line[t.first + int(k)];
                r += t.weights[k] * float(qRed(p));
                g += t.weights[k] * float(qGreen(p));
                b += t.weights[k] * float(qBlue(p));
            }
            out[3 * x] = r;
            out[3 * x + 1] = g;
            out[3 * x + 2] = b;
        }
    }
    QImage result(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        const Taps& t = down[std::size_t(y)];
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < w; ++x) {
            float r = 0, g = 0, b = 0;
            for (std::size_t k = 0; k < t.weights.size(); ++k) {
                const float* p = rows.data() + (std::size_t(t.first) + k) * std::size_t(w) * 3 +
                                 std::size_t(3 * x);
                r += t.weights[k] * p[0];
                g += t.weights[k] * p[1];
                b += t.weights[k] * p[2];
            }
            line[x] = qRgb(toByte(r), toByte(g), toByte(b));
        }
    }
    return result;
}

} // namespace vt::test
