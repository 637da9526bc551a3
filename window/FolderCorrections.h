#pragma once

#include "base/Expected.h"
#include "calibration/Calibrate.h"
#include "calibration/CorrectionsFile.h"
#include "calibration/PhotoIdentity.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tamrex {

// A photo with an accepted count, and the content it was accepted for.
struct CorrectedPhoto {
    KnownCount known;
    PhotoIdentity photo;
};

// The counts accepted for the photos of one folder, kept in its corrections file. A
// correction that cannot be written is kept here all the same, until the program ends.
class FolderCorrections {
public:
    // Reads the folder's corrections file, if it has one.
    explicit FolderCorrections(const std::filesystem::path& folder);

    std::filesystem::path File() const { return folder / kCorrectionsFileName; }
    // Found at once, however many photos the file holds.
    const Correction* Find(const std::string& photo) const { return corrections.Find(photo); }
    // Why the file could not be read at the start, if it could not.
    const std::optional<Failure>& Unreadable() const { return unreadable; }

    // Keeps the correction, replacing any earlier one of its photo, and writes the file
    // whole. A file that could not be read at the start is left as it is rather than
    // overwritten with what little is known. The failure says why and what to do.
    Outcome Accept(Correction correction);

    // The photos named, in that order, that have an accepted count; photos without one
    // are left out.
    std::vector<CorrectedPhoto> Corrected(const std::vector<std::string>& photos) const;

private:
    std::filesystem::path folder;
    CorrectionTable corrections;
    std::optional<Failure> unreadable;
};

}  // namespace tamrex
