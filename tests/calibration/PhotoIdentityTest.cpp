#include "calibration/PhotoIdentity.h"
#include "tests/fixtures/ScratchFolder.h"

#include <gtest/gtest.h>

#include <random>

namespace tamrex {
namespace {

using testing::ScratchFolder;

// Bytes that differ all through, as a photo's do; long enough to have a middle that
// neither end reaches.
std::string PhotoBytes(unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(300'000, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random());
    return bytes;
}

TEST(PhotoIdentity, StaysWithACopyAndChangesWithTheContent) {
    ScratchFolder folder;
    const std::string photo = PhotoBytes(1);
    folder.WriteFile("a.jpg", photo);
    folder.WriteFile("copy.jpg", photo);
    const PhotoIdentity original = IdentifyPhoto(folder / "a.jpg").value();
    EXPECT_EQ(original.bytes, photo.size());
    EXPECT_EQ(original.fingerprint.size(), 16u);
    EXPECT_EQ(IdentifyPhoto(folder / "copy.jpg").value(), original);

    std::string turned = photo;  // an EXIF orientation tag changed near the start
    turned[40] = static_cast<char>(turned[40] ^ 1);
    std::string retouched = photo;  // re-encoded data ends differently
    retouched[photo.size() - 5] = static_cast<char>(retouched[photo.size() - 5] ^ 0x10);
    for (const std::string& other : {turned, retouched, photo + "x", PhotoBytes(2), std::string()}) {
        folder.WriteFile("a.jpg", other);
        const Expected<PhotoIdentity> changed = IdentifyPhoto(folder / "a.jpg");
        ASSERT_TRUE(changed.has_value()) << changed.error().message;
        EXPECT_NE(*changed, original);
        EXPECT_TRUE(changed->Known());
    }
}

TEST(PhotoIdentity, IsNotTakenOfWhatIsNoFile) {
    ScratchFolder folder;
    std::filesystem::create_directory(folder / "folder.jpg");
    EXPECT_NE(IdentifyPhoto(folder / "folder.jpg").error().message.find("folder"), std::string::npos);
    EXPECT_FALSE(IdentifyPhoto(folder / "gone.jpg").has_value());
}

}  // namespace
}  // namespace tamrex
