#include "image/Binarize.h"
#include "image/LoadPhoto.h"
#include "tests/fixtures/JpegInMemory.h"
#include "tests/fixtures/JpegSegments.h"
#include "tests/fixtures/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

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

// Rows are done sixteen pixels at a time where the processor can and pixel by pixel for
// the rest, so every width from none to two sixteens and some over.
BitmapHandle PictureOfWidth(unsigned width, unsigned bitsPerPixel) {
    BitmapHandle picture(FreeImage_Allocate(width, 256, bitsPerPixel));
    if (bitsPerPixel == 8) {
        RGBQUAD* palette = FreeImage_GetPalette(picture.get());
        for (int i = 0; i < 256; ++i) palette[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
    }
    for (unsigned y = 0; y < 256; ++y) {
        BYTE* row = FreeImage_GetScanLine(picture.get(), static_cast<int>(y));
        for (unsigned byte = 0; byte < width * bitsPerPixel / 8; ++byte) row[byte] = static_cast<BYTE>(y + 37 * byte);
    }
    return picture;
}

TEST(ThresholdPhoto, MatchesTheLibraryOnGreyAndColourPicturesOfAnyWidth) {
    for (unsigned bitsPerPixel : {8u, 24u}) {
        for (unsigned width : {1u, 7u, 8u, 9u, 15u, 16u, 17u, 24u, 31u, 33u, 47u, 50u}) {
            BitmapHandle picture = PictureOfWidth(width, bitsPerPixel);
            for (int level : {0, 100, 110, 255}) {
                BitmapHandle ours = ThresholdPhoto(picture.get(), static_cast<BYTE>(level));
                BitmapHandle library(FreeImage_Threshold(picture.get(), static_cast<BYTE>(level)));
                ExpectSameBmp(ours.get(), library.get(),
                              std::to_string(bitsPerPixel) + " bits, width " + std::to_string(width) + ", level " +
                                  std::to_string(level));
            }
        }
    }
}

// The count thresholds each row as it is decoded: the picture must be the library's
// threshold of the library's own decode of the file, and a photo turned upright after
// decoding must not be thresholded as stored.
TEST(ThresholdWhileDecoding, GivesTheLibrarysThresholdOfTheFileOrNothingForATurnedPhoto) {
    testing::ScratchFolder folder;
    const BitmapHandle colour = PictureOfWidth(203, 24);
    const BitmapHandle grey = PictureOfWidth(203, 8);
    for (const auto& [name, picture] : {std::pair{"colour.jpg", colour.get()}, std::pair{"grey.jpg", grey.get()}}) {
        FreeImage_SetDotsPerMeterX(picture, 3937);  // 100 and 150 dots per inch, which the file keeps
        FreeImage_SetDotsPerMeterY(picture, 5906);
        const std::filesystem::path file = folder.WriteFile(name, testing::JpegInMemory(picture, JPEG_QUALITYGOOD));
        ThresholdWhileDecoding thresholding(110);
        ASSERT_TRUE(LoadJpeg(file, kDefaultPixelLimit, &thresholding));
        const BitmapHandle library(FreeImage_Load(FIF_JPEG, file.c_str(), JPEG_DEFAULT));
        const BitmapHandle expected(FreeImage_Threshold(library.get(), 110));
        ExpectSameBmp(thresholding.Take().get(), expected.get(), name);

        const std::filesystem::path turned = folder.WriteFile(std::string("turned-") + name, testing::TurnedByExif(testing::JpegInMemory(picture, JPEG_QUALITYGOOD)));
        ThresholdWhileDecoding unwanted(110);
        const Expected<LoadedPhoto> upright = LoadJpeg(turned, kDefaultPixelLimit, &unwanted);
        ASSERT_TRUE(upright && upright->orientation == 6) << name;
        EXPECT_FALSE(unwanted.Take()) << name;
    }
}

}  // namespace
}  // namespace tamrex
