// The composer's random numbers: SplitMix64 to seed, xoshiro256** to draw. Everything is plain
// integer arithmetic, so a seed gives the same numbers on every compiler and machine (the
// standard library's distributions are free to differ between implementations).
#pragma once

#include <cstdint>
#include <string_view>

namespace blind {

class Rng
{
public:
    explicit Rng(std::uint64_t seed)
    {
        for (std::uint64_t& word : s_)
            word = splitMix(seed);
    }

    // A seed from a text and a number (FNV-1a over the text, then the number mixed in).
    static std::uint64_t seedFor(std::string_view text, std::uint64_t n)
    {
        std::uint64_t h = 0xcbf29ce484222325ull;
        for (char c : text) {
            h ^= static_cast<unsigned char>(c);
            h *= 0x100000001b3ull;
        }
        std::uint64_t mix = h ^ (n * 0x9e3779b97f4a7c15ull);
        return splitMix(mix);
    }

    std::uint64_t next()
    {
        const std::uint64_t result = rotl(s_[1] * 5, 7) * 9;
        const std::uint64_t t = s_[1] << 17;
        s_[2] ^= s_[0];
        s_[3] ^= s_[1];
        s_[1] ^= s_[2];
        s_[0] ^= s_[3];
        s_[2] ^= t;
        s_[3] = rotl(s_[3], 45);
        return result;
    }

    // Uniform in [0, n), n > 0, without bias (rejection of the short last stretch).
    std::uint64_t below(std::uint64_t n)
    {
        const std::uint64_t limit = ~std::uint64_t{0} - (~std::uint64_t{0} % n);
        std::uint64_t x;
        do
            x = next();
        while (x >= limit);
        return x % n;
    }

    // Uniform in [lo, hi], both included.
    int range(int lo, int hi)
    {
        if (hi <= lo)
            return lo;
        return lo + static_cast<int>(below(static_cast<std::uint64_t>(hi - lo) + 1));
    }

    // True with probability per / 1000.
    bool chance(int per) { return static_cast<int>(below(1000)) < per; }

    // An independent stream for one part of a picture, so that adding a draw to one part
    // does not change every other part.
    Rng fork() { return Rng(next()); }

    template <typename T, std::size_t N> const T& pick(const T (&items)[N])
    {
        return items[below(N)];
    }

private:
    static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    static std::uint64_t splitMix(std::uint64_t& x)
    {
        std::uint64_t z = (x += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }

    std::uint64_t s_[4];
};

} // namespace blind
