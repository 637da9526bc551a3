#pragma once

#include "base/Expected.h"
#include "calibration/Calibrate.h"
#include "calibration/CorrectionsFile.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tamrex {

// The counts accepted for the photos of one folder, kept in its corrections file. A
// correction that cannot be written is kept here all the same, until the program ends.
class FolderCorrections {
public:
    // Reads the folder's corrections file, if it has one.
    explicit FolderCorrections(const std::filesystem::path& folder);

    std::filesystem::path File() const { return folder / kCorrectionsFileName; }
    std::optional<Correction> Find(const std::string& photo) const;

    // Keeps the correction, replacing any earlier one of its photo, and writes the file
    // whole. A file that could not be read at the start is left as it is rather than
    // overwritten with what little is known. The failure says why and what to do.
    Outcome Accept(Correction correction);

    // The accepted counts of the photos named, in that order, as known counts to
    // calibrate on; photos without one are left out.
    std::vector<KnownCount> KnownCounts(const std::vector<std::string>& photos) const;

private:
    std::filesystem::path folder;
    std::vector<Correction> corrections;
    std::optional<Failure> unreadable;  // why the file could not be read at the start
};

}  // namespace tamrex
