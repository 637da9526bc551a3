#pragma once

#include "base/Expected.h"
#include "calibration/CalibrationGrid.h"
#include "counting/CounterSettings.h"
#include "calibration/RobustChoice.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tamrex {

// A photo whose boards someone counted by hand.
struct KnownCount {
    std::filesystem::path photo;
    int boards = 0;
};

struct Calibration {
    CalibrationGrid grid;
    CounterSettings settings;  // the chosen settings
    RobustChoice choice;       // their score and plateau, in grid positions
};

// Searches the grid fitted to the photos for the settings that count the most of
// them exactly: see ChooseMostRobust for how ties are settled. Loads each photo once
// and shares the work of a count between settings (see SettingsSweep); the
// thresholds are shared out over `threads` threads. A photo that cannot be read, or
// is bigger than `pixelLimit`, stops the search, as settings fitted to the others
// could mislead.
Expected<Calibration> Calibrate(const std::vector<KnownCount>& photos, unsigned threads,
                                std::uint64_t pixelLimit);

}  // namespace tamrex
