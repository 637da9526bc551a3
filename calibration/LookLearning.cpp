#include "calibration/LookLearning.h"

#include <algorithm>

namespace tamrex {
namespace {

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[(values.size() - 1) / 2];
}

// Each photo's height over its count, where the second look found the stack.
LookLearning Measure(const std::vector<CountedPhoto>& photos, const LookRequest& request) {
    LookLearning learning;
    std::vector<double> pitches;
    for (const CountedPhoto& photo : photos) {
        const Expected<SecondCount> second = LookAgain(photo.photo, request);
        if (!second || photo.boards <= 0) continue;
        ++learning.looked;
        learning.exact += second->boards == photo.boards;
        pitches.push_back(second->height / photo.boards);
    }
    learning.pitch = Median(pitches);
    return learning;
}

}  // namespace

LookLearning LearnForSecondLook(const std::vector<CountedPhoto>& photos, const std::optional<PhotoFrame>& frame) {
    const LookLearning unhinted = Measure(photos, {0, frame});
    if (unhinted.pitch < kThinnestBoardRows) return {};
    LookLearning hinted = Measure(photos, {unhinted.pitch, frame});
    if (hinted.pitch < kThinnestBoardRows) hinted.pitch = unhinted.pitch;
    // How the second look does with the pitch as calibration writes it.
    hinted.exact = Measure(photos, {hinted.pitch, frame}).exact;
    return hinted;
}

}  // namespace tamrex
