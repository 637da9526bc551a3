// Every EXIF orientation applied to a small picture whose pixels all differ, checked
// against where the EXIF standard puts the stored picture's first row and column.
#include "image/TurnUpright.h"

#include <gtest/gtest.h>

namespace tamrex {
namespace {

constexpr int kWidth = 3;
constexpr int kHeight = 2;

struct Place {
    int x;
    int y;
};

// Where stored pixel (x, y) of a W x H picture appears on screen, rows counted from
// the top. EXIF says where the stored row 0 and column 0 are shown: 1 top/left,
// 2 top/right, 3 bottom/right, 4 bottom/left, 5 left/top, 6 right/top,
// 7 right/bottom, 8 left/bottom.
Place Shown(int orientation, int x, int y) {
    switch (orientation) {
        case 2: return {kWidth - 1 - x, y};
        case 3: return {kWidth - 1 - x, kHeight - 1 - y};
        case 4: return {x, kHeight - 1 - y};
        case 5: return {y, x};
        case 6: return {kHeight - 1 - y, x};
        case 7: return {kHeight - 1 - y, kWidth - 1 - x};
        case 8: return {y, kWidth - 1 - x};
        default: return {x, y};
    }
}

// FreeImage keeps rows bottom up.
int Value(FIBITMAP* picture, int x, int y) {
    const BYTE* row = FreeImage_GetScanLine(picture, static_cast<int>(FreeImage_GetHeight(picture)) - 1 - y);
    const int bytes = static_cast<int>(FreeImage_GetBPP(picture)) / 8;
    int value = 0;
    for (int b = 0; b < bytes; ++b) value = value << 8 | row[x * bytes + b];
    return value;
}

// Grey (8-bit) and colour (24-bit), as the JPEG decoder gives them.
BitmapHandle Numbered(int bitsPerPixel) {
    BitmapHandle picture(FreeImage_Allocate(kWidth, kHeight, bitsPerPixel));
    for (int y = 0; y < kHeight; ++y) {
        BYTE* row = FreeImage_GetScanLine(picture.get(), kHeight - 1 - y);
        for (int x = 0; x < kWidth; ++x) {
            for (int b = 0; b < bitsPerPixel / 8; ++b) {
                row[x * bitsPerPixel / 8 + b] = static_cast<BYTE>(10 + 40 * y + 7 * x + b);
            }
        }
    }
    return picture;
}

class TurnUprightTest : public ::testing::TestWithParam<int> {};

TEST_P(TurnUprightTest, PutsEveryPixelWhereEveryViewerShowsIt) {
    const BitmapHandle stored = Numbered(GetParam());
    for (int orientation = 2; orientation <= 8; ++orientation) {
        const BitmapHandle upright = TurnUpright(stored.get(), orientation);
        ASSERT_TRUE(upright) << orientation;
        const bool quarter = orientation >= 5;
        EXPECT_EQ(static_cast<int>(FreeImage_GetWidth(upright.get())), quarter ? kHeight : kWidth) << orientation;
        EXPECT_EQ(static_cast<int>(FreeImage_GetHeight(upright.get())), quarter ? kWidth : kHeight) << orientation;
        EXPECT_EQ(FreeImage_GetBPP(upright.get()), FreeImage_GetBPP(stored.get()));
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const Place shown = Shown(orientation, x, y);
                EXPECT_EQ(Value(upright.get(), shown.x, shown.y), Value(stored.get(), x, y))
                    << "orientation " << orientation << ", stored pixel " << x << "," << y;
            }
        }
    }
}

TEST_P(TurnUprightTest, GivesAnUnchangedCopyForOrientationsThatNeedNoTurn) {
    const BitmapHandle stored = Numbered(GetParam());
    for (const int orientation : {1, 0, 9, -3}) {
        const BitmapHandle copy = TurnUpright(stored.get(), orientation);
        ASSERT_TRUE(copy);
        EXPECT_NE(copy.get(), stored.get());
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) EXPECT_EQ(Value(copy.get(), x, y), Value(stored.get(), x, y));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(GreyAndColour, TurnUprightTest, ::testing::Values(8, 24));

}  // namespace
}  // namespace tamrex
