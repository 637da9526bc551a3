#pragma once

#include "base/Expected.h"

#include <string>
#include <string_view>
#include <vector>

namespace tamrex {

using CsvRecord = std::vector<std::string>;

struct CsvTable {
    std::vector<CsvRecord> records;  // blank lines are left out
    std::vector<int> lines;          // the line each record starts on, from 1
};

// Reads CSV as RFC 4180 lays it out, also taking bare LF line ends: fields split at
// commas, a field in double quotes may hold commas, line breaks and doubled quotes.
// A failure says where and why: "line 3: a quoted field is never closed".
Expected<CsvTable> ParseCsv(std::string_view text);

}  // namespace tamrex
