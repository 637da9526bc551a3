#include "look/SecondLookBand.h"

#include <algorithm>
#include <cstddef>

namespace tamrex {
namespace {

constexpr float kLeastContrast = 24;  // grey levels between boards and their surroundings
constexpr double kDarkShare = 0.10;   // the dark level is this share of the rows up
constexpr double kLightShare = 0.98;  // and the light level this share, so a short stack still counts

struct Run {
    int start, length;
    bool light;
};

float LevelAtShare(std::vector<float> levels, double share) {
    const auto at = levels.begin() + static_cast<std::ptrdiff_t>(share * (levels.size() - 1));
    std::nth_element(levels.begin(), at, levels.end());
    return *at;
}

std::vector<Run> RunsOf(const std::vector<float>& profile, float threshold) {
    std::vector<Run> runs;
    for (int row = 0; row < static_cast<int>(profile.size()); ++row) {
        const bool light = profile[row] > threshold;
        if (runs.empty() || runs.back().light != light) {
            runs.push_back({row, 1, light});
        } else {
            ++runs.back().length;
        }
    }
    return runs;
}

bool IsSeam(const std::vector<Run>& runs, std::size_t index) {
    if (index == 0 || index + 1 >= runs.size() || runs[index].light) return false;
    return runs[index].length < std::min(runs[index - 1].length, runs[index + 1].length);
}

// The first and last run of the tallest stretch of light runs joined by seams.
std::pair<std::size_t, std::size_t> TallestStretch(const std::vector<Run>& runs) {
    std::pair<std::size_t, std::size_t> best{0, 0};
    int bestRows = -1;
    for (std::size_t first = 0; first < runs.size(); ++first) {
        if (!runs[first].light) continue;
        std::size_t last = first;
        while (last + 2 < runs.size() && IsSeam(runs, last + 1)) last += 2;
        const int rows = runs[last].start + runs[last].length - runs[first].start;
        if (rows > bestRows) {
            best = {first, last};
            bestRows = rows;
        }
        first = last;
    }
    return best;
}

// Where the level crosses `threshold` between the centres of rows `row - 1` and `row`.
double Crossing(const std::vector<float>& profile, int row, float threshold) {
    const int rows = static_cast<int>(profile.size());
    if (row <= 0 || row >= rows) return std::clamp(row, 0, rows);
    const float below = profile[row - 1], above = profile[row];
    return row - 0.5 + (threshold - below) / (above - below);
}

}  // namespace

std::optional<Band> FindBand(const std::vector<float>& profile) {
    if (profile.empty()) return std::nullopt;
    const float dark = LevelAtShare(profile, kDarkShare), light = LevelAtShare(profile, kLightShare);
    if (light - dark < kLeastContrast) return std::nullopt;
    const float threshold = (dark + light) / 2;
    const std::vector<Run> runs = RunsOf(profile, threshold);
    const auto [first, last] = TallestStretch(runs);
    if (!runs[first].light) return std::nullopt;
    const int top = runs[last].start + runs[last].length;
    return Band{Crossing(profile, runs[first].start, threshold), Crossing(profile, top, threshold)};
}

}  // namespace tamrex
