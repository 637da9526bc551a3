#pragma once

#include "calibration/Calibrate.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamrex {

// "FILE=COUNT": split at the last "=", so a file name may hold "=" itself; COUNT is
// a whole number of boards, at least 1. Empty, with `problem` set, otherwise.
std::optional<KnownCount> ParseKnownCount(std::string_view text, std::string& problem);

// A CSV file of photos and their board counts. With a header row that names a
// "file" and a "count" column (as --csv writes it), those columns are read, so a
// report with its counts put right by hand can be read back; without one, the
// first two columns are. Names are as given, so relative ones are found from the
// current folder. Sets `error` (naming the file and line) when it cannot be used.
std::vector<KnownCount> ReadKnownCounts(const std::filesystem::path& csv, std::string& error);

}  // namespace tamrex
