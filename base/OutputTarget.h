#pragma once

#include "base/Expected.h"

#include <filesystem>

namespace tamrex {

// Whether a file we are about to write may take the new content: a name that does not
// exist yet, or an existing regular file that someone may write. Never a folder, a
// device, a FIFO or a socket (replacing /dev/null with a regular file would break the
// system), never a read-only file (its owner made it so on purpose), never the file
// this program's standard input, output or error is (a line map written over the
// report would replace the counts with a picture). The failure says what the file is
// and what to do; callers name the file.
Outcome CheckOutputTarget(const std::filesystem::path& target);

// How a link standing at the name to be written is taken.
enum class LinkUse {
    // A name the program chose or that was given for one output (the line map, the
    // overlay, the corrections file): in a folder that someone else can write, another
    // user may have put a link there to make us replace a file of our own, so a link
    // is followed only when it is the user's (or root's) own or no other user can write
    // its folder.
    kOwnOrPrivate,
    // A file the user names on purpose and may have linked on purpose (the settings
    // file, which the package installs as a link to /etc/tamrex): always followed.
    kFollow,
};

// The file a write to `target` lands in: links followed as `links` allows, so that
// writing through the installed link to a settings file changes the file and keeps
// the link. Refuses a name that leads to one of this program's own streams
// (/dev/stdout, /dev/stderr, /proc/self/fd/N and the like), and a link it may not follow.
Expected<std::filesystem::path> FileToReplace(const std::filesystem::path& target, LinkUse links);

// Whether two names lead to the same existing file, however they are written.
bool SameFile(const std::filesystem::path& one, const std::filesystem::path& other);

}  // namespace tamrex
