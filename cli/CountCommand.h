#pragma once

#include "cli/CommandLine.h"
#include "settings/StationSettings.h"

namespace tamrex::cli {

// Counts the photos of the command line with the station's settings, checks each
// count against the station's board thickness, and prints their results as text,
// JSON lines or CSV; writes the line map and the overlay when asked. Returns the exit
// status: 0 when every photo was counted and every file written, 1 otherwise.
int RunCount(const Options& options, const StationSettings& station);

}  // namespace tamrex::cli
