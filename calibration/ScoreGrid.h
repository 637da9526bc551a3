#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace tamrex {

// How well one choice of settings counts a set of photos with known counts.
struct CalibrationScore {
    int exact = 0;  // photos counted exactly
    // The largest relative deviation, over the photos, of a stretch between
    // neighbouring lines from the photo's strip height over its known count. Lines
    // a count doubles or misses show as stretches far from one board, even where a
    // thickness split makes the total come out right.
    double gapDeviation = 0;
    // Lines pass 4 added on the photos. A gap the passes see is surer than one the
    // thickness split infers, which it cannot do for a faint gap under the top board.
    int splitLines = 0;

    bool operator==(const CalibrationScore&) const = default;
    void Add(int counted, int known, double deviation, int linesSplitOff) {
        exact += counted == known;
        gapDeviation = std::max(gapDeviation, deviation);
        splitLines += linesSplitOff;
    }
};

// Scores over a grid of settings: axis 0 THRESHOLD, axis 1 BDLINE, axis 2 PWIDTH,
// each indexed by position in its list of values.
class ScoreGrid {
public:
    ScoreGrid(int thresholds, int bdLines, int pWidths)
        : extent_{thresholds, bdLines, pWidths},
          scores_(static_cast<std::size_t>(thresholds) * bdLines * pWidths) {}

    int extent(int axis) const { return extent_[axis]; }
    const std::array<int, 3>& extents() const { return extent_; }
    std::size_t size() const { return scores_.size(); }
    std::size_t IndexOf(int t, int b, int p) const {
        return (static_cast<std::size_t>(t) * extent_[1] + b) * extent_[2] + p;
    }
    std::array<int, 3> PositionOf(std::size_t index) const {
        const int p = static_cast<int>(index % extent_[2]);
        const int b = static_cast<int>(index / extent_[2] % extent_[1]);
        const int t = static_cast<int>(index / extent_[2] / extent_[1]);
        return {t, b, p};
    }
    // How far apart in the index two neighbours along an axis lie.
    std::size_t StrideOf(int axis) const {
        return axis == 2 ? 1 : axis == 1 ? static_cast<std::size_t>(extent_[2])
                                         : static_cast<std::size_t>(extent_[1]) * extent_[2];
    }

    CalibrationScore& operator[](std::size_t index) { return scores_[index]; }
    const CalibrationScore& operator[](std::size_t index) const { return scores_[index]; }

private:
    std::array<int, 3> extent_;
    std::vector<CalibrationScore> scores_;
};

}  // namespace tamrex
