#include "base/ReplaceFile.h"

#include "base/OutputTarget.h"
#include "base/Quoted.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tamrex {
namespace {

std::filesystem::path TemporaryBeside(const std::filesystem::path& target) {
    static std::atomic<unsigned> serial{0};
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    return folder / ("." + target.filename().string() + ".part-" + std::to_string(getpid()) + "-" +
                     std::to_string(serial++));
}

bool WriteAll(int descriptor, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = ::write(descriptor, content.data(), content.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The new file is made beside the old one, so a folder that cannot be written stops it.
Outcome CannotCreateBeside(const std::filesystem::path& file, int error) {
    std::string message = std::strerror(error);
    if (error == EACCES || error == EPERM || error == EROFS) {
        const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
        message += ": the folder " + Quoted(folder) +
                   " cannot be written; ask for write access to it (or run as its owner), or choose another place";
    }
    return Fail(message);
}

// A replaced file keeps whose it is and who may read and write it. Only root may give
// a file away; anyone may keep a group they belong to. The mode comes last, as a change
// of owner clears the set-user-ID and set-group-ID bits.
void KeepOwnershipOf(const std::filesystem::path& file, int descriptor) {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) return;
    if (::fchown(descriptor, status.st_uid, status.st_gid) != 0) {
        [[maybe_unused]] const int groupOnly = ::fchown(descriptor, static_cast<uid_t>(-1), status.st_gid);
    }
    ::fchmod(descriptor, status.st_mode & 07777);
}

// The content reaches the disk before the rename makes it the file's: otherwise a
// crash soon after could leave the name on an empty or half-written file.
bool WriteDurably(int descriptor, std::string_view content) {
    if (!WriteAll(descriptor, content)) return false;
    while (::fsync(descriptor) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

}  // namespace

Outcome ReplaceFileWith(const std::filesystem::path& target, std::string_view content, LinkUse links) {
    const Expected<std::filesystem::path> behindLinks = FileToReplace(target, links);
    if (!behindLinks) return tl::unexpected(behindLinks.error());
    const std::filesystem::path& file = *behindLinks;
    if (Outcome usable = CheckOutputTarget(file); !usable) return usable;
    const std::filesystem::path temporary = TemporaryBeside(file);
    const int descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) return CannotCreateBeside(file, errno);
    KeepOwnershipOf(file, descriptor);
    const bool written = WriteDurably(descriptor, content);
    const int writeError = errno;
    const bool closed = ::close(descriptor) == 0;
    const int closeError = errno;
    if (!written || !closed) {
        ::unlink(temporary.c_str());
        return Fail(std::strerror(written ? closeError : writeError));
    }
    if (std::rename(temporary.c_str(), file.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(temporary.c_str());
        return Fail(std::strerror(renameError));
    }
    return {};
}

}  // namespace tamrex
