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

// One field as RFC 4180 writes it: in double quotes, with inner quotes doubled, when
// it holds a comma, a quote, a line break, or blanks at either end that a reader
// might trim; as it is otherwise. Bytes pass through unchanged, so a file name that
// is not UTF-8 comes out as it is on disk.
std::string CsvField(std::string_view text);

}  // namespace tamrex
