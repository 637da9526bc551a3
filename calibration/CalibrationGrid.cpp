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

// `steps` values spread evenly over 1..highest, ending on highest, without repeats.
std::vector<int> EvenSteps(int highest, int steps) {
    std::vector<int> values;
    for (int step = 1; step <= steps; ++step) {
        const int value = static_cast<int>((static_cast<long long>(highest) * step + steps / 2) / steps);
        if (value >= 1 && (values.empty() || values.back() != value)) values.push_back(value);
    }
    return values;
}

// floor(0.5 E) to ceil(1.6 E), in whole numbers so that no rounding of 1.6 can differ.
std::vector<int> ThicknessesAround(int boardRows) {
    const long long rows = std::max(boardRows, 1);
    const int lowest = static_cast<int>(std::clamp<long long>(rows / 2, 1, kMostSetting));
    const int highest = static_cast<int>(std::clamp<long long>((16 * rows + 9) / 10, lowest, kMostSetting));
    std::vector<int> values;
    for (int value = lowest; value <= highest; ++value) values.push_back(value);
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
