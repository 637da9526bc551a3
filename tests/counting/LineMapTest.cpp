#include "counting/BoardCounter.h"
#include "tests/counting/StripStage.h"

#include <gtest/gtest.h>

namespace tamrex {
namespace {

using testing::CounterWithStrip;
using testing::LightPicture;
using testing::Marking;
using testing::PictureWithDarkCounts;
using testing::RowKinds;

int RunsOf(const Profile& profile, int height) {
    BoardCounter counter = CounterWithStrip(LightPicture(3, height));
    counter.lineTotal = 5;
    counter.CountLineRuns(profile);
    EXPECT_EQ(counter.lineTotal, 5 + counter.passLines);
    return counter.passLines;
}

TEST(RenderLineMap, PaintsMarkedRowsBlackAndEveryOtherRowWhiteWhateverWasThere) {
    // Widths around byte and word boundaries, over a strip full of mixed rows.
    for (int width : {1, 7, 8, 9, 63, 64, 65, 130}) {
        BoardCounter counter = CounterWithStrip(PictureWithDarkCounts(width, {0, width / 2, width, 1, 0}));
        const Profile first = Marking({1});
        const Profile second = Marking({1, 3});
        counter.RenderLineMap(counter.stripImage.get(), {&first, &second});
        EXPECT_EQ(RowKinds(counter.stripImage.get()), "WBWBW") << "width " << width;
    }
}

TEST(RenderLineMap, WithNoProfileTheMapIsWhite) {
    BoardCounter counter = CounterWithStrip(PictureWithDarkCounts(20, {20, 3}));
    counter.RenderLineMap(counter.stripImage.get(), {});
    EXPECT_EQ(RowKinds(counter.stripImage.get()), "WW");
}

TEST(RenderLineMap, LeavesTheScanlinePaddingAlone) {
    BoardCounter counter = CounterWithStrip(LightPicture(9, 2));
    BYTE* row = FreeImage_GetScanLine(counter.stripImage.get(), 0);
    row[1] = 0x7F;  // column 8 dark, padding bits set
    const Profile marked = Marking({0});
    counter.RenderLineMap(counter.stripImage.get(), {&marked});
    EXPECT_EQ(row[0], 0x00);
    EXPECT_EQ(row[1], 0x7F);  // column 8 black, the seven padding bits untouched
}

TEST(CountLineRuns, CountsEachMaximalRunOnce) {
    EXPECT_EQ(RunsOf(Marking({}), 10), 0);
    EXPECT_EQ(RunsOf(Marking({5, 6, 7}), 10), 1);
    EXPECT_EQ(RunsOf(Marking({5, 7}), 10), 2);
    EXPECT_EQ(RunsOf(Marking({0, 1}), 10), 1);
    EXPECT_EQ(RunsOf(Marking({8, 9}), 10), 1);  // ends at the top row
    EXPECT_EQ(RunsOf(Marking({0, 2, 4, 6, 8}), 10), 5);
    EXPECT_EQ(RunsOf(Marking({0}), 1), 1);
}

TEST(CountLineRuns, ReadsNothingAboveTheStrip) {
    // Entries above the top row may hold an earlier, taller strip's marks.
    Profile profile = Marking({3, 5, 6, 7});
    profile[4] = 0;
    EXPECT_EQ(RunsOf(profile, 4), 1);
}

TEST(RunsOf, ListsTheRunsCountLineRunsCounts) {
    BoardCounter counter = CounterWithStrip(LightPicture(3, 10));
    const Profile profile = Marking({0, 1, 4, 8, 9});
    counter.CountLineRuns(profile);
    const std::vector<LineRun> runs = counter.RunsOf(profile);
    EXPECT_EQ(runs, (std::vector<LineRun>{{0, 1}, {4, 4}, {8, 9}}));
    EXPECT_EQ(static_cast<int>(runs.size()), counter.passLines);
}

}  // namespace
}  // namespace tamrex
