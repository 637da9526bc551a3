#pragma once

#include "base/Expected.h"

#include <FreeImage.h>

#include <filesystem>

namespace tamrex {

// The format a picture file is written in, from its extension: JPEG for .jpg and
// .jpeg, PNG for .png, in any letter case; FIF_UNKNOWN for anything else.
FREE_IMAGE_FORMAT PictureFormatOf(const std::filesystem::path& file);

// Whether a picture can be written under this name; if not, what to name it instead.
Outcome CheckPictureName(const std::filesystem::path& file);

// Writes a picture in `format` so that `target` either keeps its old content or holds
// the whole new picture: it is encoded in memory and replaces the target as
// ReplaceFileWith does, links followed only when the user's own or in a folder of the
// user's alone. The failure says why, without naming the target.
Outcome SaveReplacing(FIBITMAP* picture, const std::filesystem::path& target, FREE_IMAGE_FORMAT format, int flags);

// The line map as a 1-bit BMP, replaced whole as above.
Outcome SaveBmpReplacing(FIBITMAP* bitmap, const std::filesystem::path& target);

// A 24-bit picture as JPEG or PNG, chosen by the file's extension, replaced whole as above.
Outcome SavePictureReplacing(FIBITMAP* picture, const std::filesystem::path& file);

}  // namespace tamrex
