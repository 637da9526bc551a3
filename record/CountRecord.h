#pragma once

#include "counting/CountResult.h"
#include "record/LocalTime.h"
#include "record/Sha256.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tamrex {

// The settings a count was made with, and where they came from.
struct RecordedSettings {
    std::filesystem::path file;  // the settings file read
    int bdLine = 0;
    int threshold = 0;
    int pWidth = 0;
    std::optional<double> thickness;  // THICKNESS, when the file has one
    std::string overridden;           // settings given on the command line instead: "BDLINE THRESHOLD"
};

// One count as the log keeps it: a row that is added once and never changed.
struct CountRecord {
    std::string key;  // unique: a correction names the count it corrects by it
    Moment when;
    std::string login;
    std::string host;
    std::string program;  // "tamrex-count" or "tamrex"
    std::string version;
    std::filesystem::path photo;  // absolute
    // Read by the log's writer when not filled in, so that hashing costs the count nothing.
    std::optional<PhotoFacts> facts;
    std::string factsError;  // why there are none: the photo could not be read again
    RecordedSettings settings;
    std::optional<int> count;  // the count of the rules; none when the photo was not counted
    std::array<int, 4> passes{};
    std::optional<int> secondCount;
    std::string secondLookError;
    std::optional<double> heightBoards;
    std::vector<std::string> flags;
    std::string error;  // why there is no count, or which output could not be written
};

// An accepted correction: the count a person settled on, with the lines they accepted,
// and the count it corrects. Carrying the whole count lets the log add that count first
// should its own row not have been written (the log was locked at the time).
struct CorrectionRecord {
    CountRecord count;
    Moment when;
    std::string login;
    std::string host;
    int acceptedCount = 0;
    std::vector<LineRun> lines;  // photo rows, bottom-up, as the review drew them
};

// The record of a count that has just finished: now, by whom and where, with a new key.
// `result` is the count, or why there is none; the caller adds outputs that failed to `error`.
CountRecord RecordOfCount(const std::filesystem::path& photo, const Expected<CountResult>& result,
                          const RecordedSettings& settings, const std::string& program, const std::string& version);

// A correction accepted now, by whom and where.
CorrectionRecord RecordOfCorrection(const CountRecord& count, int acceptedCount, std::vector<LineRun> lines);

}  // namespace tamrex
