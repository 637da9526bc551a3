#pragma once

#include "image/Bitmap.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace tamrex {

// Initialises the image library once per process and captures its messages per
// thread, so that a decoder complaint ends up in the result of the photo it
// concerns instead of on a terminal.
void EnsureImageLibrary();

// Messages the image library reported on this thread since the last call; clears them.
std::string TakeLibraryMessages();

struct LoadedPhoto {
    BitmapHandle bitmap;  // null when the photo could not be read
    std::string error;    // why it could not be read, for a person
    std::string warning;  // what the decoder complained about in a photo it did read
};

// Photos bigger than this many pixels are refused unless a caller allows more.
inline constexpr std::uint64_t kDefaultPixelLimit = 100'000'000;

// Decodes a JPEG file. Only the JPEG decoder is ever used, whatever the file holds.
// The size is read from the header first, so a photo over `pixelLimit` is refused
// before the decoder allocates anything for it.
LoadedPhoto LoadJpeg(const std::filesystem::path& photo, std::uint64_t pixelLimit = kDefaultPixelLimit);

// Writes a picture in `format` so that `target` either keeps its old content or holds
// the whole new picture: it is encoded in memory, written to a temporary file beside
// the target and renamed over it once complete. No fsync: the rename already keeps a
// crash from leaving a half-written file, and a disk flush per photo would cost more
// than the whole count. Returns an error for a person, or "".
std::string SaveReplacing(FIBITMAP* picture, const std::filesystem::path& target, FREE_IMAGE_FORMAT format,
                          int flags);

// The line map as a 1-bit BMP, replaced whole as above.
std::string SaveBmpReplacing(FIBITMAP* bitmap, const std::filesystem::path& target);

}  // namespace tamrex
