#pragma once

#include "cli/PhotoReport.h"

#include <string>
#include <string_view>

namespace tamrex::cli {

// The header row, ending in CR LF.
std::string CsvHeader();

// One row per photo, ending in CR LF: the count fields are empty for a photo that
// could not be counted, and the error is empty for one that was counted with every
// output written.
std::string CsvRow(const PhotoReport& report);

}  // namespace tamrex::cli
