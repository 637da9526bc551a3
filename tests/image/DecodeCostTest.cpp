#include "image/LoadPhoto.h"
#include "tests/fixtures/ScratchFolder.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

namespace tamrex {
namespace {

using testing::ScratchFolder;

std::filesystem::path Saved(const ScratchFolder& folder, const std::string& name, int width, int height, int flags) {
    const BitmapHandle picture(FreeImage_Allocate(width, height, 24));
    const auto path = folder / name;
    EXPECT_TRUE(FreeImage_Save(FIF_JPEG, picture.get(), path.c_str(), flags));
    return path;
}

// What a batch reserves of its memory budget before it decodes a photo: at least the
// decoded pixels, more for a progressive photo, and nothing for what will not decode.
TEST(DecodeCost, CoversTheDecodedPixelsFromTheHeaderAlone) {
    ScratchFolder folder;
    const std::uint64_t pixels = 1200 * 900;
    const std::uint64_t baseline = DecodeCost(Saved(folder, "baseline.jpg", 1200, 900, JPEG_DEFAULT));
    EXPECT_GE(baseline, 3 * pixels);
    EXPECT_LT(baseline, 5 * pixels);
    const std::uint64_t progressive = DecodeCost(Saved(folder, "progressive.jpg", 1200, 900, JPEG_PROGRESSIVE));
    EXPECT_GE(progressive, baseline + 3 * pixels) << "the decoder keeps every coefficient of a progressive photo";
    EXPECT_EQ(DecodeCost(folder.WriteFile("text.jpg", "not a photo")), 0u);
    EXPECT_EQ(DecodeCost(folder / "absent.jpg"), 0u);
}

}  // namespace
}  // namespace tamrex
