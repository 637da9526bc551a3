#pragma once

#include <filesystem>
#include <vector>

namespace tamrex {

// The photos a folder offers for counting: regular files (links followed) named "*.jpg"
// in any letter case, hidden files left out, sorted by name regardless of case. Names
// are the bytes on disk, so that a name that is not valid UTF-8 is listed and found
// again; FIFOs, devices and folders named .jpg are not offered at all.
std::vector<std::filesystem::path> ListPhotos(const std::filesystem::path& folder);

}  // namespace tamrex
