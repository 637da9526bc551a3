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
// The apostrophe CsvField puts before a field a spreadsheet would take for a formula
// is taken off again. A failure says where and why: "line 3: a quoted field is never
// closed".
Expected<CsvTable> ParseCsv(std::string_view text);

// One field as RFC 4180 writes it: in double quotes, with inner quotes doubled, when
// it holds a comma, a quote, a line break, or blanks at either end that a reader
// might trim; as it is otherwise. A field that a spreadsheet would run as a formula,
// one that starts with =, +, -, @, a tab or a carriage return (a photo named
// "=HYPERLINK(...).jpg"), gets an apostrophe before it, which spreadsheets show as text
// and ParseCsv takes off; so does one that already starts with apostrophes before
// such a character, so that every field reads back as it was written. Other bytes pass
// through unchanged, so a file name that is not UTF-8 comes out as it is on disk.
std::string CsvField(std::string_view text);

}  // namespace tamrex
