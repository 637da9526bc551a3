#pragma once

#include "calibration/ScoreGrid.h"

#include <array>

namespace tamrex {

// A stretch of positions along one axis of the grid, first..last inclusive.
struct AxisSpan {
    int first = 0;
    int last = 0;
};

struct RobustChoice {
    std::array<int, 3> position{};    // threshold, bdLine and pWidth index
    CalibrationScore score;
    // Along each axis through the choice, the stretch of positions that score the
    // same, the other two settings kept: how far each setting may drift.
    std::array<AxisSpan, 3> plateau{};
};

// The best score, and among the settings that reach it the one deepest inside its
// plateau: the one whose nearest plateau edge along any axis is farthest, measured
// as a share of the axis, then the one with the most room summed over the axes,
// then the first in grid order. An edge of the grid ends a plateau too. Assumes a
// grid of at least one setting.
RobustChoice ChooseMostRobust(const ScoreGrid& grid);

}  // namespace tamrex
