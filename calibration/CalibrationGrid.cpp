#include "calibration/CalibrationGrid.h"

#include <algorithm>

namespace tamrex {
namespace {

constexpr int kLowestThreshold = 2;
constexpr int kHighestThreshold = 254;
constexpr int kThresholdStep = 2;
constexpr int kBdLineSteps = 48;
constexpr int kSkippedColumns = 4;  // the strip leaves out the photo's four leftmost columns
constexpr int kMostSetting = 32767;
// Every row is tried for boards up to about 57 rows thick. Thicker ones, and a board
// made ten times thicker by a count typed without its last digit, get as many values
// spread over the range, so that the search costs no more: the split cares about a
// thickness relative to the board's, and a tenth of a board still spans several steps.
constexpr int kMostThicknesses = 64;

// `steps` values spread evenly over 1..highest, ending on highest, without repeats.
std::vector<int> EvenSteps(int highest, int steps) {
    std::vector<int> values;
    for (int step = 1; step <= steps; ++step) {
        const int value = static_cast<int>((static_cast<long long>(highest) * step + steps / 2) / steps);
        if (value >= 1 && (values.empty() || values.back() != value)) values.push_back(value);
    }
    return values;
}

// floor(0.5 E) to ceil(1.6 E), in whole numbers so that no rounding of 1.6 can differ;
// every row while that makes at most kMostThicknesses values, as many spread evenly
// otherwise.
std::vector<int> ThicknessesAround(int boardRows) {
    const long long rows = std::max(boardRows, 1);
    const int lowest = static_cast<int>(std::clamp<long long>(rows / 2, 1, kMostSetting));
    const int highest = static_cast<int>(std::clamp<long long>((16 * rows + 9) / 10, lowest, kMostSetting));
    const long long span = highest - lowest;
    const long long steps = std::min<long long>(span, kMostThicknesses - 1);
    std::vector<int> values;
    for (long long step = 0; step <= steps; ++step)
        values.push_back(lowest + static_cast<int>(steps == 0 ? 0 : (span * step + steps / 2) / steps));
    return values;
}

}  // namespace

std::vector<int> SearchedThresholds() {
    std::vector<int> thresholds;
    for (int threshold = kLowestThreshold; threshold <= kHighestThreshold; threshold += kThresholdStep) {
        thresholds.push_back(threshold);
    }
    return thresholds;
}

CalibrationGrid GridFor(int widestPhoto, int boardRows) {
    CalibrationGrid grid;
    grid.thresholds = SearchedThresholds();
    grid.bdLines = EvenSteps(std::clamp(widestPhoto - kSkippedColumns, 1, kMostSetting), kBdLineSteps);
    grid.pWidths = ThicknessesAround(boardRows);
    return grid;
}

}  // namespace tamrex
