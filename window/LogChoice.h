#pragma once

#include "base/Expected.h"

#include <filesystem>
#include <optional>
#include <vector>

namespace tamrex {

// Where the window keeps its record of counts: the file of "--log FILE" (or "--log=FILE"),
// none after "--no-log", else the user's count log. The other arguments are left for
// the rest of the command line; relative names are taken from `currentFolder`.
struct LogChoice {
    std::optional<std::filesystem::path> file;
    std::vector<std::filesystem::path> others;
};

Expected<LogChoice> TakeLogChoice(const std::vector<std::filesystem::path>& arguments,
                                  const std::filesystem::path& currentFolder);

}  // namespace tamrex
