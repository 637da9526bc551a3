#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tamrex {

// Writes `content` so that `target` either keeps its old content or holds all of the
// new: the bytes go to a temporary file beside it, renamed over the target once
// complete. Returns why it could not be written, for a person, or "".
std::string ReplaceFileWith(const std::filesystem::path& target, std::string_view content);

}  // namespace tamrex
