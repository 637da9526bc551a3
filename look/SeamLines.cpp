#include "look/SeamLines.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tamrex {
namespace {

constexpr double kSearchShare = 0.3;  // of a pitch either side of where the trace leads

struct Window {
    int from, to;  // rows of the strip, inclusive
};

Window Around(double row, double pitch, int height) {
    const int reach = std::max(1, static_cast<int>(std::lround(kSearchShare * pitch)));
    const int centre = static_cast<int>(std::lround(row));
    return {std::max(centre - reach, 0), std::min(centre + reach, height - 1)};
}

// The centroid of the dark stretch around the darkest row of the window, or `traced`
// when no dip half as deep as a seam shows there or the stretch runs out of it.
double SeamRow(const float* levels, Window window, double traced, double depth) {
    if (window.to - window.from < 2) return traced;
    const auto [lowest, highest] = std::minmax_element(levels + window.from, levels + window.to + 1);
    if (*highest - *lowest < depth / 2) return traced;
    const double half = (*lowest + *highest) / 2;
    int first = static_cast<int>(lowest - levels), last = first;
    while (first > window.from && levels[first - 1] < half) --first;
    while (last < window.to && levels[last + 1] < half) ++last;
    if (first == window.from || last == window.to) return traced;
    double weight = 0, moment = 0;
    for (int row = first; row <= last; ++row) {
        weight += half - levels[row];
        moment += (half - levels[row]) * row;
    }
    return moment / weight;
}

// Between the two rows where the light changes most, or `traced` when it changes by
// less than half a seam's depth.
double EndRow(const float* levels, Window window, double traced, double depth) {
    int steepest = -1;
    double rise = 0;
    for (int row = window.from; row < window.to; ++row) {
        const double here = std::abs(levels[row + 1] - levels[row]);
        if (here > rise) {
            rise = here;
            steepest = row;
        }
    }
    return steepest >= 0 && rise >= depth / 2 ? steepest + 0.5 : traced;
}

template <typename Refine>
std::vector<SeamPoint> Line(const GreyStrips& strips, const AlignedStack& stack, double referenceRow, double pitch,
                            Refine refine) {
    std::vector<SeamPoint> points;
    for (std::size_t strip = stack.firstStrip; strip < stack.firstStrip + stack.rowOf.size(); ++strip) {
        const double traced = stack.RowIn(strip, referenceRow);
        const double row = refine(strips.Strip(strip), Around(traced, pitch, strips.Height()), traced);
        points.push_back({strips.centres[strip], strips.area.bottom + row});
    }
    return points;
}

}  // namespace

std::vector<SeamPoint> SeamLine(const GreyStrips& strips, const AlignedStack& stack, double referenceRow, double pitch,
                                double depth) {
    return Line(strips, stack, referenceRow, pitch, [depth](const float* levels, Window window, double traced) {
        return SeamRow(levels, window, traced, depth);
    });
}

std::vector<SeamPoint> EndLine(const GreyStrips& strips, const AlignedStack& stack, double referenceRow, double pitch,
                               double depth) {
    return Line(strips, stack, referenceRow, pitch, [depth](const float* levels, Window window, double traced) {
        return EndRow(levels, window, traced, depth);
    });
}

}  // namespace tamrex
