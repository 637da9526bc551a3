#pragma once

#include "base/Expected.h"
#include "calibration/Calibrate.h"
#include "counting/CounterSettings.h"

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

    int ExactInUse() const;
    int ExactFound() const;
};

// Calibrates on the request's photos, then counts each of them with both settings, as full
// count runs do. Runs as long as the search takes: call it off the window's thread. Fails
// with kCalibrationCancelled when the request's cancel flag is raised.
Expected<CalibrationFindings> CalibrateOnCorrections(const CalibrationRequest& request,
                                                     const CounterSettings& inUse);

}  // namespace tamrex
