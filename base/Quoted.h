#pragma once

#include <filesystem>
#include <string>

namespace tamrex {

// A file name as messages show it: in single quotes, byte for byte, so that blanks at
// either end and names that are not valid UTF-8 stay visible as they are.
inline std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

}  // namespace tamrex
