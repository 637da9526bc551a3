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

// What a choice is weighed against: the photos searched, the boards they hold, and
// how far the neighbourhood of a setting reaches along each axis, in grid positions.
struct ChoiceBasis {
    int photos = 1;
    int boards = 1;
    std::array<int, 3> reach{};
};

// A deviation of the gaps between lines as large as one board costs as much as half
// the neighbourhood counting every photo wrong.
inline constexpr double kGapDeviationWeight = 0.5;
// Every line the split added costs twice its share of the boards: a setting that
// sees the gaps itself counts a photo whose faint gap the split cannot reach.
inline constexpr double kSplitShareWeight = 2.0;

// How good a setting that counts the most photos exactly is as a choice.
double MeritOf(double neighbourhoodExact, const CalibrationScore& score, const ChoiceBasis& basis);

// Among the settings that count the most of the photos exactly, the one of the highest
// merit B - 0.5 G - 2 S, the first in grid order on a tie. B is the mean share of the
// photos counted exactly over the neighbourhood, the box within basis.reach[axis]
// positions along each axis. A position past the grid's edge counts as a setting that
// counts no photo exactly: nothing is known of settings beyond the search, and the
// values at its ends (the fewest dark pixels a line needs, the thinnest and thickest
// boards) are the ones that carry over worst to other photos. G is the score's gap
// deviation, S the share of the boards whose lines the split added. Assumes a grid of
// at least one setting.
RobustChoice ChooseMostRobust(const ScoreGrid& grid, const ChoiceBasis& basis);

}  // namespace tamrex
