// Reading files that may be anything a name can lead to: FIFOs that would block
// forever, devices that never end, folders, links, files far too big.
#include "base/RegularFile.h"
#include "tests/fixtures/ScratchFolder.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <string>

namespace tamrex {
namespace {

using testing::ScratchFolder;

constexpr std::size_t kMiB = 1 << 20;

std::string Quoted(const std::filesystem::path& file) { return "'" + file.string() + "'"; }

void ExpectRefused(const Expected<std::string>& read, const std::string& message) {
    ASSERT_FALSE(read) << "read " << read->size() << " bytes; expected: " << message;
    EXPECT_EQ(read.error().message, message);
}

std::filesystem::path MakeFifo(const ScratchFolder& folder, const std::string& name) {
    const std::filesystem::path fifo = folder / name;
    EXPECT_EQ(::mkfifo(fifo.c_str(), 0600), 0) << std::strerror(errno);
    return fifo;
}

TEST(ReadRegularFile, ReadsAWholeRegularFileAlsoThroughALink) {
    const ScratchFolder folder;
    std::string content(300'000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 31 % 251);
    const std::filesystem::path photo = folder.WriteFile("photo.jpg", content);
    std::filesystem::create_symlink(photo, folder / "link.jpg");
    for (const std::filesystem::path& file : {photo, folder / "link.jpg"}) {
        const Expected<std::string> read = ReadRegularFile(file, kMiB, "photo");
        ASSERT_TRUE(read) << read.error().message;
        EXPECT_EQ(*read, content);
    }
    EXPECT_EQ(ReadRegularFile(folder.WriteFile("empty.jpg", ""), kMiB, "photo").value(), "");
}

TEST(ReadRegularFile, ReadsAFileOfExactlyTheLimitAndRefusesOneByteMore) {
    const ScratchFolder folder;
    const std::filesystem::path file = folder.WriteFile("Tamrex.ini", std::string(1000, 'x'));
    EXPECT_EQ(ReadRegularFile(file, 1000, "settings file").value().size(), 1000u);
    ExpectRefused(ReadRegularFile(file, 999, "settings file"),
                  "it is 1000 bytes, more than any real settings file (at most 999 bytes): check that "
                                 "it is the right file");
}

// Kernel files say they hold 4096 bytes and hold a line.
TEST(ReadRegularFile, ReadsAFileThatHoldsLessThanItsSizeSaysAsFarAsItGoes) {
    const std::filesystem::path online = "/sys/devices/system/cpu/online";
    std::error_code error;
    if (std::filesystem::file_size(online, error) != 4096) GTEST_SKIP() << online << " is missing or not as expected";
    const Expected<std::string> read = ReadRegularFile(online, kMiB, "settings file");
    ASSERT_TRUE(read) << read.error().message;
    EXPECT_EQ(*read, testing::ReadFile(online));
    EXPECT_LT(read->size(), 4096u);
}

TEST(ReadRegularFile, RefusesAHugeFileWithoutReadingIt) {
    const ScratchFolder folder;
    const std::filesystem::path file = folder / "counts.csv";
    folder.WriteFile("counts.csv", "");
    std::filesystem::resize_file(file, std::uintmax_t{9} << 29);  // sparse: takes no room
    ExpectRefused(ReadRegularFile(file, kMiB, "known counts file"),
                  "it is 4.5 GiB, more than any real known counts file (at most 1 MiB): check that it "
                                 "is the right file");
    std::filesystem::resize_file(file, std::uintmax_t{4} << 30);
    EXPECT_NE(ReadRegularFile(file, 3 * kMiB / 2, "photo").error().message.find("is 4 GiB, more than any real photo "
                                                                               "(at most 1.5 MiB)"),
              std::string::npos);
}

TEST(ReadRegularFile, RefusesAFifoAndALinkToOneWithoutWaitingForAWriter) {
    const ScratchFolder folder;
    const std::filesystem::path fifo = MakeFifo(folder, "x.jpg");
    std::filesystem::create_symlink(fifo, folder / "link.jpg");
    for (const std::filesystem::path& file : {fifo, folder / "link.jpg"}) {
        ExpectRefused(ReadRegularFile(file, kMiB, "photo"),
                      "it is a FIFO (named pipe), not a photo: only regular files are read");
    }
}

TEST(ReadRegularFile, RefusesDevicesAndFolders) {
    ExpectRefused(ReadRegularFile("/dev/zero", kMiB, "settings file"),
                  "it is a character device, not a settings file: only regular files are read");
    ExpectRefused(ReadRegularFile("/dev/null", kMiB, "photo"),
                  "it is a character device, not a photo: only regular files are read");
    const ScratchFolder folder;
    ExpectRefused(ReadRegularFile(folder.path(), kMiB, "known counts file"),
                  "it is a folder, not a known counts file: only regular files are read");
}

TEST(ReadRegularFile, SaysWhyAFileCannotBeOpened) {
    const ScratchFolder folder;
    ExpectRefused(ReadRegularFile(folder / "missing.jpg", kMiB, "photo"),
                  "No such file or directory");
    std::filesystem::create_symlink(folder / "gone.jpg", folder / "dangling.jpg");
    ExpectRefused(ReadRegularFile(folder / "dangling.jpg", kMiB, "photo"),
                  "No such file or directory");
    const std::filesystem::path inside = folder.WriteFile("plain", "x") / "child.jpg";
    ExpectRefused(ReadRegularFile(inside, kMiB, "photo"),
                  "Not a directory");
}

TEST(KindOfFile, TellsWhatANameLeadsToWithoutOpeningIt) {
    const ScratchFolder folder;
    const std::filesystem::path fifo = MakeFifo(folder, "pipe.jpg");
    std::filesystem::create_symlink(fifo, folder / "link.jpg");
    const std::filesystem::path socketPath = folder / "socket.jpg";
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0) << std::strerror(errno);

    EXPECT_EQ(KindOfFile(folder.WriteFile("photo.jpg", "x")).value(), FileKind::kRegular);
    EXPECT_EQ(KindOfFile(folder.path()).value(), FileKind::kFolder);
    EXPECT_EQ(KindOfFile(fifo).value(), FileKind::kFifo);
    EXPECT_EQ(KindOfFile(folder / "link.jpg").value(), FileKind::kFifo);
    EXPECT_EQ(KindOfFile("/dev/null").value(), FileKind::kCharacterDevice);
    EXPECT_EQ(KindOfFile(socketPath).value(), FileKind::kSocket);
    ::close(listener);
    const Expected<FileKind> missing = KindOfFile(folder / "missing.jpg");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().message,
              "cannot look at " + Quoted(folder / "missing.jpg") + ": No such file or directory");
}

}  // namespace
}  // namespace tamrex
