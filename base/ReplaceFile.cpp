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

// A replaced file keeps who may read and write it.
void KeepPermissionsOf(const std::filesystem::path& file, int descriptor) {
    struct stat status {};
    if (::stat(file.c_str(), &status) == 0) ::fchmod(descriptor, status.st_mode & 07777);
}

}  // namespace

Outcome ReplaceFileWith(const std::filesystem::path& target, std::string_view content) {
    const std::filesystem::path file = FileBehindLinks(target);
    if (Outcome usable = CheckOutputTarget(file); !usable) return usable;
    const std::filesystem::path temporary = TemporaryBeside(file);
    const int descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) return CannotCreateBeside(file, errno);
    KeepPermissionsOf(file, descriptor);
    const bool written = WriteAll(descriptor, content);
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
