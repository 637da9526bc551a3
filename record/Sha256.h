#pragma once

#include "base/Expected.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace tamrex {

// How the digest is worked out: with the processor's SHA instructions where it has them,
// or plainly, as on a processor without them.
enum class DigestPath { kFastest, kPlain };

// The SHA-256 of some bytes as 64 lower-case hex digits, as sha256sum prints it.
std::string Sha256Hex(std::string_view bytes, DigestPath path = DigestPath::kFastest);

// What a photo on disk was when it was looked at: its size, when it was last changed,
// and the SHA-256 of its content, all taken from one open file so that they agree.
struct PhotoFacts {
    std::uint64_t size = 0;
    std::int64_t modifiedSeconds = 0;  // since 1970 UTC
    std::string sha256;
};

// Reads a regular file (never a FIFO or a device) in pieces, so a photo of any size
// costs little memory. The failure says why, without naming the file.
Expected<PhotoFacts> ReadPhotoFacts(const std::filesystem::path& photo);

}  // namespace tamrex
