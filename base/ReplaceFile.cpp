#include "base/ReplaceFile.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
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

}  // namespace

Outcome ReplaceFileWith(const std::filesystem::path& target, std::string_view content) {
    const std::filesystem::path temporary = TemporaryBeside(target);
    const int descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) return Fail(std::strerror(errno));
    const bool written = WriteAll(descriptor, content);
    const int writeError = errno;
    const bool closed = ::close(descriptor) == 0;
    const int closeError = errno;
    if (!written || !closed) {
        ::unlink(temporary.c_str());
        return Fail(std::strerror(written ? closeError : writeError));
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(temporary.c_str());
        return Fail(std::strerror(renameError));
    }
    return {};
}

}  // namespace tamrex
