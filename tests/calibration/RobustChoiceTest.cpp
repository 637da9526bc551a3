#include "calibration/RobustChoice.h"

#include <gtest/gtest.h>

#include <string>

namespace tamrex {
namespace {

// A grid of one threshold and one thickness, so only BDLINE varies: each character
// is one setting, its digit the photos counted exactly, all with a total error of 1
// except where the digit is followed by '!' (error 0).
ScoreGrid LineOfScores(const std::string& cells) {
    std::vector<CalibrationScore> scores;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (cells[i] == '!') {
            scores.back().totalError = 0;
            continue;
        }
        scores.push_back({cells[i] - '0', 1});
    }
    ScoreGrid grid(1, static_cast<int>(scores.size()), 1);
    for (std::size_t b = 0; b < scores.size(); ++b) grid[grid.IndexOf(0, static_cast<int>(b), 0)] = scores[b];
    return grid;
}

TEST(ChooseMostRobust, PrefersMorePhotosExactThenTheSmallerError) {
    const RobustChoice most = ChooseMostRobust(LineOfScores("1113111"));
    EXPECT_EQ(most.position[1], 3);
    EXPECT_EQ(most.score.exact, 3);

    const RobustChoice closest = ChooseMostRobust(LineOfScores("3333!33"));
    EXPECT_EQ(closest.position[1], 3);
    EXPECT_EQ(closest.score.totalError, 0);
}

TEST(ChooseMostRobust, PrefersGapsSeenToGapsInferredByTheSplit) {
    ScoreGrid grid(1, 3, 1);
    grid[0] = {2, 0, 1};
    grid[1] = {2, 0, 0};
    grid[2] = {2, 0, 3};
    EXPECT_EQ(ChooseMostRobust(grid).position[1], 1);
}

TEST(ChooseMostRobust, TakesTheMiddleOfTheWidestPlateau) {
    const RobustChoice choice = ChooseMostRobust(LineOfScores("22000222222200"));
    EXPECT_EQ(choice.position[1], 8);
    EXPECT_EQ(choice.plateau[1].first, 5);
    EXPECT_EQ(choice.plateau[1].last, 11);
}

TEST(ChooseMostRobust, TreatsTheGridsEdgeAsTheEndOfAPlateau) {
    const RobustChoice choice = ChooseMostRobust(LineOfScores("222221"));
    EXPECT_EQ(choice.position[1], 2);
    EXPECT_EQ(choice.plateau[1].first, 0);
    EXPECT_EQ(choice.plateau[1].last, 4);
}

// In a plateau long along one axis and short along another, the short axis decides:
// a step off the plateau along it costs the most.
TEST(ChooseMostRobust, KeepsAwayFromTheNearestEdgeOnAnyAxis) {
    ScoreGrid grid(9, 5, 1);  // 9 thresholds, 5 BDLINE values
    for (int t = 0; t < 9; ++t) {
        for (int b = 0; b < 5; ++b) grid[grid.IndexOf(t, b, 0)] = {(t >= 1 && t <= 7 && b >= 1) ? 2 : 1, 0};
    }
    const RobustChoice choice = ChooseMostRobust(grid);
    EXPECT_EQ(choice.position[0], 4);
    EXPECT_TRUE(choice.position[1] == 2 || choice.position[1] == 3) << "not on a BDLINE edge of the plateau";
    EXPECT_EQ(choice.plateau[0].first, 1);
    EXPECT_EQ(choice.plateau[0].last, 7);
}

}  // namespace
}  // namespace tamrex
