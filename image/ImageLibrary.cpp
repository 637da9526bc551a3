#include "image/ImageLibrary.h"

#include "base/ReplaceFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string_view>

namespace tamrex {
namespace {

thread_local std::string libraryMessages;

void CaptureMessage(FREE_IMAGE_FORMAT, const char* message) {
    if (!libraryMessages.empty()) libraryMessages += "; ";
    libraryMessages += message ? message : "unknown image library error";
}

struct MemoryCloser {
    void operator()(FIMEMORY* memory) const noexcept { FreeImage_CloseMemory(memory); }
};
using MemoryHandle = std::unique_ptr<FIMEMORY, MemoryCloser>;

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

// Reads the header alone and says why the photo is too big to decode, or "". Leaves
// the file where it was.
std::string SizeProblem(FreeImageIO& io, std::FILE* file, std::uint64_t pixelLimit) {
    BitmapHandle header(FreeImage_LoadFromHandle(FIF_JPEG, &io, file, FIF_LOAD_NOPIXELS));
    std::rewind(file);
    TakeLibraryMessages();  // the full decode repeats whatever matters
    if (!header) return {};  // the full decode reports what is wrong with it
    const std::uint64_t width = FreeImage_GetWidth(header.get());
    const std::uint64_t height = FreeImage_GetHeight(header.get());
    if (width * height <= pixelLimit) return {};
    return "it is " + std::to_string(width) + " x " + std::to_string(height) + " pixels (" +
           Megapixels(width * height) + " megapixels), more than the limit of " + Megapixels(pixelLimit) +
           " megapixels; scale the photo down, or raise the limit if it really is that big";
}

std::string SystemError(int error) { return std::strerror(error); }

}  // namespace

void EnsureImageLibrary() {
    static std::once_flag once;
    std::call_once(once, [] {
        FreeImage_Initialise(FALSE);
        FreeImage_SetOutputMessage(CaptureMessage);
    });
}

std::string TakeLibraryMessages() {
    std::string messages;
    messages.swap(libraryMessages);
    return messages;
}

LoadedPhoto LoadJpeg(const std::filesystem::path& photo, std::uint64_t pixelLimit) {
    EnsureImageLibrary();
    TakeLibraryMessages();
    LoadedPhoto loaded;
    std::error_code ec;
    if (std::filesystem::is_directory(photo, ec)) {
        loaded.error = "it is a folder, not a photo";
        return loaded;
    }
    FileHandle file(std::fopen(photo.c_str(), "rb"));
    if (!file) {
        loaded.error = SystemError(errno);
        return loaded;
    }
    if (!StartsLikeJpeg(file.get())) {
        loaded.error = "not a JPEG file";
        return loaded;
    }
    FreeImageIO io = ReadingIO();
    loaded.error = SizeProblem(io, file.get(), pixelLimit);
    if (!loaded.error.empty()) return loaded;
    loaded.bitmap.reset(FreeImage_LoadFromHandle(FIF_JPEG, &io, file.get(), JPEG_DEFAULT));
    std::string messages = TakeLibraryMessages();
    if (!loaded.bitmap) {
        loaded.error = messages.empty() ? "the JPEG decoder could not read it" : messages;
    } else if (EndsEarly(messages)) {
        loaded.bitmap.reset();
        loaded.error = "the file is damaged: its picture data ends early (" + messages + ")";
    } else {
        loaded.warning = std::move(messages);
    }
    return loaded;
}

std::string SaveReplacing(FIBITMAP* picture, const std::filesystem::path& target, FREE_IMAGE_FORMAT format,
                          int flags) {
    EnsureImageLibrary();
    TakeLibraryMessages();
    const MemoryHandle memory(FreeImage_OpenMemory());
    if (!memory) return "not enough memory to encode the picture";
    if (!FreeImage_SaveToMemory(format, picture, memory.get(), flags)) {
        const std::string messages = TakeLibraryMessages();
        return messages.empty() ? "the image library could not encode the picture" : messages;
    }
    BYTE* data = nullptr;
    DWORD size = 0;
    FreeImage_AcquireMemory(memory.get(), &data, &size);
    return ReplaceFileWith(target, std::string_view(reinterpret_cast<const char*>(data), size));
}

std::string SaveBmpReplacing(FIBITMAP* bitmap, const std::filesystem::path& target) {
    return SaveReplacing(bitmap, target, FIF_BMP, BMP_DEFAULT);
}

}  // namespace tamrex
