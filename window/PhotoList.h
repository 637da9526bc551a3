#pragma once

#include <filesystem>
#include <vector>

namespace tamrex {

// Whether a file is named as a JPEG photo: ".jpg" or ".jpeg" in any letter case.
bool IsPhotoName(const std::filesystem::path& file);

// The photos a folder offers for counting: regular files (links followed) named as JPEG
// photos, hidden files left out, in natural order (photo_2 before photo_10). Names
// are the bytes on disk, so that a name that is not valid UTF-8 is listed and found
// again; FIFOs, devices and folders named .jpg are not offered at all.
std::vector<std::filesystem::path> ListPhotos(const std::filesystem::path& folder);

}  // namespace tamrex
