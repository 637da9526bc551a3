#include "counting/BoardCounter.h"
#include "tests/counting/StripStage.h"

#include <gtest/gtest.h>

namespace tamrex {
namespace {

using testing::CounterWithStrip;
using testing::Head;
using testing::PictureWithDarkCounts;

const Profile& Built(BoardCounter& counter, int pass) {
    counter.BuildLineProfile(pass);
    return pass == 1 ? counter.lineProfile1 : pass == 2 ? counter.lineProfile2 : counter.lineProfile3;
}

// The profile a pass builds over a strip whose row r has darkCounts[r] dark pixels
// from column 4 on, so every one of them is counted. Includes the entry above the top row.
std::vector<int> ProfileOf(int pass, int bdLine, int width, const std::vector<int>& darkCounts) {
    BoardCounter counter = CounterWithStrip(PictureWithDarkCounts(width, darkCounts, 4),
                                            static_cast<std::int16_t>(bdLine));
    return Head(Built(counter, pass), static_cast<int>(darkCounts.size()) + 1);
}

// Marks rows with 10 dark pixels in a 100-wide strip of `height` rows, bdLine 1.
std::vector<int> RepairedRows(int pass, int height, std::initializer_list<int> markedRows) {
    std::vector<int> counts(height, 0);
    for (int row : markedRows) counts[row] = 10;
    std::vector<int> profile = ProfileOf(pass, 1, 100, counts);
    std::vector<int> kept;
    for (int row = 0; row < height; ++row) {
        if (profile[row] > 0) kept.push_back(row);
    }
    return kept;
}

TEST(BuildLineProfile, SaturatesClearsAndRepairsInOneBottomUpWalk) {
    // Width 20 (limit 14.0), bdLine 5: entry 2 cleared at r = 3, entries 4 and 5 at r = 6.
    const std::vector<int> counts{16, 3, 7, 0, 9, 15, 0, 6, 6, 8, 12, 2};
    BoardCounter counter = CounterWithStrip(PictureWithDarkCounts(24, counts, 4), 5);
    counter.imgWidth = 20;  // count columns 4..19 only; the bitmap is wider on purpose
    EXPECT_EQ(Head(Built(counter, 1), 13), (std::vector<int>{20, 0, 0, 0, 0, 0, 0, 6, 6, 8, 12, 0, 0}));
}

TEST(BuildLineProfile, SaturationLimitsAreStrictDoubleProductsOfTheFullWidth) {
    EXPECT_EQ(ProfileOf(1, 1, 100, {70, 71}), (std::vector<int>{70, 100, 0}));
    EXPECT_EQ(ProfileOf(1, 1, 90, {62, 63}), (std::vector<int>{62, 90, 0}));
    EXPECT_EQ(ProfileOf(2, 1, 100, {60, 61}), (std::vector<int>{60, 100, 0}));
    EXPECT_EQ(ProfileOf(3, 1, 100, {50, 51}), (std::vector<int>{50, 100, 0}));
}

TEST(BuildLineProfile, AFullyDarkRowSaturatesFromTheWidthEachPassNeeds) {
    // Width - 4 dark pixels: saturated in pass 1 from width 14, pass 2 from 11, pass 3 from 9.
    const struct { int pass, narrowest; } cases[] = {{1, 14}, {2, 11}, {3, 9}};
    for (const auto& c : cases) {
        EXPECT_EQ(ProfileOf(c.pass, 1, c.narrowest, {c.narrowest - 4})[0], c.narrowest) << c.pass;
        EXPECT_EQ(ProfileOf(c.pass, 1, c.narrowest - 1, {c.narrowest - 5})[0], c.narrowest - 5) << c.pass;
    }
}

TEST(BuildLineProfile, MinimaOfEachPass) {
    // bdLine 10: pass 1 keeps 10, pass 2 keeps 8 (0.8 x 10), pass 3 keeps 7 (0.7 x 10).
    EXPECT_EQ(ProfileOf(1, 10, 100, {9, 10}), (std::vector<int>{0, 10, 0}));
    EXPECT_EQ(ProfileOf(2, 10, 100, {7, 8}), (std::vector<int>{0, 8, 0}));
    EXPECT_EQ(ProfileOf(3, 10, 100, {6, 7}), (std::vector<int>{0, 7, 0}));
    // bdLine 7: 5.6000000000000005 and 4.8999999999999995.
    EXPECT_EQ(ProfileOf(2, 7, 100, {5, 6}), (std::vector<int>{0, 6, 0}));
    EXPECT_EQ(ProfileOf(3, 7, 100, {4, 5}), (std::vector<int>{0, 5, 0}));
}

TEST(BuildLineProfile, TheMinimumAppliesToSaturatedRowsToo) {
    // bdLine above the width clears even a saturated row in pass 1.
    EXPECT_EQ(ProfileOf(1, 101, 100, {96, 96}), (std::vector<int>{0, 0, 0}));
    // bdLine 0 or below clears nothing: any dark counted pixel makes a line row.
    EXPECT_EQ(ProfileOf(1, 0, 100, {1, 0}), (std::vector<int>{1, 0, 0}));
    EXPECT_EQ(ProfileOf(1, -3, 100, {0, 2}), (std::vector<int>{0, 2, 0}));
}

TEST(BuildLineProfile, DarkPixelsInTheFirstFourColumnsAreNotCounted) {
    BoardCounter counter = CounterWithStrip(PictureWithDarkCounts(100, {4, 5}, 0), 1);
    EXPECT_EQ(Head(Built(counter, 1), 2), (std::vector<int>{0, 1}));
}

TEST(BuildLineProfile, GapRepairClearsShortRunsFromRowTwoUp) {
    EXPECT_EQ(RepairedRows(1, 10, {5}), std::vector<int>{});
    EXPECT_EQ(RepairedRows(1, 10, {1}), std::vector<int>{1});
    EXPECT_EQ(RepairedRows(1, 10, {2}), std::vector<int>{});
    EXPECT_EQ(RepairedRows(1, 10, {0, 1, 2}), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(RepairedRows(1, 10, {5, 7}), std::vector<int>{});
}

TEST(BuildLineProfile, PassThreeKeepsRunsOfThree) {
    for (int pass = 1; pass <= 3; ++pass) {
        const std::vector<int> three = RepairedRows(pass, 20, {10, 11, 12});
        EXPECT_EQ(three, pass == 3 ? (std::vector<int>{10, 11, 12}) : std::vector<int>{}) << pass;
        EXPECT_EQ(RepairedRows(pass, 20, {10, 11, 12, 13}), (std::vector<int>{10, 11, 12, 13})) << pass;
    }
}

TEST(BuildLineProfile, ARunAtTheTopEndsAtTheEntryAboveTheStrip) {
    EXPECT_EQ(RepairedRows(1, 6, {4, 5}), std::vector<int>{});
    EXPECT_EQ(ProfileOf(1, 1, 100, {7}), (std::vector<int>{7, 0}));
}

TEST(BuildLineProfile, GrowsWithStripsTallerThanTheClassicLimit) {
    std::vector<int> counts(700, 0);
    for (int row = 650; row < 656; ++row) counts[row] = 20;
    const std::vector<int> profile = ProfileOf(1, 10, 100, counts);
    ASSERT_EQ(profile.size(), 701u);
    EXPECT_EQ(profile[650], 20);
    EXPECT_EQ(profile[700], 0);
}

}  // namespace
}  // namespace tamrex
