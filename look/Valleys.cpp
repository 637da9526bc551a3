#include "look/Valleys.h"

#include <algorithm>
#include <cmath>

namespace tamrex {
namespace {

struct Dip {
    Valley valley;
    int from, to;  // the steps below half its depth, [from, to]
};

double HighestIn(const std::vector<double>& profile, int from, int to) {
    from = std::max(from, 0);
    to = std::min(to, static_cast<int>(profile.size()) - 1);
    return *std::max_element(profile.begin() + from, profile.begin() + to + 1);
}

// The middle of a dip is the centroid of how far each step lies below half its depth,
// which finds the middle of a wide, flat-bottomed seam better than its lowest step.
Dip DipAt(const std::vector<double>& profile, int step, double depth) {
    const double half = profile[step] + depth / 2;
    int from = step, to = step;
    while (from > 0 && profile[from - 1] < half) --from;
    while (to + 1 < static_cast<int>(profile.size()) && profile[to + 1] < half) ++to;
    double weight = 0, moment = 0;
    for (int index = from; index <= to; ++index) {
        weight += half - profile[index];
        moment += (half - profile[index]) * index;
    }
    return {{moment / weight, depth, static_cast<double>(to - from + 1)}, from, to};
}

}  // namespace

std::vector<Valley> FindValleys(const std::vector<double>& profile, double reach) {
    const int span = std::max(1, static_cast<int>(std::lround(reach)));
    std::vector<Dip> dips;
    for (int step = 1; step + 1 < static_cast<int>(profile.size()); ++step) {
        if (profile[step] > profile[step - 1] || profile[step] >= profile[step + 1]) continue;
        const double shoulder =
            std::min(HighestIn(profile, step - span, step), HighestIn(profile, step, step + span));
        const double depth = shoulder - profile[step];
        if (depth <= 0) continue;
        const Dip dip = DipAt(profile, step, depth);
        // Noise splits the floor of a wide seam into several minima: keep the deepest.
        if (!dips.empty() && dip.from <= dips.back().to) {
            if (dip.valley.depth > dips.back().valley.depth) dips.back() = dip;
            continue;
        }
        dips.push_back(dip);
    }
    std::vector<Valley> valleys;
    for (const Dip& dip : dips) valleys.push_back(dip.valley);
    return valleys;
}

}  // namespace tamrex
