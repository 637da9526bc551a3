#pragma once

#include "base/Expected.h"
#include "calibration/Calibrate.h"
#include "counting/CounterSettings.h"
#include "window/FolderCorrections.h"

#include <filesystem>
#include <optional>
#include <vector>

namespace tamrex {

// A photo with an accepted count, counted with the settings in use and with those found.
struct ComparedPhoto {
    std::filesystem::path photo;
    int accepted = 0;
    std::optional<int> inUse;  // none when it could not be counted
    std::optional<int> found;
};

// What a calibration on the corrected photos found, and how it compares with what is in use.
struct CalibrationFindings {
    Calibration calibration;
    std::vector<ComparedPhoto> photos;
    // Why the settings may count the next photos wrong all the same (CalibrationWarnings).
    std::vector<std::string> warnings;

    int ExactInUse() const;
    int ExactFound() const;
};

// Calibrates on the request's photos, then counts each of them with both settings, as full
// count runs do. Runs as long as the search takes: call it off the window's thread. Fails
// with kCalibrationCancelled when the request's cancel flag is raised.
Expected<CalibrationFindings> CalibrateOnCorrections(const CalibrationRequest& request,
                                                     const CounterSettings& inUse);

// The same on the corrected photos of a folder, leaving out those whose content is no
// longer what their count was accepted for, with the reason among those left out.
// `request` says how to search; its photos are these.
Expected<CalibrationFindings> CalibrateOnCorrectedPhotos(const std::vector<CorrectedPhoto>& corrected,
                                                         CalibrationRequest request, const CounterSettings& inUse);

}  // namespace tamrex
