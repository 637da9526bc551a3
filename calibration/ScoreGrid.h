#pragma once

#include <cstdint>
#include <vector>

namespace tamrex {

// How well one choice of settings counts a set of photos with known counts.
struct CalibrationScore {
    int exact = 0;                // photos counted exactly
    std::int64_t totalError = 0;  // the sum of |counted - known| over the photos
    // Lines pass 4 added on the photos. A gap the passes see is surer than one the
    // thickness split infers, which it cannot do for a faint gap above the top line.
    std::int64_t splitLines = 0;

    bool operator==(const CalibrationScore&) const = default;
    // More photos exact first, then the smaller total error, then fewer lines split off.
    bool BetterThan(const CalibrationScore& other) const {
        if (exact != other.exact) return exact > other.exact;
        if (totalError != other.totalError) return totalError < other.totalError;
        return splitLines < other.splitLines;
    }
    void Add(int counted, int known, int linesSplitOff) {
        const int error = counted > known ? counted - known : known - counted;
        exact += error == 0;
        totalError += error;
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
    std::size_t size() const { return scores_.size(); }
    std::size_t IndexOf(int t, int b, int p) const {
        return (static_cast<std::size_t>(t) * extent_[1] + b) * extent_[2] + p;
    }
    // How far apart in the index two neighbours along an axis lie.
    std::size_t StrideOf(int axis) const {
        return axis == 2 ? 1 : axis == 1 ? static_cast<std::size_t>(extent_[2])
                                         : static_cast<std::size_t>(extent_[1]) * extent_[2];
    }

    CalibrationScore& operator[](std::size_t index) { return scores_[index]; }
    const CalibrationScore& operator[](std::size_t index) const { return scores_[index]; }

private:
    int extent_[3];
    std::vector<CalibrationScore> scores_;
};

}  // namespace tamrex
