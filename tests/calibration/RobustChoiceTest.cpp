#include "calibration/RobustChoice.h"

#include <gtest/gtest.h>

#include <string>

namespace tamrex {
namespace {

constexpr std::array<int, 3> kNoReach{0, 0, 0};

// A grid along one axis only: each character is one setting, its digit the photos
// counted exactly; the gaps of every setting are one board apart.
ScoreGrid AlongAxis(int axis, const std::string& cells) {
    std::array<int, 3> extents{1, 1, 1};
    extents[axis] = static_cast<int>(cells.size());
    ScoreGrid grid(extents[0], extents[1], extents[2]);
    for (std::size_t i = 0; i < cells.size(); ++i) grid[i * grid.StrideOf(axis)] = {cells[i] - '0', 0.0, 0};
    return grid;
}

std::array<int, 3> ReachAlong(int axis, int reach) {
    std::array<int, 3> along = kNoReach;
    along[axis] = reach;
    return along;
}

TEST(ChooseMostRobust, CountsTheMostPhotosExactlyBeforeAnythingElse) {
    // A lone 3 among 2s wins over the broad plateau of 2s it sits in.
    const RobustChoice choice = ChooseMostRobust(AlongAxis(0, "2222222232222"), {3, 20, ReachAlong(0, 8)});
    EXPECT_EQ(choice.position[0], 8);
    EXPECT_EQ(choice.score.exact, 3);
    EXPECT_EQ(choice.plateauSettings, 1u);
}

TEST(ChooseMostRobust, TakesTheMiddleOfAPlateauOnEveryAxis) {
    // Exactly one position has its whole neighbourhood of 8 either way on the plateau.
    for (int axis = 0; axis < 3; ++axis) {
        const std::string cells = "11" + std::string(17, '3') + "110";
        const RobustChoice choice = ChooseMostRobust(AlongAxis(axis, cells), {3, 20, ReachAlong(axis, 8)});
        EXPECT_EQ(choice.position[axis], 10) << "axis " << axis;
        EXPECT_DOUBLE_EQ(choice.neighbourhoodExact, 1.0) << "axis " << axis;
        EXPECT_EQ(choice.plateau[axis].first, 2) << "axis " << axis;
        EXPECT_EQ(choice.plateau[axis].last, 18) << "axis " << axis;
        EXPECT_EQ(choice.plateauSettings, 17u) << "axis " << axis;
    }
}

// How far each setting may drift is told right up to the grid's first and last
// positions, and no further than the settings that count as many photos exactly.
TEST(ChooseMostRobust, ReportsThePlateauUpToTheGridsEdges) {
    // With a neighbourhood, the choice lies inside its plateau, away from both ends.
    const struct {
        const char* cells;
        int reach;
        int chosen, first, last;  // on a tie the first is chosen
    } cases[] = {
        {"33311", 0, 0, 0, 2}, {"1133", 0, 2, 2, 3}, {"3333", 0, 0, 0, 3}, {"3", 0, 0, 0, 0},
        {"33133", 0, 0, 0, 1}, {"33331", 1, 1, 0, 3}, {"13333", 1, 2, 1, 4},
    };
    for (int axis = 0; axis < 3; ++axis) {
        for (const auto& one : cases) {
            const RobustChoice choice =
                ChooseMostRobust(AlongAxis(axis, one.cells), {3, 20, ReachAlong(axis, one.reach)});
            EXPECT_EQ(choice.position[axis], one.chosen) << one.cells << " on axis " << axis;
            EXPECT_EQ(choice.plateau[axis].first, one.first) << one.cells << " on axis " << axis;
            EXPECT_EQ(choice.plateau[axis].last, one.last) << one.cells << " on axis " << axis;
        }
    }
    // Two axes at once: through the choice (threshold 0, PWIDTH 1) the plateau spans
    // every threshold, and the PWIDTHs from 1 to the last.
    const char* rows[] = {"1333", "1331", "3311"};
    ScoreGrid grid(3, 1, 4);
    for (int t = 0; t < 3; ++t)
        for (int p = 0; p < 4; ++p) grid[grid.IndexOf(t, 0, p)] = {rows[t][p] - '0', 0.0, 0};
    const RobustChoice choice = ChooseMostRobust(grid, {3, 20, kNoReach});
    EXPECT_EQ(choice.position, (std::array<int, 3>{0, 0, 1}));
    EXPECT_EQ(choice.plateau[0].first, 0);
    EXPECT_EQ(choice.plateau[0].last, 2);
    EXPECT_EQ(choice.plateau[2].first, 1);
    EXPECT_EQ(choice.plateau[2].last, 3);
}

TEST(ChooseMostRobust, KeepsItsWholeNeighbourhoodInsideTheGrid) {
    // Every setting counts every photo, but only from position 8 on is none of the
    // neighbourhood past the grid's edge, where nothing is known.
    const RobustChoice choice = ChooseMostRobust(AlongAxis(1, std::string(22, '3')), {3, 20, ReachAlong(1, 8)});
    EXPECT_EQ(choice.position[1], 8);
    EXPECT_DOUBLE_EQ(choice.neighbourhoodExact, 1.0);
    EXPECT_DOUBLE_EQ(ChooseMostRobust(AlongAxis(1, "33333"), {3, 20, ReachAlong(1, 8)}).neighbourhoodExact, 5.0 / 17.0);
}

// A setting whose pass 1 doubles a line and whose thin PWIDTH drops one elsewhere
// counts right on the known photos, but its lines are nowhere near one board apart.
TEST(ChooseMostRobust, ASettingThatCountsRightByLinesOutOfPlaceLoses) {
    ScoreGrid grid(1, 1, 3);
    grid[0] = {2, 0.9, 0};  // lines half a board and one and a half apart
    grid[1] = {2, 0.05, 0};
    grid[2] = {2, 0.2, 0};
    EXPECT_EQ(ChooseMostRobust(grid, {2, 20, kNoReach}).position[2], 1);

    // A neighbourhood a little less sure is worth more regular lines: 1 - 0.5 * 0.6
    // is less than 5/6 - 0.5 * 0.
    ScoreGrid traded(1, 1, 5);
    const CalibrationScore cells[] = {{2, 0.6, 0}, {2, 0.6, 0}, {2, 0.6, 0}, {2, 0.0, 0}, {1, 0.0, 0}};
    for (std::size_t p = 0; p < 5; ++p) traded[p] = cells[p];
    const RobustChoice choice = ChooseMostRobust(traded, {2, 20, {0, 0, 1}});
    EXPECT_EQ(choice.position[2], 3);
    EXPECT_DOUBLE_EQ(choice.neighbourhoodExact, 5.0 / 6.0);
    EXPECT_DOUBLE_EQ(choice.score.gapDeviation, 0.0);
}

// Where the split had to add lines, the passes missed gaps that photos to come may
// hold where the split cannot reach them.
TEST(ChooseMostRobust, PrefersGapsThePassesSeeToGapsTheSplitInfers) {
    ScoreGrid grid(1, 1, 3);
    grid[0] = {2, 0.05, 2};  // 2 of 40 boards split off: 0.1 of merit
    grid[1] = {2, 0.10, 0};
    grid[2] = {2, 0.30, 0};  // more regular than the first, but no match for the second
    const ChoiceBasis basis{2, 40, kNoReach};
    EXPECT_EQ(ChooseMostRobust(grid, basis).position[2], 1);
    EXPECT_DOUBLE_EQ(MeritOf(1.0, grid[0], basis), 1.0 - 0.025 - 0.1);
    grid[1].splitLines = 1;  // 1 - 0.05 - 0.05 is still more than 1 - 0.025 - 0.1
    EXPECT_EQ(ChooseMostRobust(grid, basis).position[2], 1);
    grid[1].splitLines = 2;
    EXPECT_EQ(ChooseMostRobust(grid, basis).position[2], 0);
}

TEST(ChooseMostRobust, SettlesATieOnTheFirstInThresholdThenBdLineThenPWidthOrder) {
    ScoreGrid grid(2, 2, 2);
    for (std::size_t index = 0; index < grid.size(); ++index) grid[index] = {1, 0.5, 0};
    grid[grid.IndexOf(1, 0, 0)] = {1, 0.1, 0};
    grid[grid.IndexOf(0, 1, 1)] = {1, 0.1, 0};
    grid[grid.IndexOf(0, 1, 0)] = {0, 0.0, 0};
    const RobustChoice choice = ChooseMostRobust(grid, {1, 20, kNoReach});
    EXPECT_EQ(choice.position, (std::array<int, 3>{0, 1, 1}));
    EXPECT_EQ(choice.plateauSettings, 7u);
    EXPECT_EQ(ChooseMostRobust(AlongAxis(2, "2222"), {2, 20, kNoReach}).position[2], 0);
}

}  // namespace
}  // namespace tamrex
