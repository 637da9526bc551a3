#pragma once

#include "base/Expected.h"
#include "image/Bitmap.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace tamrex {

struct LoadedPhoto {
    BitmapHandle bitmap;
    std::string warning;  // what the decoder complained about in a photo it did read
};

// Photos bigger than this many pixels are refused unless a caller allows more.
inline constexpr std::uint64_t kDefaultPixelLimit = 100'000'000;

// Decodes a JPEG file. Only the JPEG decoder is ever used, whatever the file holds.
// The size is read from the header first, so a photo over `pixelLimit` is refused
// before the decoder allocates anything for it. The failure says why the photo could
// not be read, without naming it: callers say what they were reading it for.
Expected<LoadedPhoto> LoadJpeg(const std::filesystem::path& photo, std::uint64_t pixelLimit = kDefaultPixelLimit);

}  // namespace tamrex
