#include "counting/BoardCounter.h"
#include "tests/counting/StripStage.h"

#include <gtest/gtest.h>

namespace tamrex {
namespace {

using testing::CounterWithStrip;
using testing::Marking;
using testing::PictureWithDarkCounts;
using testing::RowKinds;

// A strip of `height` fully dark rows 12 wide; returns which rows the sweep whitened.
std::string ErasedRows(int height, std::initializer_list<const Profile*> profiles) {
    BoardCounter counter = CounterWithStrip(PictureWithDarkCounts(12, std::vector<int>(height, 12)));
    counter.EraseFoundLines(profiles);
    return RowKinds(counter.stripImage.get());
}

std::string Rows(int height, int firstWhite, int lastWhite) {
    std::string kinds(height, 'B');
    for (int row = firstWhite; row <= lastWhite; ++row) kinds[row] = 'W';
    return kinds;
}

TEST(EraseFoundLines, WhitensNineRowsBelowARunAndTenAbove) {
    const Profile single = Marking({20});
    EXPECT_EQ(ErasedRows(40, {&single}), Rows(40, 11, 30));
    const Profile low = Marking({3, 4});
    EXPECT_EQ(ErasedRows(40, {&low}), Rows(40, 0, 14));
}

TEST(EraseFoundLines, NoMarksLeaveTheStripAsItWas) {
    const Profile none = Marking({});
    EXPECT_EQ(ErasedRows(30, {&none, &none}), std::string(30, 'B'));
}

TEST(EraseFoundLines, ARunAtTheTopEndsTheSweep) {
    const Profile top = Marking({27, 28, 29});
    EXPECT_EQ(ErasedRows(30, {&top}), Rows(30, 18, 29));
}

TEST(EraseFoundLines, TheRowAboveABlockIsNotExaminedBySameProfile) {
    // Run at 10 ends the block at 20 and the sweep resumes at 22: the run at 21 is skipped.
    const Profile profile = Marking({10, 21});
    EXPECT_EQ(ErasedRows(40, {&profile}), Rows(40, 1, 20));
    // A run that goes on to row 22 is found there and whitened from row 13 up.
    const Profile longer = Marking({10, 21, 22, 23});
    EXPECT_EQ(ErasedRows(40, {&longer}), Rows(40, 1, 33));
}

TEST(EraseFoundLines, SecondProfileIsCheckedWhereTheFirstLeftTheSweep) {
    const Profile first = Marking({10, 11});
    const Profile second = Marking({22, 30, 31});
    EXPECT_EQ(ErasedRows(40, {&first, &second}), Rows(40, 1, 32));
    // After a block of the second profile, the row above it is examined by neither.
    const Profile firstAbove = Marking({10, 11, 33});
    const Profile lone = Marking({22});
    EXPECT_EQ(ErasedRows(40, {&firstAbove, &lone}), Rows(40, 1, 32));
    // After a block of the first, the second is examined one row higher than the first.
    const Profile later = Marking({23});
    EXPECT_EQ(ErasedRows(40, {&first, &later}), Rows(40, 1, 33));
}

}  // namespace
}  // namespace tamrex
