#pragma once

#include "base/Expected.h"
#include "base/OutputTarget.h"

#include <filesystem>
#include <string_view>

namespace tamrex {

// Writes `content` so that `target` either keeps its old content or holds all of the
// new, also after a crash: the bytes go to a temporary file beside it, which takes the
// old file's owner, group and permissions where it can, reach the disk, and then
// replace the target by a rename. Links are followed as `links` allows (see
// FileToReplace): the file behind them is replaced and the links stay. Only a new
// name or a writable regular file is replaced (see CheckOutputTarget). The failure
// says why it could not be written, and what to do when that is clear.
Outcome ReplaceFileWith(const std::filesystem::path& target, std::string_view content,
                        LinkUse links = LinkUse::kOwnOrPrivate);

}  // namespace tamrex
