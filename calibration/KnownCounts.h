#pragma once

#include "base/Expected.h"
#include "calibration/Calibrate.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tamrex {

// "FILE=COUNT": split at the last "=", so a file name may hold "=" itself; COUNT is
// a whole number of boards, at least 1.
Expected<KnownCount> ParseKnownCount(std::string_view text);

// A CSV file of photos and their board counts. With a header row that names a
// "file" and a "count" column (as --csv writes it), those columns are read, so a
// report with its counts put right by hand can be read back; without one, the
// first two columns are. Names are as given, so relative ones are found from the
// current folder. A failure names the file and the line.
Expected<std::vector<KnownCount>> ReadKnownCounts(const std::filesystem::path& csv);

}  // namespace tamrex
