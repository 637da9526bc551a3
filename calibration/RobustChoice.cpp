#include "calibration/RobustChoice.h"

#include "calibration/BoxSums.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace tamrex {
namespace {

int MostExact(const ScoreGrid& grid) {
    int most = 0;
    for (std::size_t index = 0; index < grid.size(); ++index) most = std::max(most, grid[index].exact);
    return most;
}

// The stretch of positions along `axis` through the cell whose count of exact photos is `exact`.
AxisSpan PlateauAlong(const ScoreGrid& grid, int exact, std::size_t index, int axis) {
    const std::size_t stride = grid.StrideOf(axis);
    const int at = grid.PositionOf(index)[axis];
    const auto same = [&](int position) { return grid[index + (position - at) * stride].exact == exact; };
    AxisSpan span{at, at};
    while (span.first > 0 && same(span.first - 1)) --span.first;
    while (span.last + 1 < grid.extent(axis) && same(span.last + 1)) ++span.last;
    return span;
}

std::vector<std::int64_t> ExactCounts(const ScoreGrid& grid) {
    std::vector<std::int64_t> exact(grid.size());
    for (std::size_t index = 0; index < grid.size(); ++index) exact[index] = grid[index].exact;
    return exact;
}

double PhotosInABox(const std::array<int, 3>& reach, int photos) {
    double cells = photos;
    for (int axis = 0; axis < 3; ++axis) cells *= 2 * reach[axis] + 1;
    return cells;
}

}  // namespace

double MeritOf(double neighbourhoodExact, const CalibrationScore& score, const ChoiceBasis& basis) {
    const double splitShare = static_cast<double>(score.splitLines) / std::max(basis.boards, 1);
    return neighbourhoodExact - kGapDeviationWeight * score.gapDeviation - kSplitShareWeight * splitShare;
}

RobustChoice ChooseMostRobust(const ScoreGrid& grid, const ChoiceBasis& basis) {
    const int mostExact = MostExact(grid);
    const std::vector<std::int64_t> aroundSums = BoxSums(ExactCounts(grid), grid.extents(), basis.reach);
    const double photosAround = PhotosInABox(basis.reach, std::max(basis.photos, 1));
    const auto around = [&](std::size_t index) { return static_cast<double>(aroundSums[index]) / photosAround; };

    std::size_t plateauSettings = 0;
    std::optional<std::size_t> bestIndex;
    double bestMerit = 0;
    for (std::size_t index = 0; index < grid.size(); ++index) {
        if (grid[index].exact != mostExact) continue;
        ++plateauSettings;
        const double merit = MeritOf(around(index), grid[index], basis);
        if (bestIndex && merit <= bestMerit) continue;
        bestIndex = index;
        bestMerit = merit;
    }
    RobustChoice choice;
    choice.position = grid.PositionOf(*bestIndex);
    choice.score = grid[*bestIndex];
    choice.neighbourhoodExact = around(*bestIndex);
    choice.plateauSettings = plateauSettings;
    for (int axis = 0; axis < 3; ++axis) choice.plateau[axis] = PlateauAlong(grid, mostExact, *bestIndex, axis);
    return choice;
}

}  // namespace tamrex
