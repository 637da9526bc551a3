#include "base/OutputTarget.h"
#include "base/ReplaceFile.h"
#include "tests/fixtures/ScratchFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/types.h>

namespace tamrex {
namespace {

using testing::ReadFile;
using testing::ScratchFolder;

std::string Refusal(const std::filesystem::path& target) {
    const Outcome written = ReplaceFileWith(target, "new content");
    return written ? std::string("written") : written.error().message;
}

TEST(ReplaceFileWith, RefusesWhatIsNoRegularFileAndLeavesItAsItWas) {
    ScratchFolder folder;
    ASSERT_EQ(::mkfifo((folder / "pipe.bmp").c_str(), 0644), 0);
    std::filesystem::create_directory(folder / "folder.bmp");
    std::filesystem::create_symlink(folder / "pipe.bmp", folder / "link-to-pipe.bmp");

    EXPECT_NE(Refusal(folder / "pipe.bmp").find("it is a FIFO"), std::string::npos) << Refusal(folder / "pipe.bmp");
    EXPECT_NE(Refusal(folder / "link-to-pipe.bmp").find("it is a FIFO"), std::string::npos);
    EXPECT_NE(Refusal(folder / "folder.bmp").find("it is a folder"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_fifo(folder / "pipe.bmp"));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link-to-pipe.bmp"));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "folder.bmp"));
}

// Only looked at, never written: a faulty check must not get the chance to replace it.
TEST(CheckOutputTarget, RefusesADeviceNode) {
    const Outcome usable = CheckOutputTarget("/dev/null");
    ASSERT_FALSE(usable.has_value());
    EXPECT_NE(usable.error().message.find("character device"), std::string::npos) << usable.error().message;
}

TEST(ReplaceFileWith, RefusesAReadOnlyFileEvenToRoot) {
    ScratchFolder folder;
    const auto target = folder.WriteFile("kept.ini", "old content");
    std::filesystem::permissions(target, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                             std::filesystem::perms::others_read);
    EXPECT_NE(Refusal(target).find("read-only"), std::string::npos);
    EXPECT_EQ(ReadFile(target), "old content");
}

TEST(ReplaceFileWith, WritesThroughALinkKeepingTheLinkAndThePermissions) {
    ScratchFolder folder;
    std::filesystem::create_directory(folder / "etc");
    const auto real = folder.WriteFile("etc/Tamrex.ini", "BDLINE=1\r\n");
    std::filesystem::permissions(real, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::create_symlink(real, folder / "Tamrex.ini");

    ASSERT_EQ(Refusal(folder / "Tamrex.ini"), "written");
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "Tamrex.ini"));
    EXPECT_EQ(ReadFile(real), "new content");
    EXPECT_EQ(std::filesystem::status(real).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "etc"), {}), 1) << "no temporary file left";
}

TEST(SameFile, KnowsOneFileUnderEveryName) {
    ScratchFolder folder;
    const auto photo = folder.WriteFile("stack.jpg", "bytes");
    std::filesystem::create_directory(folder / "sub");
    std::filesystem::create_hard_link(photo, folder / "hard.jpg");
    std::filesystem::create_symlink(photo, folder / "soft.jpg");
    EXPECT_TRUE(SameFile(photo, folder / "sub" / ".." / "stack.jpg"));
    EXPECT_TRUE(SameFile(photo, folder / "hard.jpg"));
    EXPECT_TRUE(SameFile(photo, folder / "soft.jpg"));
    EXPECT_FALSE(SameFile(photo, folder / "absent.jpg"));
    EXPECT_FALSE(SameFile(photo, folder.WriteFile("other.jpg", "bytes")));
}

}  // namespace
}  // namespace tamrex
