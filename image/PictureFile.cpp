#include "image/PictureFile.h"

#include "base/Quoted.h"
#include "base/ReplaceFile.h"
#include "image/ImageLibrary.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <string_view>

namespace tamrex {
namespace {

// Thin coloured lines and small digits smear under chroma subsampling, so the
// colour is kept at full resolution.
constexpr int kJpegFlags = 92 | JPEG_SUBSAMPLING_444 | JPEG_OPTIMIZE;

struct MemoryCloser {
    void operator()(FIMEMORY* memory) const noexcept { FreeImage_CloseMemory(memory); }
};
using MemoryHandle = std::unique_ptr<FIMEMORY, MemoryCloser>;

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

Outcome CheckPictureName(const std::filesystem::path& file) {
    if (PictureFormatOf(file) != FIF_UNKNOWN) return {};
    return Fail(Quoted(file) + " has no picture extension I can write: name it .png or .jpg");
}

Outcome SaveReplacing(FIBITMAP* picture, const std::filesystem::path& target, FREE_IMAGE_FORMAT format,
                      int flags) {
    EnsureImageLibrary();
    TakeLibraryMessages();
    const MemoryHandle memory(FreeImage_OpenMemory());
    if (!memory) return Fail("not enough memory to encode the picture");
    if (!FreeImage_SaveToMemory(format, picture, memory.get(), flags)) {
        const std::string messages = TakeLibraryMessages();
        return Fail(messages.empty() ? "the image library could not encode the picture" : messages);
    }
    BYTE* data = nullptr;
    DWORD size = 0;
    FreeImage_AcquireMemory(memory.get(), &data, &size);
    return ReplaceFileWith(target, std::string_view(reinterpret_cast<const char*>(data), size));
}

Outcome SaveBmpReplacing(FIBITMAP* bitmap, const std::filesystem::path& target) {
    return SaveReplacing(bitmap, target, FIF_BMP, BMP_DEFAULT);
}

Outcome SavePictureReplacing(FIBITMAP* picture, const std::filesystem::path& file) {
    if (Outcome name = CheckPictureName(file); !name) return name;
    const FREE_IMAGE_FORMAT format = PictureFormatOf(file);
    return SaveReplacing(picture, file, format, format == FIF_JPEG ? kJpegFlags : PNG_DEFAULT);
}

}  // namespace tamrex
