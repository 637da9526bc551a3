#include "base/OutputTarget.h"

#include "base/Quoted.h"
#include "base/RegularFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <string_view>

namespace tamrex {
namespace {

// Linux gives up after 40 links in a row; a longer chain is a loop or a trap.
constexpr int kMostLinks = 40;

struct Stream {
    int descriptor;
    const char* name;
};
constexpr std::array<Stream, 3> kStreams{{{STDIN_FILENO, "standard input"},
                                           {STDOUT_FILENO, "standard output"},
                                           {STDERR_FILENO, "standard error"}}};

// Names that stand for a process's open files rather than for files of their own.
bool IsStreamAlias(const std::filesystem::path& file) {
    std::error_code error;
    const std::string name = std::filesystem::absolute(file, error).lexically_normal().string();
    const auto startsWith = [&](std::string_view prefix) { return name.rfind(prefix, 0) == 0; };
    return startsWith("/proc/") || startsWith("/dev/fd/") || name == "/dev/fd" || name == "/dev/stdin" ||
           name == "/dev/stdout" || name == "/dev/stderr";
}

Failure StreamAlias() {
    return Failure{"it names one of this program's open streams, not a file: name a file of its own"};
}

// The user, or root, who can change any file anyway.
bool Trusted(uid_t owner) { return owner == ::geteuid() || owner == 0; }

// Someone other than the user can make names in the folder: its group or everyone may
// write it, or it belongs to another user (who may plant links even for root).
bool OthersCanWrite(const struct stat& folder) {
    if (folder.st_mode & (S_IWGRP | S_IWOTH)) return true;
    return !Trusted(folder.st_uid) && (folder.st_mode & S_IWUSR);
}

Outcome MayFollow(const std::filesystem::path& link, const struct stat& linkStatus) {
    if (Trusted(linkStatus.st_uid)) return {};
    const std::filesystem::path folder = link.has_parent_path() ? link.parent_path() : ".";
    struct stat folderStatus {};
    if (::stat(folder.c_str(), &folderStatus) == 0 && !OthersCanWrite(folderStatus)) return {};
    return Fail("it is a link that another user made, in the folder " + Quoted(folder) +
                " which others can write, and it is not followed: remove the link, or name another file");
}

}  // namespace

Outcome CheckOutputTarget(const std::filesystem::path& target) {
    struct stat status {};
    if (::stat(target.c_str(), &status) != 0) return {};  // a new file; its folder decides
    const Expected<FileKind> kind = KindOfFile(target);
    if (kind && *kind != FileKind::kRegular) {
        return Fail("it is " + std::string(DescribeKind(*kind)) +
                    ", not a file to write into: name a regular file");
    }
    for (const Stream& stream : kStreams) {
        struct stat open {};
        if (::fstat(stream.descriptor, &open) == 0 && open.st_dev == status.st_dev && open.st_ino == status.st_ino)
            return Fail("it is where this program's " + std::string(stream.name) + " goes: name a file of its own");
    }
    // Checked on the mode bits rather than with access(), which lets root write anything.
    if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        return Fail("it is read-only: make it writable (chmod u+w) or name another file");
    }
    return {};
}

Expected<std::filesystem::path> FileToReplace(const std::filesystem::path& target, LinkUse links) {
    std::filesystem::path file = target;
    for (int hop = 0; hop <= kMostLinks; ++hop) {
        if (IsStreamAlias(file)) return tl::unexpected(StreamAlias());
        struct stat status {};
        if (::lstat(file.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return file;
        if (links == LinkUse::kOwnOrPrivate) {
            if (Outcome follow = MayFollow(file, status); !follow) return tl::unexpected(follow.error());
        }
        std::error_code error;
        const std::filesystem::path next = std::filesystem::read_symlink(file, error);
        if (error) return Fail(error.message());
        file = next.is_absolute() ? next : (file.has_parent_path() ? file.parent_path() : ".") / next;
    }
    return Fail("it leads through more than " + std::to_string(kMostLinks) +
                " links, as a loop of links does: name the file itself");
}

bool SameFile(const std::filesystem::path& one, const std::filesystem::path& other) {
    struct stat first {}, second {};
    return ::stat(one.c_str(), &first) == 0 && ::stat(other.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace tamrex
