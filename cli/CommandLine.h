#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tamrex::cli {

struct Options {
    std::filesystem::path settingsFile;  // empty: the default beside the program
    std::optional<int> bdLine;
    std::optional<int> threshold;
    std::optional<int> pWidth;
    std::filesystem::path lineMapFile;
    bool json = false;
    unsigned jobs = 1;
    std::vector<std::filesystem::path> photos;
};

// The outcome of reading the arguments: options to run with, or an exit right away
// (after --help or --version, status 0, or after a usage error, status 2).
struct ParsedCommandLine {
    Options options;
    std::optional<int> exitNow;
};

ParsedCommandLine ParseCommandLine(int argc, char** argv);

}  // namespace tamrex::cli
