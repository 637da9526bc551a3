#include "calibration/PhotoIdentity.h"

#include "base/RegularFile.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <string_view>

namespace tamrex {
namespace {

constexpr std::size_t kEndBytes = 64 * 1024;

// FNV-1a: no defence against a forger, but a photo is not one.
std::uint64_t Fold(std::uint64_t hash, std::string_view bytes) {
    for (const char byte : bytes) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

std::string Hex(std::uint64_t value) {
    std::array<char, 17> text{};
    std::snprintf(text.data(), text.size(), "%016llx", static_cast<unsigned long long>(value));
    return text.data();
}

}  // namespace

Expected<PhotoIdentity> IdentifyPhoto(const std::filesystem::path& photo) {
    const Expected<FileKind> kind = KindOfFile(photo);
    if (!kind) return tl::unexpected(kind.error());
    if (*kind != FileKind::kRegular) return Fail("it is " + std::string(DescribeKind(*kind)) + ", not a photo");
    std::ifstream in(photo, std::ios::binary | std::ios::ate);
    if (!in) return Fail("it cannot be opened");
    const std::uint64_t bytes = static_cast<std::uint64_t>(in.tellg());
    std::string head(std::min<std::uint64_t>(bytes, kEndBytes), '\0');
    std::string tail(std::min<std::uint64_t>(bytes, kEndBytes), '\0');
    in.seekg(0);
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    in.seekg(static_cast<std::streamoff>(bytes - tail.size()));
    in.read(tail.data(), static_cast<std::streamsize>(tail.size()));
    if (!in) return Fail("it could not be read to the end");
    std::uint64_t hash = Fold(0xcbf29ce484222325ULL, std::to_string(bytes));
    hash = Fold(Fold(hash, head), tail);
    return PhotoIdentity{bytes, Hex(hash)};
}

}  // namespace tamrex
