#pragma once

#include "cli/PhotoReport.h"

#include <string>
#include <string_view>

namespace tamrex::cli {

// One field as RFC 4180 writes it: in double quotes, with inner quotes doubled, when
// it holds a comma, a quote, a line break, or blanks at either end that a reader
// might trim; as it is otherwise. Bytes pass through unchanged, so a file name that
// is not UTF-8 comes out as it is on disk.
std::string CsvField(std::string_view text);

// The header row, ending in CR LF.
std::string CsvHeader();

// One row per photo, ending in CR LF: the count fields are empty for a photo that
// could not be counted, and the error is empty for one that was counted with every
// output written.
std::string CsvRow(const PhotoReport& report);

}  // namespace tamrex::cli
