#pragma once

#include "cli/CommandLine.h"

namespace tamrex::cli {

// `tamrex-count log`: prints the counts of the count log that pass the filters, as
// text with totals, CSV or JSON lines; with --verify, whether a photo on disk is the one
// that was counted. Returns the exit status: 0, or 1 when the log cannot be read or
// the photo verified is not the one counted.
int RunLogCommand(const Options& options);

}  // namespace tamrex::cli
