#pragma once

#include <cstdint>

namespace tamrex::testing {

// Separate streams keep one feature's randomness from shifting when another changes,
// so that e.g. a new noise amplitude leaves the faded gaps where they were. New
// streams go at the end: renumbering one would change every photo drawn before.
enum class Stream : std::uint64_t {
    Boards = 1, FadedGaps, Streaks, Noise, Thickness, Breaks, Straps,
    Mix, Backdrop, Scenery, Faces, Wrap, Shadow
};

inline std::uint64_t Mix(std::uint64_t value) {
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ULL;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBULL;
    return value ^ (value >> 31);
}

// splitmix64: its output is fixed by the algorithm, unlike std distributions, whose
// results differ between standard libraries.
class Random {
public:
    Random(unsigned seed, Stream stream, std::uint64_t index = 0)
        : state(Mix(seed + Mix(static_cast<std::uint64_t>(stream) + (index << 8)))) {}

    std::uint64_t Next() {
        state += 0x9E3779B97F4A7C15ULL;
        return Mix(state);
    }

    // Uniform in [low, high].
    int Between(int low, int high) {
        const std::uint64_t span = static_cast<std::uint64_t>(high - low) + 1;
        return low + static_cast<int>(((Next() >> 32) * span) >> 32);
    }

    // Uniform in [low, high).
    double Fraction(double low, double high) {
        return low + (high - low) * static_cast<double>(Next() >> 11) * 0x1.0p-53;
    }

private:
    std::uint64_t state;
};

}  // namespace tamrex::testing
