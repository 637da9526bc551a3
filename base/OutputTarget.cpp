#include "base/OutputTarget.h"

#include "base/RegularFile.h"

#include <sys/stat.h>

namespace tamrex {

Outcome CheckOutputTarget(const std::filesystem::path& target) {
    struct stat status {};
    if (::stat(target.c_str(), &status) != 0) return {};  // a new file; its folder decides
    const Expected<FileKind> kind = KindOfFile(target);
    if (kind && *kind != FileKind::kRegular) {
        return Fail("it is " + std::string(DescribeKind(*kind)) +
                    ", not a file to write into: name a regular file");
    }
    // Checked on the mode bits rather than with access(), which lets root write anything.
    if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        return Fail("it is read-only: make it writable (chmod u+w) or name another file");
    }
    return {};
}

std::filesystem::path FileBehindLinks(const std::filesystem::path& target) {
    std::error_code error;
    if (!std::filesystem::is_symlink(std::filesystem::symlink_status(target, error))) return target;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(target, error);
    return error ? target : resolved;
}

bool SameFile(const std::filesystem::path& one, const std::filesystem::path& other) {
    struct stat first {}, second {};
    return ::stat(one.c_str(), &first) == 0 && ::stat(other.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace tamrex
