#pragma once

#include "cli/CommandLine.h"
#include "cli/PhotoReport.h"
#include "record/CountRecord.h"
#include "record/LogWriter.h"
#include "settings/StationSettings.h"

#include <functional>
#include <memory>

namespace tamrex::cli {

// The count log as a batch of tamrex-count writes it. Each photo's report is printed
// once its count is on record, so that a batch killed at any moment leaves in the log
// every count it printed. With --no-log, reports are printed at once.
class CountRecording {
public:
    // `say` tells a person, once, that the log cannot be written.
    CountRecording(const Options& options, const StationSettings& station, std::function<void(const std::string&)> say);

    // The record of a photo's count as the log will keep it, errors of its outputs included.
    CountRecord RecordOf(const PhotoReport& report) const;

    // Whether records go to a log at all (not with --no-log).
    bool Writes() const { return writer_ != nullptr; }

    // Adds the record to the log, then calls `print`, on the log's thread.
    void Add(CountRecord record, std::function<void()> print);

    // Waits until every count is on record and printed.
    void Finish();

private:
    RecordedSettings settings_;
    std::unique_ptr<LogWriter> writer_;  // none with --no-log
};

// The log file the options name: --log FILE, or the user's.
std::filesystem::path LogFileOf(const Options& options);

}  // namespace tamrex::cli
