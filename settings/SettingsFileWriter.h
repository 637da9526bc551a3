#pragma once

#include "base/Expected.h"
#include "settings/StationSettings.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tamrex {

// The settings as the settings file holds them (THICKNESS with one decimal and the
// REGION, when known), CR LF line ends, each comment first
// on a line of its own behind "; ", without any "=" or line break it held.
std::string SettingsFileText(const StationSettings& settings, const std::vector<std::string>& comments);

// Writes the file whole or not at all.
Outcome WriteSettingsFile(const std::filesystem::path& file, const StationSettings& settings,
                              const std::vector<std::string>& comments);

}  // namespace tamrex
