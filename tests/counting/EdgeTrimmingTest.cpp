#include "counting/BoardCounter.h"
#include "tests/counting/StripStage.h"

#include <gtest/gtest.h>

namespace tamrex {
namespace {

using testing::CounterWithStrip;
using testing::PictureWithDarkCounts;
using testing::RowKinds;

// Rows after trimming: 'W' whitened (or light from the start), anything else kept.
std::string TrimmedRows(int pass, int bdLine, int width, const std::vector<int>& darkCounts) {
    BoardCounter counter = CounterWithStrip(PictureWithDarkCounts(width, darkCounts),
                                            static_cast<std::int16_t>(bdLine));
    counter.TrimStripEdges(pass);
    return RowKinds(counter.stripImage.get());
}

TEST(TrimStripEdges, WhitensEdgeRowsAboveTheLimitAndStopsAtTheFirstRowAtOrBelowIt) {
    // Counts 80, 12, 10, 50, 3, 11, 95, 40 in a strip 100 wide, bdLine 10.
    const std::vector<int> counts{80, 12, 10, 50, 3, 11, 95, 40};
    EXPECT_EQ(TrimmedRows(2, 10, 100, counts), "WWMMMWWW");  // 10 is not above 10
    EXPECT_EQ(TrimmedRows(1, 10, 100, counts), "WWWWMWWW");  // 3 is cleared to 0 first
}

TEST(TrimStripEdges, MeasuresAreSaturatedBeforeTheTest) {
    // 71 of 100 counts as 100, which is below a bdLine of 150 in pass 2.
    EXPECT_EQ(TrimmedRows(2, 150, 100, {71, 0, 0}), "MWW");
    EXPECT_EQ(TrimmedRows(2, 99, 100, {71, 0, 0}), "WWW");
}

TEST(TrimStripEdges, LimitsOfEachPassAtTheirTies) {
    // Pass 2: the limit is bdLine itself.
    EXPECT_EQ(TrimmedRows(2, 10, 100, {10, 50, 0})[0], 'M');
    EXPECT_EQ(TrimmedRows(2, 10, 100, {11, 50, 0}).substr(0, 2), "WW");
    // Pass 3: half of bdLine as a real number.
    EXPECT_EQ(TrimmedRows(3, 10, 100, {5, 0, 0})[0], 'M');
    EXPECT_EQ(TrimmedRows(3, 10, 100, {6, 0, 0})[0], 'W');
    EXPECT_EQ(TrimmedRows(3, 9, 100, {5, 0, 0})[0], 'W');
    // Pass 1: counts under bdLine are cleared before the half-limit is applied.
    EXPECT_EQ(TrimmedRows(1, 9, 100, {8, 0, 0})[0], 'M');
    EXPECT_EQ(TrimmedRows(1, 9, 100, {5, 0, 0})[0], 'M');
    EXPECT_EQ(TrimmedRows(1, 9, 100, {9, 0, 0})[0], 'W');
}

TEST(TrimStripEdges, LeavesDarkRowsInsideTheStripAlone) {
    EXPECT_EQ(TrimmedRows(2, 10, 100, {0, 5, 90, 90, 5, 0}), "WMMMMW");
}

TEST(TrimStripEdges, ANegativeBdLineWhitensEveryRowInEveryPass) {
    for (int pass = 1; pass <= 3; ++pass) {
        EXPECT_EQ(TrimmedRows(pass, -1, 100, {0, 40, 100, 3}), "WWWW") << "pass " << pass;
    }
}

TEST(TrimStripEdges, TopScanNeverWhitensRowZero) {
    // Only the top row exceeds the limit: the bottom scan stops at once.
    EXPECT_EQ(TrimmedRows(2, 10, 100, {5, 5, 50}), "MMW");
    // A one-row strip: only the bottom scan can whiten it.
    EXPECT_EQ(TrimmedRows(2, 10, 100, {50}), "W");
    EXPECT_EQ(TrimmedRows(2, 10, 100, {5}), "M");
}

TEST(TrimStripEdges, CountsEveryColumnIncludingTheFirstFour) {
    // 11 dark pixels in columns 0..10 exceed bdLine 10 only if columns 0..3 count.
    EXPECT_EQ(TrimmedRows(2, 10, 100, {11, 0})[0], 'W');
}

}  // namespace
}  // namespace tamrex
