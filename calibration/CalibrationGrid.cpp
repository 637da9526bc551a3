#include "calibration/CalibrationGrid.h"

#include <algorithm>

namespace tamrex {
namespace {

constexpr int kLowestThreshold = 2;
constexpr int kHighestThreshold = 254;
constexpr int kThresholdStep = 2;
constexpr int kMostSteps = 48;
constexpr int kSkippedColumns = 4;  // the strip leaves out the photo's four leftmost columns

// `steps` values spread evenly over 1..highest, ending on highest, without repeats.
std::vector<int> EvenSteps(int highest, int steps) {
    std::vector<int> values;
    for (int step = 1; step <= steps; ++step) {
        const int value = static_cast<int>((static_cast<long long>(highest) * step + steps / 2) / steps);
        if (value >= 1 && (values.empty() || values.back() != value)) values.push_back(value);
    }
    return values;
}

std::vector<int> EveryValueOrEvenSteps(int highest) {
    if (highest > kMostSteps) return EvenSteps(highest, kMostSteps);
    std::vector<int> values;
    for (int value = 1; value <= highest; ++value) values.push_back(value);
    return values;
}

}  // namespace

CalibrationGrid GridFor(const std::vector<PhotoExtent>& photos) {
    int widestStrip = 1;
    int thickestBoard = 32767;
    for (const PhotoExtent& photo : photos) {
        widestStrip = std::max(widestStrip, photo.width - kSkippedColumns);
        if (photo.boards > 0)
            thickestBoard = std::min(thickestBoard, (photo.height + photo.boards - 1) / photo.boards);
    }
    CalibrationGrid grid;
    for (int threshold = kLowestThreshold; threshold <= kHighestThreshold; threshold += kThresholdStep) {
        grid.thresholds.push_back(threshold);
    }
    grid.bdLines = EvenSteps(std::min(widestStrip, 32767), kMostSteps);
    grid.pWidths = EveryValueOrEvenSteps(std::max(thickestBoard, 1));
    return grid;
}

}  // namespace tamrex
