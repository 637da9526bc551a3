#include "base/OutputTarget.h"
#include "base/ReplaceFile.h"
#include "tests/fixtures/ScratchFolder.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace tamrex {
namespace {

using testing::ReadFile;
using testing::ScratchFolder;

std::string Refusal(const std::filesystem::path& target, LinkUse links = LinkUse::kOwnOrPrivate) {
    const Outcome written = ReplaceFileWith(target, "new content", links);
    return written ? std::string("written") : written.error().message;
}

// What every fsync of the process saw while a SyncWatch lives: the content of the file
// synced, and what the watched target held at that moment.
struct SyncWatch {
    struct Sync {
        std::string content;
        std::string targetThen;
    };
    explicit SyncWatch(std::filesystem::path watched) : target(std::move(watched)) { current = this; }
    ~SyncWatch() { current = nullptr; }
    SyncWatch(const SyncWatch&) = delete;
    SyncWatch& operator=(const SyncWatch&) = delete;

    void Record(int descriptor) {
        std::error_code error;
        const auto file = std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(descriptor), error);
        syncs.push_back({error ? std::string() : ReadFile(file), ReadFile(target)});
    }

    static inline SyncWatch* current = nullptr;
    std::filesystem::path target;
    std::vector<Sync> syncs;
};

}  // namespace
}  // namespace tamrex

// Stands in for the C library's, which it calls, to see what is synced and when.
extern "C" int fsync(int descriptor) {
    static const auto real = reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fsync"));
    if (tamrex::SyncWatch::current) tamrex::SyncWatch::current->Record(descriptor);
    return real(descriptor);
}

namespace tamrex {
namespace {

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

TEST(ReplaceFileWith, PutsTheNewContentOnDiskBeforeItTakesTheName) {
    ScratchFolder folder;
    const auto target = folder.WriteFile("tamrex-corrections.csv", "old rows");
    SyncWatch watch(target);
    ASSERT_EQ(Refusal(target), "written");
    ASSERT_EQ(watch.syncs.size(), 1u) << "the new content is synced";
    EXPECT_EQ(watch.syncs[0].content, "new content") << "whole";
    EXPECT_EQ(watch.syncs[0].targetThen, "old rows") << "while the old file still has the name";
}

// Root may keep any owner; anyone else keeps a group of theirs that the old file had.
TEST(ReplaceFileWith, KeepsTheOwnerAndGroupOfTheFileItReplaces) {
    ScratchFolder folder;
    const auto target = folder.WriteFile("Tamrex.ini", "old");
    uid_t owner = ::geteuid();
    gid_t group = 0;
    if (owner == 0) {
        owner = group = 65534;  // nobody, nogroup
    } else {
        std::vector<gid_t> groups(64);
        const int count = ::getgroups(static_cast<int>(groups.size()), groups.data());
        const auto other = std::find_if(groups.begin(), groups.begin() + std::max(count, 0),
                                        [](gid_t one) { return one != ::getegid(); });
        if (other == groups.begin() + std::max(count, 0)) GTEST_SKIP() << "the user belongs to one group only";
        group = *other;
    }
    ASSERT_EQ(::chown(target.c_str(), owner, group), 0);
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);

    ASSERT_EQ(Refusal(target), "written");
    struct stat status {};
    ASSERT_EQ(::stat(target.c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, owner);
    EXPECT_EQ(status.st_gid, group);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(ReadFile(target), "new content");
}

// A link at a name the program writes, put there by another user in a folder others can
// write, would make us replace a file of our own that the link points at.
TEST(ReplaceFileWith, FollowsOnlyLinksThatNoOtherUserCanHavePlanted) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can make a link another user's";
    constexpr uid_t kOther = 65534;
    struct Case {
        mode_t folderMode;
        uid_t folderOwner;
        uid_t linkOwner;
        LinkUse links;
        bool followed;
    };
    const Case cases[] = {
        {01777, 0, kOther, LinkUse::kOwnOrPrivate, false},  // /tmp: anyone may make names there
        {00775, 0, kOther, LinkUse::kOwnOrPrivate, false},  // a folder its group can write
        {00755, kOther, kOther, LinkUse::kOwnOrPrivate, false},  // another user's folder
        {01777, 0, 0, LinkUse::kOwnOrPrivate, true},        // the user's own link
        {00755, 0, kOther, LinkUse::kOwnOrPrivate, true},   // a folder of the user's alone
        {01777, 0, kOther, LinkUse::kFollow, true},         // a file named on purpose
    };
    for (const Case& one : cases) {
        ScratchFolder folder;
        const auto mine = folder.WriteFile("mine.csv", "kept");
        const auto shared = folder / "shared";
        std::filesystem::create_directory(shared);
        std::filesystem::create_symlink(mine, shared / "test.bmp");
        ASSERT_EQ(::lchown((shared / "test.bmp").c_str(), one.linkOwner, one.linkOwner), 0);
        ASSERT_EQ(::chown(shared.c_str(), one.folderOwner, one.folderOwner), 0);
        ASSERT_EQ(::chmod(shared.c_str(), one.folderMode), 0);

        const std::string outcome = Refusal(shared / "test.bmp", one.links);
        const std::string where = "folder " + std::to_string(one.folderMode) + " of " +
                                  std::to_string(one.folderOwner) + ", link of " + std::to_string(one.linkOwner);
        if (one.followed) {
            EXPECT_EQ(outcome, "written") << where;
            EXPECT_EQ(ReadFile(mine), "new content") << where;
        } else {
            EXPECT_NE(outcome.find("a link that another user made"), std::string::npos) << where << ": " << outcome;
            EXPECT_EQ(ReadFile(mine), "kept") << where;
        }
        EXPECT_TRUE(std::filesystem::is_symlink(shared / "test.bmp")) << where;
    }
}

TEST(FileToReplace, RefusesTheNamesOfThisProgramsOwnStreams) {
    for (const char* alias : {"/dev/stdout", "/dev/stderr", "/dev/fd/1", "/proc/self/fd/2", "/proc/1/fd/1"}) {
        const Expected<std::filesystem::path> file = FileToReplace(alias, LinkUse::kFollow);
        ASSERT_FALSE(file.has_value()) << alias << " leads to " << *file;
        EXPECT_NE(file.error().message.find("open streams"), std::string::npos) << file.error().message;
    }
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
