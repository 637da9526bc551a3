#include "window/CorrectionsLoading.h"

namespace tamrex {

CorrectionsLoading::CorrectionsLoading(QObject* parent) : QObject(parent) {}

void CorrectionsLoading::Load(const std::filesystem::path& folder) {
    lane.Start([this, folder](std::uint64_t serial) {
        lane.Tell(serial, [this, read = FolderCorrections(folder)] { emit loaded(read); });
    });
}

}  // namespace tamrex
