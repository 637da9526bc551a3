#pragma once

#include "cli/CommandLine.h"
#include "counting/CounterSettings.h"

namespace tamrex::cli {

// Counts the photos of the command line and prints their results as text, JSON
// lines or CSV; writes the line map and the overlay when asked. Returns the exit
// status: 0 when every photo was counted and every file written, 1 otherwise.
int RunCount(const Options& options, const CounterSettings& settings);

}  // namespace tamrex::cli
