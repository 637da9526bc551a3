#include "counting/BoardCounter.h"
#include "tests/counting/StripStage.h"

#include <gtest/gtest.h>

namespace tamrex {
namespace {

using testing::CounterWithStrip;
using testing::PictureWithDarkCounts;

// A line map whose black rows are `lineRows`; returns the rows pass 4 marks.
std::vector<int> SyntheticRows(int height, std::initializer_list<int> lineRows, int pWidth) {
    std::vector<int> counts(height, 0);
    for (int row : lineRows) counts[row] = 16;
    BoardCounter counter = CounterWithStrip(PictureWithDarkCounts(16, counts), 0,
                                            static_cast<std::int16_t>(pWidth));
    counter.SplitThickRuns();
    std::vector<int> marked;
    for (int row = 0; row <= height; ++row) {
        if (counter.lineProfile4[row] > 0) {
            EXPECT_EQ(counter.lineProfile4[row], 16);
            marked.push_back(row);
        }
    }
    return marked;
}

TEST(SplitThickRuns, SplitsRunsLongerThanOnePointThreeBoardsFromTheirLowerEnd) {
    // Runs start at row 5 (a line at row 4) and end at the line row that closes them.
    struct Case {
        int run;
        std::vector<int> marked;
    };
    const std::vector<Case> cases{
        {13, {}},                                  // exactly 1.3 boards: not split
        {14, {14, 15, 16}},                        // 10 and a remainder of 4
        {20, {14, 15, 16}},                        // two whole boards
        {23, {14, 15, 16}},                        // remainder 3 adds no board
        {24, {14, 15, 16, 24, 25, 26}},            // remainder 4 adds one
        {34, {14, 15, 16, 24, 25, 26, 34, 35, 36}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SyntheticRows(60, {4, 5 + c.run}, 10), c.marked) << "run of " << c.run;
    }
}

TEST(SplitThickRuns, TheRunBelowTheFirstLineSplitsAndTheRunAboveTheLastDoesNot) {
    EXPECT_EQ(SyntheticRows(60, {17}, 10), (std::vector<int>{9, 10, 11}));
    EXPECT_EQ(SyntheticRows(60, {0}, 10), std::vector<int>{});
}

TEST(SplitThickRuns, OnlyTheFirstRowOfAThickLineClosesARun) {
    EXPECT_EQ(SyntheticRows(60, {17, 18, 19, 20}, 10), (std::vector<int>{9, 10, 11}));
}

TEST(SplitThickRuns, NoBoardThicknessOrANegativeOneSplitsNothing) {
    EXPECT_EQ(SyntheticRows(60, {40}, 0), std::vector<int>{});
    EXPECT_EQ(SyntheticRows(60, {40}, -4), std::vector<int>{});
    EXPECT_EQ(SyntheticRows(60, {}, 10), std::vector<int>{});
}

TEST(SplitThickRuns, ThinBoardsGiveTouchingLinesThatMayReachTheClosingRow) {
    // pWidth 1: a 3-row run below the line at 3 gets centres 1 and 2, covering rows 0..3.
    EXPECT_EQ(SyntheticRows(10, {3}, 1), (std::vector<int>{0, 1, 2, 3}));
}

TEST(SplitThickRuns, CountsWhitePixelsOfEveryColumn) {
    // A row white only in column 0 is still a board row.
    BoardCounter counter = CounterWithStrip(PictureWithDarkCounts(16, {16, 15, 16}, 1), 0, 1);
    counter.SplitThickRuns();
    EXPECT_EQ(counter.rowProfile[0], 1);
    EXPECT_EQ(counter.rowProfile[1], 1);
}

}  // namespace
}  // namespace tamrex
