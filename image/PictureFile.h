#pragma once

#include <FreeImage.h>

#include <filesystem>
#include <string>

namespace tamrex {

// The format a picture file is written in, from its extension: JPEG for .jpg and
// .jpeg, PNG for .png, in any letter case; FIF_UNKNOWN for anything else.
FREE_IMAGE_FORMAT PictureFormatOf(const std::filesystem::path& file);

// "" when a picture can be written under this name, otherwise what to do instead.
std::string PictureNameProblem(const std::filesystem::path& file);

// Writes a 24-bit picture as JPEG or PNG, chosen by the file's extension, so that
// the file either keeps its old content or holds the whole picture. Returns an
// error for a person, or "".
std::string SavePictureReplacing(FIBITMAP* picture, const std::filesystem::path& file);

}  // namespace tamrex
