#pragma once

#include "calibration/ScoreGrid.h"

#include <array>
#include <cstddef>

namespace tamrex {

// A stretch of positions along one axis of the grid, first..last inclusive.
struct AxisSpan {
    int first = 0;
    int last = 0;
};

struct RobustChoice {
    std::array<int, 3> position{};  // threshold, bdLine and pWidth index
    CalibrationScore score;
    // The mean share of the photos counted exactly over the settings around the
    // choice: how much a drift of the settings, or a photo unlike the known ones,
    // may cost.
    double neighbourhoodExact = 0;
    // Along each axis through the choice, the stretch of positions that count as many
    // photos exactly, the other two settings kept: how far each setting may drift.
    std::array<AxisSpan, 3> plateau{};
    std::size_t plateauSettings = 0;  // settings anywhere in the grid that count as many exactly
};

// A deviation of the gaps between lines as large as one board costs as much as half
// the neighbourhood counting every photo wrong.
inline constexpr double kGapDeviationWeight = 0.5;

// How good a setting that counts the most photos exactly is as a choice: a
// neighbourhood that also counts them, and gaps between lines of one board each.
inline double MeritOf(double neighbourhoodExact, double gapDeviation) {
    return neighbourhoodExact - kGapDeviationWeight * gapDeviation;
}

// Among the settings that count the most of `photos` exactly, the one of the highest
// merit, the first in grid order on a tie. The neighbourhood of a setting is the box
// within reach[axis] positions of it along each axis. A position past the grid's edge
// counts as a setting that counts no photo exactly: nothing is known of settings
// beyond the search, and the values at its ends (the fewest dark pixels a line
// needs, the thinnest and thickest boards) are the ones that carry over worst to
// other photos. Assumes a grid of at least one setting.
RobustChoice ChooseMostRobust(const ScoreGrid& grid, int photos, const std::array<int, 3>& reach);

}  // namespace tamrex
