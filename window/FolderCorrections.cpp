#include "window/FolderCorrections.h"

#include <algorithm>

namespace tamrex {

FolderCorrections::FolderCorrections(const std::filesystem::path& folder) : folder(folder) {
    Expected<std::vector<Correction>> read = ReadCorrections(File());
    if (read) {
        corrections = std::move(*read);
    } else {
        unreadable = read.error();
    }
}

std::optional<Correction> FolderCorrections::Find(const std::string& photo) const {
    const auto found = std::find_if(corrections.begin(), corrections.end(),
                                    [&](const Correction& row) { return row.file == photo; });
    if (found == corrections.end()) return std::nullopt;
    return *found;
}

Outcome FolderCorrections::Accept(Correction correction) {
    PutCorrection(corrections, std::move(correction));
    if (unreadable) return Fail(unreadable->message);
    return WriteCorrections(File(), corrections);
}

std::vector<KnownCount> FolderCorrections::KnownCounts(const std::vector<std::string>& photos) const {
    std::vector<KnownCount> known;
    for (const std::string& photo : photos) {
        if (const std::optional<Correction> accepted = Find(photo)) known.push_back({folder / photo, accepted->count});
    }
    return known;
}

}  // namespace tamrex
