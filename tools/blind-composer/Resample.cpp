#include "Resample.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace blind {

const char* resamplerName(Resampler r)
{
    switch (r) {
    case Resampler::Nearest: return "nearest";
    case Resampler::Bilinear: return "bilinear";
    case Resampler::Bicubic: return "bicubic";
    case Resampler::Area: return "area";
    }
    return "?";
}

namespace {

using i64 = std::int64_t;
constexpr i64 kOne = 65536;      // positions and raw weights
constexpr int kWeightBits = 14;  // weights as applied
constexpr int kWeightOne = 1 << kWeightBits;

i64 floorDiv(i64 a, i64 b)
{
    i64 q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

struct Tap
{
    int index;
    int weight;
};

// Keys' cubic (a = -1/2) at distance d (1/65536), times 65536.
i64 cubic(i64 d)
{
    d = d < 0 ? -d : d;
    if (d >= 2 * kOne)
        return 0;
    // 2w = 3d^3 - 5d^2 + 2 (d <= 1), -d^3 + 5d^2 - 8d + 4 (1 < d < 2), d in units of kOne.
    const i64 d2 = d * d / kOne, d3 = d2 * d / kOne;
    if (d <= kOne)
        return (3 * d3 - 5 * d2 + 2 * kOne) / 2;
    return (-d3 + 5 * d2 - 8 * d + 4 * kOne) / 2;
}

// Turns raw weights into weights that sum to exactly kWeightOne.
std::vector<Tap> normalise(std::vector<std::pair<int, i64>> raw, int nSrc)
{
    i64 total = 0;
    for (auto& [i, w] : raw) {
        i = std::clamp(i, 0, nSrc - 1);
        total += w;
    }
    std::vector<Tap> taps;
    int sum = 0;
    std::size_t largest = 0;
    for (const auto& [i, w] : raw) {
        const int q = static_cast<int>(floorDiv(w * kWeightOne + total / 2, total));
        if (!taps.empty() && taps.back().index == i)
            taps.back().weight += q;
        else
            taps.push_back({i, q});
        sum += q;
    }
    for (std::size_t k = 0; k < taps.size(); ++k)
        if (taps[k].weight > taps[largest].weight)
            largest = k;
    taps[largest].weight += kWeightOne - sum;
    return taps;
}

std::vector<std::vector<Tap>> axisTaps(int nSrc, int nOut, int s, int f, Resampler how)
{
    std::vector<std::vector<Tap>> all(static_cast<std::size_t>(nOut));
    for (int j = 0; j < nOut; ++j) {
        // Centre of output pixel j in the source, 1/65536 pixels.
        const i64 u = floorDiv(((2 * static_cast<i64>(j) + 1) * 500 - f) * kOne, s);
        std::vector<std::pair<int, i64>> raw;
        switch (how) {
        case Resampler::Nearest:
            raw.push_back({static_cast<int>(floorDiv(u, kOne)), kOne});
            break;
        case Resampler::Bilinear: {
            const i64 v = u - kOne / 2, i0 = floorDiv(v, kOne), t = v - i0 * kOne;
            raw.push_back({static_cast<int>(i0), kOne - t});
            raw.push_back({static_cast<int>(i0 + 1), t});
            break;
        }
        case Resampler::Bicubic: {
            const i64 v = u - kOne / 2, i0 = floorDiv(v, kOne), t = v - i0 * kOne;
            for (int k = -1; k <= 2; ++k)
                raw.push_back({static_cast<int>(i0 + k), cubic(t - k * kOne)});
            break;
        }
        case Resampler::Area: {
            const i64 lo = floorDiv((static_cast<i64>(j) * 1000 - f) * kOne, s);
            const i64 hi = floorDiv(((static_cast<i64>(j) + 1) * 1000 - f) * kOne, s);
            for (i64 i = floorDiv(lo, kOne); i * kOne < hi; ++i) {
                const i64 a = std::max(lo, i * kOne), b = std::min(hi, (i + 1) * kOne);
                if (b > a)
                    raw.push_back({static_cast<int>(i), b - a});
            }
            break;
        }
        }
        all[static_cast<std::size_t>(j)] = normalise(std::move(raw), nSrc);
    }
    return all;
}

int clamp255(i64 v) { return v < 0 ? 0 : (v > 255 ? 255 : static_cast<int>(v)); }

} // namespace

int scaledSize(int n, int s, int phase)
{
    return static_cast<int>(floorDiv(static_cast<i64>(s) * n + phase + 999, 1000));
}

Canvas resample(const Canvas& src, const Scaling& sc)
{
    const int outW = scaledSize(src.width(), sc.sx, sc.fx);
    const int outH = scaledSize(src.height(), sc.sy, sc.fy);
    const auto tx = axisTaps(src.width(), outW, sc.sx, sc.fx, sc.how);
    const auto ty = axisTaps(src.height(), outH, sc.sy, sc.fy, sc.how);
    // Across first, into pixel * kWeightOne per channel, then down.
    std::vector<std::int32_t> mid(static_cast<std::size_t>(outW) * src.height() * 3);
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < outW; ++x) {
            std::int32_t r = 0, g = 0, b = 0;
            for (const Tap& t : tx[static_cast<std::size_t>(x)]) {
                const Colour c = src.at(t.index, y);
                r += red(c) * t.weight;
                g += green(c) * t.weight;
                b += blue(c) * t.weight;
            }
            std::int32_t* m = &mid[(static_cast<std::size_t>(y) * outW + x) * 3];
            m[0] = r;
            m[1] = g;
            m[2] = b;
        }
    Canvas out(outW, outH, rgb(0, 0, 0));
    constexpr i64 half = i64{1} << (2 * kWeightBits - 1);
    for (int y = 0; y < outH; ++y)
        for (int x = 0; x < outW; ++x) {
            i64 r = 0, g = 0, b = 0;
            for (const Tap& t : ty[static_cast<std::size_t>(y)]) {
                const std::int32_t* m = &mid[(static_cast<std::size_t>(t.index) * outW + x) * 3];
                r += static_cast<i64>(m[0]) * t.weight;
                g += static_cast<i64>(m[1]) * t.weight;
                b += static_cast<i64>(m[2]) * t.weight;
            }
            out.set(x, y, rgb(clamp255((r + half) >> (2 * kWeightBits)), clamp255((g + half) >> (2 * kWeightBits)),
                              clamp255((b + half) >> (2 * kWeightBits))));
        }
    return out;
}

} // namespace blind
