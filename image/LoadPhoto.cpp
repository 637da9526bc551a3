#include "image/LoadPhoto.h"

#include "image/ImageLibrary.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace tamrex {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

unsigned DLL_CALLCONV ReadFromFile(void* buffer, unsigned size, unsigned count, fi_handle handle) {
    return static_cast<unsigned>(std::fread(buffer, size, count, static_cast<std::FILE*>(handle)));
}
int DLL_CALLCONV SeekInFile(fi_handle handle, long offset, int origin) {
    return std::fseek(static_cast<std::FILE*>(handle), offset, origin);
}
long DLL_CALLCONV TellInFile(fi_handle handle) { return std::ftell(static_cast<std::FILE*>(handle)); }

// Photos are only ever read through this.
FreeImageIO ReadingIO() { return FreeImageIO{ReadFromFile, nullptr, SeekInFile, TellInFile}; }

bool StartsLikeJpeg(std::FILE* file) {
    unsigned char magic[3] = {};
    const bool jpeg = std::fread(magic, 1, 3, file) == 3 && magic[0] == 0xFF && magic[1] == 0xD8 &&
                      magic[2] == 0xFF;
    std::rewind(file);
    return jpeg;
}

bool EndsEarly(const std::string& messages) {
    return messages.find("Premature end of JPEG file") != std::string::npos;
}

std::string Megapixels(std::uint64_t pixels) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(pixels) / 1e6);
    return text;
}

// Reads the header alone and refuses a photo too big to decode. Leaves the file where it was.
Outcome CheckSize(FreeImageIO& io, std::FILE* file, std::uint64_t pixelLimit) {
    BitmapHandle header(FreeImage_LoadFromHandle(FIF_JPEG, &io, file, FIF_LOAD_NOPIXELS));
    std::rewind(file);
    TakeLibraryMessages();  // the full decode repeats whatever matters
    if (!header) return {};  // the full decode reports what is wrong with it
    const std::uint64_t width = FreeImage_GetWidth(header.get());
    const std::uint64_t height = FreeImage_GetHeight(header.get());
    if (width * height <= pixelLimit) return {};
    return Fail("it is " + std::to_string(width) + " x " + std::to_string(height) + " pixels (" +
                Megapixels(width * height) + " megapixels), more than the limit of " + Megapixels(pixelLimit) +
                " megapixels; scale the photo down, or raise the limit if it really is that big");
}

Expected<LoadedPhoto> Decode(FreeImageIO& io, std::FILE* file) {
    LoadedPhoto loaded;
    loaded.bitmap.reset(FreeImage_LoadFromHandle(FIF_JPEG, &io, file, JPEG_DEFAULT));
    std::string messages = TakeLibraryMessages();
    if (!loaded.bitmap) return Fail(messages.empty() ? "the JPEG decoder could not read it" : messages);
    if (EndsEarly(messages)) return Fail("the file is damaged: its picture data ends early (" + messages + ")");
    loaded.warning = std::move(messages);
    return loaded;
}

}  // namespace

Expected<LoadedPhoto> LoadJpeg(const std::filesystem::path& photo, std::uint64_t pixelLimit) {
    EnsureImageLibrary();
    TakeLibraryMessages();
    std::error_code ec;
    if (std::filesystem::is_directory(photo, ec)) return Fail("it is a folder, not a photo");
    FileHandle file(std::fopen(photo.c_str(), "rb"));
    if (!file) return Fail(std::strerror(errno));
    if (!StartsLikeJpeg(file.get())) return Fail("not a JPEG file");
    FreeImageIO io = ReadingIO();
    if (Outcome size = CheckSize(io, file.get(), pixelLimit); !size) return tl::unexpected(size.error());
    return Decode(io, file.get());
}

}  // namespace tamrex
