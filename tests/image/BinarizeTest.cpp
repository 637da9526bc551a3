#include "image/Binarize.h"
#include "tests/fixtures/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tamrex {
namespace {

using testing::ReadFile;

// Every 24-bit colour once: 4096 x 4096 pixels.
BitmapHandle AllColours() {
    BitmapHandle picture(FreeImage_Allocate(4096, 4096, 24));
    for (unsigned y = 0; y < 4096; ++y) {
        BYTE* row = FreeImage_GetScanLine(picture.get(), static_cast<int>(y));
        for (unsigned x = 0; x < 4096; ++x) {
            const unsigned colour = y * 4096 + x;
            row[3 * x + FI_RGBA_RED] = static_cast<BYTE>(colour >> 16);
            row[3 * x + FI_RGBA_GREEN] = static_cast<BYTE>(colour >> 8);
            row[3 * x + FI_RGBA_BLUE] = static_cast<BYTE>(colour);
        }
    }
    FreeImage_SetDotsPerMeterX(picture.get(), 2835);
    FreeImage_SetDotsPerMeterY(picture.get(), 3937);
    return picture;
}

// Same palette, resolution and pixels: the saved files are byte for byte the same.
void ExpectSameBmp(FIBITMAP* ours, FIBITMAP* library, const std::string& what) {
    testing::ScratchFolder folder;
    ASSERT_TRUE(ours && library) << what;
    FreeImage_Save(FIF_BMP, ours, (folder / "ours.bmp").c_str(), 0);
    FreeImage_Save(FIF_BMP, library, (folder / "library.bmp").c_str(), 0);
    EXPECT_TRUE(ReadFile(folder / "ours.bmp") == ReadFile(folder / "library.bmp")) << what;
}

TEST(ThresholdPhoto, MatchesTheLibraryForEveryColourAtEveryLevelThatMatters) {
    BitmapHandle colours = AllColours();
    for (int level : {0, 1, 64, 110, 127, 128, 200, 255}) {
        BitmapHandle ours = ThresholdPhoto(colours.get(), static_cast<BYTE>(level));
        BitmapHandle library(FreeImage_Threshold(colours.get(), static_cast<BYTE>(level)));
        ExpectSameBmp(ours.get(), library.get(), "level " + std::to_string(level));
    }
}

TEST(ThresholdPhoto, MatchesTheLibraryOnGreyPicturesOfAnyWidth) {
    for (unsigned width : {1u, 7u, 8u, 9u, 33u}) {
        BitmapHandle grey(FreeImage_Allocate(width, 256, 8));
        RGBQUAD* palette = FreeImage_GetPalette(grey.get());
        for (int i = 0; i < 256; ++i) palette[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
        for (unsigned y = 0; y < 256; ++y) {
            BYTE* row = FreeImage_GetScanLine(grey.get(), static_cast<int>(y));
            for (unsigned x = 0; x < width; ++x) row[x] = static_cast<BYTE>(y + 37 * x);
        }
        for (int level : {0, 100, 255}) {
            BitmapHandle ours = ThresholdPhoto(grey.get(), static_cast<BYTE>(level));
            BitmapHandle library(FreeImage_Threshold(grey.get(), static_cast<BYTE>(level)));
            ExpectSameBmp(ours.get(), library.get(), "width " + std::to_string(width));
        }
    }
}

}  // namespace
}  // namespace tamrex
