#pragma once

#include "base/Expected.h"
#include "settings/StationSettings.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace tamrex {

// Dated backups kept beside a settings file, besides the one of the original.
inline constexpr std::size_t kKeptBackups = 5;

// Puts new settings in a station's settings file. The file as it was before the first
// change is kept as "FILE.original" for good; each change also keeps the file it replaces
// as "FILE.YYYY-MM-DD_HH-MM-SS.bak" (`stamp` is that date and time), and of those only the
// last kKeptBackups stay. Links are followed to the file they lead to, which is written
// and backed up there, so an installed link (lib/tamrex/Tamrex.ini -> /etc/tamrex/
// Tamrex.ini) stays a link. When the old file cannot be kept, nothing is written. Gives
// the dated backup's name.
Expected<std::filesystem::path> ReplaceSettingsFile(const std::filesystem::path& file,
                                                    const StationSettings& settings,
                                                    const std::vector<std::string>& comments,
                                                    const std::string& stamp);

// Writes `frame` as the REGION of the settings file, as ReplaceSettingsFile does: the
// file's other settings and its comments stay as they are in the file.
Expected<std::filesystem::path> ReplaceFrameInSettingsFile(const std::filesystem::path& file, const PhotoFrame& frame,
                                                           const std::string& stamp);

// Now, as the names of the dated backups give it: 2024-12-07_10-15-00.
std::string BackupStamp();

}  // namespace tamrex
