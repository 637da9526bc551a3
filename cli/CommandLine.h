#pragma once

#include "calibration/KnownCounts.h"
#include "look/PhotoFrame.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tamrex::cli {

// `tamrex-count calibrate`: photos with known counts, and where to put the settings found.
struct CalibrateOptions {
    std::vector<KnownCount> known;       // from --known, in the order given
    std::filesystem::path knownCsvFile;  // --known-csv; its photos follow those of --known
    std::filesystem::path iniFile;       // --write-ini; empty: the settings are only printed
};

// `tamrex-count log`: which counts of the log to show, and how.
struct LogOptions {
    std::string since;  // a date, "today" or "yesterday"; empty: from the first count
    std::string until;  // the same, that day included; empty: to the last
    std::filesystem::path folder;
    std::filesystem::path photo;
    bool correctedOnly = false;
    bool flaggedOnly = false;
    std::filesystem::path verify;  // a photo on disk to compare with the counts logged
};

struct Options {
    std::filesystem::path settingsFile;  // empty: the default beside the program
    std::optional<int> bdLine;
    std::optional<int> threshold;
    std::optional<int> pWidth;
    std::optional<PhotoFrame> frame;  // --region: where the second look reads the stack
    std::filesystem::path lineMapFile;
    std::filesystem::path overlayFile;
    bool json = false;
    bool csv = false;
    unsigned jobs = 1;
    double maxMegapixels = 100;  // bigger photos are refused from their header
    std::uint64_t PixelLimit() const { return static_cast<std::uint64_t>(maxMegapixels * 1e6); }
    std::uint64_t memoryBudgetMiB = 0;  // 0: DefaultMemoryBudget()
    std::uint64_t MemoryBudget() const;
    std::vector<std::filesystem::path> photos;
    std::optional<CalibrateOptions> calibrate;  // set when the command is `calibrate`
    std::filesystem::path logFile;       // --log; empty: DefaultLogFile()
    bool noLog = false;                  // --no-log: counts are not added to the log
    std::filesystem::path evidenceFile;  // --evidence: the (single) photo's evidence picture
    std::optional<LogOptions> log;       // set when the command is `log`
};

// The outcome of reading the arguments: options to run with, or an exit right away
// (after --help or --version, status 0, or after a usage error, status 2).
struct ParsedCommandLine {
    Options options;
    std::optional<int> exitNow;
};

ParsedCommandLine ParseCommandLine(int argc, char** argv);

}  // namespace tamrex::cli
