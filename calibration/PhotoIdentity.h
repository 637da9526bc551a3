#pragma once

#include "base/Expected.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace tamrex {

// What tells one photo's content from another's under the same name: its size in bytes
// and a fingerprint of its first and last 64 KiB (16 hex digits). A photo copied to
// another card keeps both; a photo taken again, edited or turned by its EXIF tag does
// not. An empty fingerprint means not known, as in files written before it was kept.
struct PhotoIdentity {
    std::uint64_t bytes = 0;
    std::string fingerprint;

    bool Known() const { return !fingerprint.empty(); }
    bool operator==(const PhotoIdentity&) const = default;
};

// Reads the two ends of a regular file; a failure says why, without naming the file.
Expected<PhotoIdentity> IdentifyPhoto(const std::filesystem::path& photo);

}  // namespace tamrex
