#include "image/StripCrop.h"
#include "tests/fixtures/OneBitPicture.h"
#include "tests/fixtures/ScratchFolder.h"

#include <gtest/gtest.h>

#include <random>

namespace tamrex {
namespace {

using testing::ReadFile;
using testing::RowsOf;

BitmapHandle RandomPicture(std::mt19937& random, int width, int height) {
    BitmapHandle picture = testing::LightPicture(width, height);
    FreeImage_SetDotsPerMeterX(picture.get(), 2835);
    FreeImage_SetDotsPerMeterY(picture.get(), 3780);
    for (int y = 0; y < height; ++y) {
        BYTE* row = FreeImage_GetScanLine(picture.get(), y);
        for (unsigned byte = 0; byte < FreeImage_GetPitch(picture.get()); ++byte) {
            row[byte] = static_cast<BYTE>(random());
        }
    }
    return picture;
}

// The crop must be the library's own copy, down to the bytes of the saved file.
TEST(CropOneBitPicture, GivesWhatTheLibraryCopyGivesForEveryOffsetAndWidth) {
    std::mt19937 random(3);
    testing::ScratchFolder folder;
    for (int width = 5; width <= 230; width += width < 80 ? 3 : 29) {
        for (int left : {0, 1, 4, 7, 8, 12}) {
            if (left >= width) continue;
            const int height = 6;
            BitmapHandle picture = RandomPicture(random, width, height);
            const int firstRow = 1, endRow = 5;  // top-down rows height-endRow .. height-firstRow-1
            BitmapHandle expected(
                FreeImage_Copy(picture.get(), left, height - endRow, width, height - firstRow));
            BitmapHandle cropped = CropOneBitPicture(picture.get(), left, firstRow, endRow);
            ASSERT_EQ(RowsOf(cropped.get()), RowsOf(expected.get())) << "width " << width << " left " << left;
            FreeImage_Save(FIF_BMP, expected.get(), (folder / "expected.bmp").c_str(), 0);
            FreeImage_Save(FIF_BMP, cropped.get(), (folder / "cropped.bmp").c_str(), 0);
            ASSERT_EQ(ReadFile(folder / "cropped.bmp"), ReadFile(folder / "expected.bmp"))
                << "width " << width << " left " << left;
        }
    }
}

}  // namespace
}  // namespace tamrex
