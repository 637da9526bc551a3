#pragma once

#include "base/Expected.h"

#include <filesystem>

namespace tamrex {

// Whether a file we are about to write may take the new content: a name that does not
// exist yet, or an existing regular file that someone may write. Never a folder, a
// device, a FIFO or a socket (replacing /dev/null with a regular file would break the
// system), never a read-only file (its owner made it so on purpose). The failure says
// what the file is and what to do; callers name the file.
Outcome CheckOutputTarget(const std::filesystem::path& target);

// The file a write to `target` lands in: links followed, so that writing through the
// installed link to a settings file changes the file and keeps the link.
std::filesystem::path FileBehindLinks(const std::filesystem::path& target);

// Whether two names lead to the same existing file, however they are written.
bool SameFile(const std::filesystem::path& one, const std::filesystem::path& other);

}  // namespace tamrex
