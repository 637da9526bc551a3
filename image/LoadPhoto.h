#pragma once

#include "base/Expected.h"
#include "image/Bitmap.h"
#include "image/DecodeJpeg.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace tamrex {

struct LoadedPhoto {
    BitmapHandle bitmap;  // upright, as every viewer shows the photo; null when its rows were handed on
    std::string warning;  // what was wrong with a photo that could still be read
    // The EXIF orientation the photo was turned upright from; 1 when it was stored upright.
    int orientation = 1;
};

// Photos bigger than this many pixels are refused unless a caller allows more.
inline constexpr std::uint64_t kDefaultPixelLimit = 100'000'000;

// The largest photo file read. A 100-megapixel JPEG at the highest quality stays well
// under it; anything bigger is no photo a camera made.
inline constexpr std::size_t kMostPhotoBytes = std::size_t{512} << 20;

// Decodes a JPEG file. Only regular files are read; the JPEG structure is checked
// first, and the decoder gets only the segments it needs (see BuildDecoderInput), so a
// photo over `pixelLimit`, one whose picture data ends early or anything that is no
// JPEG is refused before or instead of being decoded. The failure says why the photo
// could not be read, without naming it: callers say what they were reading it for.
// `rows`, if given, hears of the rows as they are decoded when the photo is stored
// upright (see DecodeJpeg); the photo is then not kept and `bitmap` is null. A photo
// turned upright afterwards keeps its rows to itself.
Expected<LoadedPhoto> LoadJpeg(const std::filesystem::path& photo, std::uint64_t pixelLimit = kDefaultPixelLimit,
                               DecodedRows* rows = nullptr);

}  // namespace tamrex
