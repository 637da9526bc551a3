#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tamrex {

// Text as it may reach a terminal or a line of a report. Control characters become
// escapes (\n, \r, \t, \x1b, and the C1 controls U+0080 to U+009F as \xc2\x9b), a byte
// that is not part of valid UTF-8 becomes \xNN and a backslash \\, so that a name
// cannot end a line and forge the next one, move the cursor or recolour the terminal,
// and every name stays told apart from every other. Valid UTF-8 passes unchanged.
std::string Printable(std::string_view text);

// A file name as messages show it: in single quotes, printable as above, so that
// blanks at either end and bytes that are not UTF-8 stay visible.
inline std::string Quoted(const std::filesystem::path& path) { return "'" + Printable(path.string()) + "'"; }

}  // namespace tamrex
