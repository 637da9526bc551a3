#pragma once

#include "base/Expected.h"
#include "counting/CounterSettings.h"
#include "look/SecondLook.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tamrex {

// What a station's settings file holds: the three settings of the count; once a
// calibration has learned it, the board thickness in pixel rows ("THICKNESS=12.4"),
// which the check on every count measures the stack with and the second look takes as
// its hint; and, where a fixed camera frames every photo alike, the frame the second
// look reads ("REGION=X,Y,W,H", pixels of the upright photo from its top left). The
// count's own reader does not know these keys, so files with them still read the same
// everywhere.
struct StationSettings {
    CounterSettings counter;
    std::optional<double> thickness;
    std::optional<PhotoFrame> frame{};
    // What a person should hear about a file that was read all the same: one that names
    // none of the three settings, which then all count as 0. Empty otherwise.
    std::string notice = {};

    // The thickness a check measures with: the learned one, else PWIDTH (0 when
    // neither is usable, which turns the check of the stack's height off).
    double Thickness() const;
    // What the second look is told: only a learned thickness is a hint, as PWIDTH is
    // a board without its seam, and often not this station's.
    LookRequest Look() const;
};

Expected<StationSettings> LoadStationSettings(const std::filesystem::path& file);

// The same for the content of a file; `fileName` is what messages call it.
Expected<StationSettings> ParseStationSettings(std::string_view content, const std::string& fileName);

}  // namespace tamrex
