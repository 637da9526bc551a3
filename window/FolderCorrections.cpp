#include "window/FolderCorrections.h"

namespace tamrex {

FolderCorrections::FolderCorrections(const std::filesystem::path& folder) : folder(folder) {
    Expected<std::vector<Correction>> read = ReadCorrections(File());
    if (!read) {
        unreadable = read.error();
        return;
    }
    for (Correction& row : *read) corrections.Put(std::move(row));
}

Outcome FolderCorrections::Accept(Correction correction) {
    corrections.Put(std::move(correction));
    if (unreadable) return Fail(unreadable->message);
    return WriteCorrections(File(), corrections.Rows());
}

std::vector<CorrectedPhoto> FolderCorrections::Corrected(const std::vector<std::string>& photos) const {
    std::vector<CorrectedPhoto> corrected;
    for (const std::string& photo : photos) {
        if (const Correction* accepted = Find(photo))
            corrected.push_back({{folder / photo, accepted->count}, accepted->photo});
    }
    return corrected;
}

}  // namespace tamrex
