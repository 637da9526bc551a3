#pragma once

#include "record/CountLog.h"
#include "record/CountRecord.h"

#include <optional>
#include <string>
#include <vector>

namespace tamrex {

// The words that go under the photo in evidence of a count, one line each: the photo,
// its SHA-256, when and by whom it was counted, the rules' count, the second count,
// the accepted count if a person accepted one, and the settings. The picture and the
// PDF show the same lines.
std::vector<std::string> EvidenceLines(const CountRecord& count, const std::optional<LoggedCorrection>& accepted);

// The latest correction in the log of a count of the same content as `count`: what a
// person accepted for this very photo, wherever it lay when they did. None when the
// photo could not be hashed, or the log holds none or cannot be read.
std::optional<LoggedCorrection> AcceptedInLog(const std::filesystem::path& logFile, const CountRecord& count);

}  // namespace tamrex
