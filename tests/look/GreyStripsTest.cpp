#include "look/GreyStrips.h"

#include "image/Bitmap.h"
#include "image/LoadPhoto.h"
#include "tests/fixtures/JpegInMemory.h"
#include "tests/fixtures/JpegSegments.h"
#include "tests/fixtures/ScratchFolder.h"
#include "tools/photo/StackPhoto.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace tamrex {
namespace {

// Colour in which red, green and blue differ from pixel to pixel, so that the weight of
// each in the grey level matters.
BitmapHandle Tinted(FIBITMAP* grey) {
    BitmapHandle colour(FreeImage_ConvertTo24Bits(grey));
    for (unsigned y = 0; y < FreeImage_GetHeight(colour.get()); ++y) {
        BYTE* pixel = FreeImage_GetScanLine(colour.get(), static_cast<int>(y));
        for (unsigned x = 0; x < FreeImage_GetWidth(colour.get()); ++x, pixel += 3) {
            pixel[FI_RGBA_RED] = static_cast<BYTE>(pixel[FI_RGBA_RED] / 2 + (x * 7) % 100);
            pixel[FI_RGBA_BLUE] = static_cast<BYTE>(pixel[FI_RGBA_BLUE] / 2 + (y * 5) % 120);
        }
    }
    return colour;
}

void ExpectSameStrips(const Expected<GreyStrips>& ours, const Expected<GreyStrips>& photos, const std::string& what) {
    ASSERT_EQ(ours.has_value(), photos.has_value()) << what;
    if (!photos) {
        EXPECT_EQ(ours.error().message, photos.error().message) << what;
        return;
    }
    EXPECT_EQ(ours->area.left, photos->area.left) << what;
    EXPECT_EQ(ours->area.bottom, photos->area.bottom) << what;
    EXPECT_EQ(ours->area.height, photos->area.height) << what;
    EXPECT_EQ(ours->centres, photos->centres) << what;
    EXPECT_TRUE(ours->values == photos->values) << what << ": the grey levels differ";
}

// The count reads the second look's strips from the rows as they are decoded, keeping no
// photo: they must be the very strips read from the decoded photo, in a frame or without,
// and a photo turned upright after decoding must be read as turned, not as stored.
TEST(StripsWhileDecoding, AreTheStripsOfTheDecodedPhoto) {
    testing::ScratchFolder folder;
    const BitmapHandle grey(testing::DrawStackPhoto({.width = 301, .height = 263, .boards = 8, .boardRows = 18}));
    const BitmapHandle colour = Tinted(grey.get());
    const std::vector<std::optional<PhotoFrame>> frames{
        std::nullopt, PhotoFrame{7, 11, 150, 90}, PhotoFrame{250, 200, 400, 400}, PhotoFrame{400, 0, 10, 10},
        PhotoFrame{0, 0, 10, 263}};
    for (const auto& [name, picture] : {std::pair{"colour", colour.get()}, std::pair{"grey", grey.get()}}) {
        const std::string jpeg = testing::JpegInMemory(picture, JPEG_QUALITYGOOD);
        for (const std::string& kind : {std::string("upright"), std::string("turned")}) {
            const std::filesystem::path file =
                folder.WriteFile(kind + "-" + name + ".jpg", kind == "turned" ? testing::TurnedByExif(jpeg) : jpeg);
            for (const std::optional<PhotoFrame>& frame : frames) {
                const std::string what = kind + " " + name + " photo, frame " + (frame ? FrameText(*frame) : "none");
                StripsWhileDecoding strips(frame);
                const Expected<LoadedPhoto> loaded = LoadJpeg(file, kDefaultPixelLimit, &strips);
                ASSERT_TRUE(loaded) << what;
                EXPECT_EQ(loaded->bitmap == nullptr, kind == "upright") << what << ": the photo is kept only when turned";
                BitmapHandle decoded(FreeImage_Load(FIF_JPEG, file.c_str(), JPEG_EXIFROTATE));
                ExpectSameStrips(strips.Take(loaded->bitmap.get()), SampleStrips(decoded.get(), frame), what);
            }
        }
    }
}

}  // namespace
}  // namespace tamrex
