#include "counting/BoardCounter.h"
#include "tests/fixtures/OneBitPicture.h"
#include "tests/counting/StripStage.h"

#include <gtest/gtest.h>

namespace tamrex {
namespace {

using testing::Head;
using testing::PictureWithDarkCounts;
using testing::RowsOf;

// Dark counts are placed from column 4 on, the columns the band profile reads.
BoardCounter CounterOnPicture(int width, const std::vector<int>& darkCounts, int firstDarkColumn = 4) {
    BoardCounter counter;
    counter.binaryImage = PictureWithDarkCounts(width, darkCounts, firstDarkColumn);
    counter.imgWidth = width;
    counter.imgHeight = static_cast<int>(darkCounts.size());
    return counter;
}

TEST(DetectBand, CutsBetweenTheDarkMarginsLeavingOutTheHighestUnsaturatedRow) {
    BoardCounter counter = CounterOnPicture(20, {16, 15, 9, 3, 12, 2, 16, 16});
    ASSERT_TRUE(counter.DetectBand());
    EXPECT_EQ(Head(counter.rowProfile, 8), (std::vector<int>{20, 20, 9, 3, 12, 2, 20, 20}));
    EXPECT_EQ(counter.bandLower, 6);
    EXPECT_EQ(counter.bandUpper, 3);
    EXPECT_EQ(counter.imgWidth, 16);
    ASSERT_EQ(counter.imgHeight, 3);
    // Bottom-up strip rows 0..2 are picture rows 2..4, shifted left by 4 columns.
    const std::vector<std::string> expected{
        "############....",  // picture row 4: 12 dark from column 4
        "###.............",  // row 3
        "#########.......",  // row 2
    };
    EXPECT_EQ(RowsOf(counter.stripImage.get()), expected);
}

TEST(DetectBand, StripSizesForTheSpecialShapesOfPicture) {
    struct Case {
        const char* what;
        std::vector<int> darkCounts;
        int stripHeight;
    };
    const std::vector<Case> cases{
        {"every row saturated: the whole height", {16, 16, 16, 16}, 4},
        {"no row saturated: all but the top row", {0, 3, 5, 1, 0}, 4},
        {"saturated rows inside the band stay", {16, 2, 16, 16, 3, 16}, 3},
    };
    for (const Case& c : cases) {
        BoardCounter counter = CounterOnPicture(20, c.darkCounts);
        ASSERT_TRUE(counter.DetectBand()) << c.what;
        EXPECT_EQ(counter.imgHeight, c.stripHeight) << c.what;
        EXPECT_EQ(counter.imgWidth, 16) << c.what;
    }
}

TEST(DetectBand, RefusesABandOfOneUnsaturatedRowAndPicturesOfFourColumnsOrFewer) {
    BoardCounter oneRow = CounterOnPicture(20, {16, 16, 2, 16});
    EXPECT_FALSE(oneRow.DetectBand());
    BoardCounter narrow = CounterOnPicture(4, {0, 0, 0}, 0);
    EXPECT_FALSE(narrow.DetectBand());
    BoardCounter single = CounterOnPicture(20, {3});
    EXPECT_FALSE(single.DetectBand());
}

TEST(DetectBand, SaturationIsStrictAgainstTheDoubleProductOfTheFullWidth) {
    // 0.7 x 100 = 70.0 exactly: 70 is not above it. 0.7 x 90 is just below 63.
    BoardCounter at100 = CounterOnPicture(100, {70, 71, 0, 0});
    ASSERT_TRUE(at100.DetectBand());
    EXPECT_EQ(Head(at100.rowProfile, 2), (std::vector<int>{70, 100}));
    BoardCounter at90 = CounterOnPicture(90, {62, 63, 0, 0});
    ASSERT_TRUE(at90.DetectBand());
    EXPECT_EQ(Head(at90.rowProfile, 2), (std::vector<int>{62, 90}));
}

TEST(DetectBand, IgnoresTheFourLeftmostColumns) {
    // 13 dark pixels in columns 0..12 count only 9 and do not saturate a 16-wide row.
    BoardCounter counter = CounterOnPicture(16, {13, 13, 13}, 0);
    ASSERT_TRUE(counter.DetectBand());
    EXPECT_EQ(Head(counter.rowProfile, 3), (std::vector<int>{9, 9, 9}));
    EXPECT_EQ(counter.imgHeight, 2);
}

TEST(DetectBand, NarrowPicturesNeverSaturate) {
    // Below 14 columns the 4 skipped columns keep every row under 0.7 x width.
    BoardCounter counter = CounterOnPicture(13, {9, 9, 9, 9});
    ASSERT_TRUE(counter.DetectBand());
    EXPECT_EQ(counter.imgHeight, 3);
}

TEST(CutFreshStrip, GivesTheFirstStripAsItWasCutWhateverWasDrawnSince) {
    BoardCounter counter = CounterOnPicture(20, {16, 15, 9, 3, 12, 2, 16, 16});
    ASSERT_TRUE(counter.DetectBand());
    const std::vector<std::string> asCut = RowsOf(counter.stripImage.get());
    counter.TrimStripEdges(1);
    counter.markImage = counter.stripImage.get();
    counter.RenderLineMap(counter.markImage, {});
    ASSERT_TRUE(counter.CutFreshStrip());
    EXPECT_EQ(RowsOf(counter.stripImage.get()), asCut);
    EXPECT_EQ(counter.imgWidth, 16);
    EXPECT_EQ(counter.imgHeight, 3);
}

}  // namespace
}  // namespace tamrex
