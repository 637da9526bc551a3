#include "image/DecodeCost.h"
#include "image/Bitmap.h"
#include "tests/fixtures/JpegSegments.h"
#include "tests/fixtures/ScratchFolder.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <vector>

namespace tamrex {
namespace {

using testing::ExifApp1;
using testing::ScratchFolder;
using testing::Segment;
using testing::Word;

std::filesystem::path Saved(const ScratchFolder& folder, const std::string& name, int width, int height, int flags) {
    const BitmapHandle picture(FreeImage_Allocate(width, height, 24));
    const auto path = folder / name;
    EXPECT_TRUE(FreeImage_Save(FIF_JPEG, picture.get(), path.c_str(), flags));
    return path;
}

// A 4000 x 3000 colour photo with its colour at half resolution both ways (4:2:0),
// as phones write it; only the structure, which is all the reckoning reads.
constexpr int kWidth = 4000, kHeight = 3000;
// 24-bit rows of 12000 bytes.
constexpr std::uint64_t kPictureBytes = 12000ull * 3000;
// What libjpeg keeps when it keeps every coefficient: brightness in 500 x 376 blocks of
// 8 x 8 (375 rows of blocks rounded up to whole MCUs of 2), each colour in 250 x 188, two
// bytes a coefficient.
constexpr std::uint64_t kCoefficientBytes = (500ull * 376 + 2 * 250 * 188) * 64 * 2;

std::string Frame(std::uint8_t marker) {
    return Segment(marker, std::string("\x08", 1) + Word(kHeight) + Word(kWidth) +
                               std::string("\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01", 10));
}

// The same photo in CMYK, which the image library decodes whole.
std::string CmykFrame() {
    return Segment(0xC0, std::string("\x08", 1) + Word(kHeight) + Word(kWidth) +
                             std::string("\x04\x01\x11\x00\x02\x11\x00\x03\x11\x00\x04\x11\x00", 13));
}

std::string Scan(const std::vector<int>& ids, int ss = 0, int se = 63) {
    std::string payload(1, static_cast<char>(ids.size()));
    for (const int id : ids) payload += {static_cast<char>(id), '\0'};
    return Segment(0xDA, payload + static_cast<char>(ss) + static_cast<char>(se) + '\0') + "\x12\x34\x56";
}

std::string Photo(const std::string& exif, std::uint8_t frame, const std::string& scans) {
    return "\xFF\xD8" + exif + Frame(frame) + scans + "\xFF\xD9";
}

// What a batch reserves of its memory budget before it decodes a photo: at least what
// the decoder and the count hold at once, reckoned from the header alone.
TEST(DecodeCost, ReservesWhatTheDecoderKeepsForTheLayoutAndTheTurn) {
    ScratchFolder folder;
    const auto cost = [&](const std::string& bytes) { return DecodeCost(folder.WriteFile("photo.jpg", bytes)); };
    const std::string interleaved = Scan({1, 2, 3});
    const std::string progressive = Scan({1, 2, 3}, 0, 0) + Scan({1}, 1, 63) + Scan({2}, 1, 63) + Scan({3}, 1, 63);

    // Stored upright, its rows are counted as they are decoded and no picture is kept:
    // what stays is its thresholded copy and the strips cut from that, a quarter of a
    // byte a pixel.
    const std::uint64_t plain = cost(Photo("", 0xC0, interleaved));
    EXPECT_GE(plain, kWidth * kHeight / 4);
    EXPECT_LT(plain, kPictureBytes / 2) << "one pass keeps no coefficients, and no picture";
    EXPECT_EQ(cost(Photo(ExifApp1(1), 0xC0, interleaved)), plain) << "upright as stored";
    EXPECT_GE(cost("\xFF\xD8" + CmykFrame() + Scan({1, 2, 3, 4}) + "\xFF\xD9"), kPictureBytes)
        << "CMYK is decoded whole, into colour";

    const std::pair<const char*, std::string> everyCoefficient[] = {
        {"progressive", Photo("", 0xC2, progressive)},
        {"a scan per component", Photo("", 0xC0, Scan({1}) + Scan({2}) + Scan({3}))},
        {"brightness, then colour", Photo("", 0xC1, Scan({1}) + Scan({2, 3}))},
        {"arithmetic progressive", Photo("", 0xCA, progressive)},
    };
    // ... beside the thresholded picture made while decoding.
    for (const auto& [layout, bytes] : everyCoefficient)
        EXPECT_GE(cost(bytes), kCoefficientBytes + kWidth * kHeight / 8) << layout;

    for (const int sideways : {6, 8, 5, 3, 2})
        EXPECT_GE(cost(Photo(ExifApp1(static_cast<std::uint16_t>(sideways)), 0xC0, interleaved)), 2 * kPictureBytes)
            << "orientation " << sideways << " makes a second picture";
}

TEST(DecodeCost, CoversARealPhotoAndNothingForWhatWillNotDecode) {
    ScratchFolder folder;
    const std::uint64_t baseline = DecodeCost(Saved(folder, "baseline.jpg", 1200, 900, JPEG_DEFAULT));
    EXPECT_GE(baseline, 1200u * 900 / 4);
    EXPECT_EQ(DecodeCost(folder.WriteFile("text.jpg", "not a photo")), 0u);
    EXPECT_EQ(DecodeCost(folder / "absent.jpg"), 0u);
}

}  // namespace
}  // namespace tamrex
