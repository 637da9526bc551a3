#include "image/DecodeJpeg.h"

#include "image/ImageLibrary.h"

#include <cstdio>

namespace tamrex {
namespace {

// Where the decoder has read up to. The image library's own memory stream hands the
// decoder its bytes one call per byte; this one copies each request whole.
struct Cursor {
    const DecoderInput& input;
    std::size_t position = 0;
};

unsigned DLL_CALLCONV ReadBytes(void* buffer, unsigned size, unsigned count, fi_handle handle) {
    Cursor& cursor = *static_cast<Cursor*>(handle);
    if (size == 0) return 0;
    const std::size_t read = cursor.input.Read(cursor.position, static_cast<char*>(buffer), std::size_t{size} * count);
    cursor.position += read;
    return static_cast<unsigned>(read / size);  // whole items, as fread counts them
}

unsigned DLL_CALLCONV WriteNothing(void*, unsigned, unsigned, fi_handle) { return 0; }

int DLL_CALLCONV Seek(fi_handle handle, long offset, int origin) {
    Cursor& cursor = *static_cast<Cursor*>(handle);
    const long from = origin == SEEK_SET   ? 0
                      : origin == SEEK_CUR ? static_cast<long>(cursor.position)
                                           : static_cast<long>(cursor.input.Size());
    if (offset < -from) return -1;
    cursor.position = static_cast<std::size_t>(from + offset);
    return 0;
}

long DLL_CALLCONV Tell(fi_handle handle) { return static_cast<long>(static_cast<Cursor*>(handle)->position); }

// With the stream cleaned, the decoder's warnings can only concern the picture data;
// these two say that it stopped before the picture was whole.
bool EndsEarly(const std::string& messages) {
    return messages.find("premature end of data segment") != std::string::npos ||
           messages.find("Premature end of JPEG file") != std::string::npos;
}

}  // namespace

Expected<BitmapHandle> DecodeJpeg(const DecoderInput& input, std::string& warning) {
    EnsureImageLibrary();
    TakeLibraryMessages();
    FreeImageIO io{ReadBytes, WriteNothing, Seek, Tell};
    Cursor cursor{input};
    BitmapHandle bitmap(FreeImage_LoadFromHandle(FIF_JPEG, &io, &cursor, JPEG_DEFAULT));
    std::string messages = TakeLibraryMessages();
    if (!bitmap) return Fail(messages.empty() ? "the JPEG decoder could not read it" : messages);
    if (EndsEarly(messages)) return Fail("the file is damaged: its picture data ends early (" + messages + ")");
    warning = std::move(messages);
    return bitmap;
}

}  // namespace tamrex
