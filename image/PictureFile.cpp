#include "image/PictureFile.h"

#include "image/ImageLibrary.h"

#include <algorithm>
#include <cctype>

namespace tamrex {
namespace {

// Thin coloured lines and small digits smear under chroma subsampling, so the
// colour is kept at full resolution.
constexpr int kJpegFlags = 92 | JPEG_SUBSAMPLING_444 | JPEG_OPTIMIZE;

std::string LowerExtension(const std::filesystem::path& file) {
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

}  // namespace

FREE_IMAGE_FORMAT PictureFormatOf(const std::filesystem::path& file) {
    const std::string extension = LowerExtension(file);
    if (extension == ".jpg" || extension == ".jpeg") return FIF_JPEG;
    if (extension == ".png") return FIF_PNG;
    return FIF_UNKNOWN;
}

std::string PictureNameProblem(const std::filesystem::path& file) {
    if (PictureFormatOf(file) != FIF_UNKNOWN) return {};
    return "'" + file.string() + "' has no picture extension I can write: name it .png or .jpg";
}

std::string SavePictureReplacing(FIBITMAP* picture, const std::filesystem::path& file) {
    const FREE_IMAGE_FORMAT format = PictureFormatOf(file);
    if (format == FIF_UNKNOWN) return PictureNameProblem(file);
    return SaveReplacing(picture, file, format, format == FIF_JPEG ? kJpegFlags : PNG_DEFAULT);
}

}  // namespace tamrex
