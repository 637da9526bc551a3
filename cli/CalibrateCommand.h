#pragma once

#include "cli/CommandLine.h"

namespace tamrex::cli {

// `tamrex-count calibrate`: finds settings from photos with known counts, prints
// them with each photo's count under them and writes them when asked. Returns the
// exit status: 0 when settings were found (and written, if asked), 1 otherwise.
int RunCalibration(const Options& options);

}  // namespace tamrex::cli
