#pragma once

#include "base/Expected.h"

#include <filesystem>
#include <string_view>

namespace tamrex {

// Writes `content` so that `target` either keeps its old content or holds all of the
// new: the bytes go to a temporary file beside it, renamed over the target once
// complete. Links are followed: the file behind them is replaced and the links stay.
// Only a new name or a writable regular file is replaced (see CheckOutputTarget). The
// failure says why it could not be written, and what to do when that is clear.
Outcome ReplaceFileWith(const std::filesystem::path& target, std::string_view content);

}  // namespace tamrex
