#include "image/ImageLibrary.h"

#include <FreeImage.h>

#include <mutex>

namespace tamrex {
namespace {

thread_local std::string libraryMessages;

void CaptureMessage(FREE_IMAGE_FORMAT, const char* message) {
    if (!libraryMessages.empty()) libraryMessages += "; ";
    libraryMessages += message ? message : "unknown image library error";
}

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

}  // namespace tamrex
