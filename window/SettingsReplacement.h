#pragma once

#include "base/Expected.h"
#include "settings/StationSettings.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tamrex {

// Puts new settings in a station's settings file and keeps the old file beside it as
// "FILE.bak". Links are followed to the file they lead to, which is written and backed up
// there, so an installed link (lib/tamrex/Tamrex.ini -> /etc/tamrex/Tamrex.ini) stays a
// link. When the old file cannot be kept, nothing is written. Gives the backup's name.
Expected<std::filesystem::path> ReplaceSettingsFile(const std::filesystem::path& file,
                                                    const StationSettings& settings,
                                                    const std::vector<std::string>& comments);

}  // namespace tamrex
