#include "base/RegularFile.h"

#include "base/Quoted.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace tamrex {
namespace {

FileKind KindOfMode(mode_t mode) {
    if (S_ISREG(mode)) return FileKind::kRegular;
    if (S_ISDIR(mode)) return FileKind::kFolder;
    if (S_ISFIFO(mode)) return FileKind::kFifo;
    if (S_ISCHR(mode)) return FileKind::kCharacterDevice;
    if (S_ISBLK(mode)) return FileKind::kBlockDevice;
    if (S_ISSOCK(mode)) return FileKind::kSocket;
    return FileKind::kOther;
}

// Binary units, as file managers on Linux show them: "312 bytes", "1 MiB", "4.3 GiB".
std::string ReadableSize(std::uint64_t bytes) {
    if (bytes < 1024) return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
    static constexpr const char* kUnits[] = {"KiB", "MiB", "GiB", "TiB"};
    double size = static_cast<double>(bytes) / 1024;
    std::size_t unit = 0;
    for (; size >= 1024 && unit + 1 < std::size(kUnits); ++unit) size /= 1024;
    char text[32];
    std::snprintf(text, sizeof text, size == std::floor(size) ? "%.0f %s" : "%.1f %s", size, kUnits[unit]);
    return text;
}

Failure CannotRead(int error) { return Failure{std::strerror(error)}; }

// Why a file with this status is not read, if it is not.
Outcome Readable(const struct stat& status, std::size_t mostBytes, std::string_view what) {
    const FileKind kind = KindOfMode(status.st_mode);
    if (kind != FileKind::kRegular) {
        return Fail("it is " + std::string(DescribeKind(kind)) + ", not a " + std::string(what) +
                    ": only regular files are read");
    }
    if (static_cast<std::uint64_t>(status.st_size) > mostBytes) {
        return Fail("it is " + ReadableSize(static_cast<std::uint64_t>(status.st_size)) +
                    ", more than any real " + std::string(what) + " (at most " + ReadableSize(mostBytes) +
                    "): check that it is the right file");
    }
    return {};
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { ::close(fd_); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Reads at most `size` bytes: a file that grows while it is read is taken as it was
// when it was looked at, one that shrinks as far as it goes.
Expected<std::string> ReadContent(const Descriptor& descriptor, std::size_t size) {
    std::string bytes(size, '\0');
    std::size_t filled = 0;
    while (filled < size) {
        const ssize_t got = ::read(descriptor.get(), bytes.data() + filled, size - filled);
        if (got == 0) break;
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return tl::unexpected(CannotRead(errno));
        filled += static_cast<std::size_t>(got);
    }
    bytes.resize(filled);
    return bytes;
}

}  // namespace

Expected<FileKind> KindOfFile(const std::filesystem::path& file) {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) {
        return Fail("cannot look at " + Quoted(file) + ": " + std::strerror(errno));
    }
    return KindOfMode(status.st_mode);
}

std::string_view DescribeKind(FileKind kind) {
    switch (kind) {
        case FileKind::kRegular: return "a regular file";
        case FileKind::kFolder: return "a folder";
        case FileKind::kFifo: return "a FIFO (named pipe)";
        case FileKind::kCharacterDevice: return "a character device";
        case FileKind::kBlockDevice: return "a block device";
        case FileKind::kSocket: return "a socket";
        case FileKind::kOther: break;
    }
    return "a special file";
}

namespace {

// Reads the first `wanted` bytes of a regular file of at most `mostBytes`.
Expected<std::string> ReadRegular(const std::filesystem::path& file, std::size_t mostBytes, std::size_t wanted,
                                  std::string_view what) {
    // Looking by name first keeps devices from ever being opened: opening some has effects.
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) return tl::unexpected(CannotRead(errno));
    if (Outcome readable = Readable(status, mostBytes, what); !readable) return tl::unexpected(readable.error());
    // O_NONBLOCK: should the name now lead to a FIFO, opening it must not wait for a writer.
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return tl::unexpected(CannotRead(errno));
    const Descriptor descriptor(fd);
    // The file opened is what counts: the name may have been pointed elsewhere since.
    if (::fstat(fd, &status) != 0) return tl::unexpected(CannotRead(errno));
    if (Outcome readable = Readable(status, mostBytes, what); !readable) return tl::unexpected(readable.error());
    return ReadContent(descriptor, std::min(wanted, static_cast<std::size_t>(status.st_size)));
}

}  // namespace

Expected<std::string> ReadRegularFile(const std::filesystem::path& file, std::size_t mostBytes,
                                      std::string_view what) {
    return ReadRegular(file, mostBytes, mostBytes, what);
}

Expected<std::string> ReadRegularFileStart(const std::filesystem::path& file, std::size_t bytes,
                                           std::string_view what) {
    return ReadRegular(file, std::numeric_limits<std::size_t>::max(), bytes, what);
}

}  // namespace tamrex
