#pragma once

#include "base/Expected.h"

#include <filesystem>
#include <string_view>

namespace tamrex {

// Writes `content` so that `target` either keeps its old content or holds all of the
// new: the bytes go to a temporary file beside it, renamed over the target once
// complete. The failure says why it could not be written, in the system's words.
Outcome ReplaceFileWith(const std::filesystem::path& target, std::string_view content);

}  // namespace tamrex
