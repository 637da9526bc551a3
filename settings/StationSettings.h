#pragma once

#include "base/Expected.h"
#include "counting/CounterSettings.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tamrex {

// What a station's settings file holds: the three settings of the count and, once a
// calibration has learned it, the board thickness in pixel rows ("THICKNESS=12.4")
// that the check on every count measures the strip with. The count's own reader does
// not know the key, so files with it still read the same everywhere.
struct StationSettings {
    CounterSettings counter;
    std::optional<double> thickness;

    // The thickness a check measures with: the learned one, else PWIDTH (0 when
    // neither is usable, which turns the check of the strip height off).
    double Thickness() const;
};

Expected<StationSettings> LoadStationSettings(const std::filesystem::path& file);

// The same for the content of a file; `fileName` is what messages call it.
Expected<StationSettings> ParseStationSettings(std::string_view content, const std::string& fileName);

}  // namespace tamrex
