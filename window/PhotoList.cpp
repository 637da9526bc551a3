#include "window/PhotoList.h"

#include "base/RegularFile.h"
#include "window/NaturalOrder.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace tamrex {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool OffersPhoto(const std::filesystem::directory_entry& entry) {
    const std::string name = entry.path().filename().string();
    if (name.empty() || name.front() == '.' || !IsPhotoName(entry.path())) return false;
    const Expected<FileKind> kind = KindOfFile(entry.path());
    return kind && *kind == FileKind::kRegular;
}

}  // namespace

bool IsPhotoName(const std::filesystem::path& file) {
    const std::string extension = Lower(file.extension().string());
    return extension == ".jpg" || extension == ".jpeg";
}

std::vector<std::filesystem::path> ListPhotos(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> photos;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (OffersPhoto(entry)) photos.push_back(entry.path().filename());
    }
    std::sort(photos.begin(), photos.end(),
              [](const auto& one, const auto& other) { return NaturallyBefore(one.string(), other.string()); });
    return photos;
}

}  // namespace tamrex
