#pragma once

#include "base/Expected.h"
#include "record/CountRecord.h"
#include "record/Sqlite.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace tamrex {

// What the log is asked to add: a count, or a correction of one.
using LogEntry = std::variant<CountRecord, CorrectionRecord>;

// A correction as read back from the log.
struct LoggedCorrection {
    Moment when;
    std::string login;
    std::string host;
    int acceptedCount = 0;
};

// A count as read back, with every correction of it, oldest first: the last one is
// the count accepted.
struct LoggedCount {
    std::int64_t id = 0;
    CountRecord record;
    std::vector<LoggedCorrection> corrections;

    std::optional<int> Accepted() const {
        return corrections.empty() ? std::nullopt : std::optional<int>(corrections.back().acceptedCount);
    }
};

// Which counts to read; every field left empty lets all through.
struct LogFilter {
    std::optional<std::int64_t> sinceMs;  // counted at or after
    std::optional<std::int64_t> untilMs;  // counted before
    std::optional<std::filesystem::path> folder;  // photos directly in this folder
    std::optional<std::filesystem::path> photo;   // this photo (an absolute path)
    std::optional<std::string> sha256;            // with `photo`: counts of either
    std::optional<std::string> key;               // the count of this key
    bool correctedOnly = false;
    bool flaggedOnly = false;
};

// How long a writer waits for another's lock before the log gives up on a write.
inline constexpr int kLogBusyMs = 5000;

// The count log, a SQLite database: every count and every correction, rows only
// added. WAL, so that the window and a batch write at once and readers never wait;
// synchronous FULL, so that a power cut loses at most the write under way. One
// thread at a time; open one per thread.
class CountLog {
public:
    // Opens the log to add rows, making its folder, the file and its tables as needed.
    static Expected<CountLog> OpenForWriting(const std::filesystem::path& file);
    // Opens an existing log to read; never creates or changes anything.
    static Expected<CountLog> OpenForReading(const std::filesystem::path& file);

    // Adds the entries in one transaction: all of them, or, on failure, none.
    Outcome Add(const std::vector<LogEntry>& entries);

    // The counts that pass the filter, oldest first, with their corrections.
    Expected<std::vector<LoggedCount>> Find(const LogFilter& filter);

    const std::filesystem::path& file() const { return file_; }

private:
    CountLog(std::filesystem::path file, Database database) : file_(std::move(file)), database_(std::move(database)) {}
    Outcome AddCount(const CountRecord& count);
    Outcome AddCorrection(const CorrectionRecord& correction);

    std::filesystem::path file_;
    Database database_;
    std::optional<Statement> insertCount_;  // after the database: finalised before it closes
};

// The count log of the user: $XDG_DATA_HOME/tamrex/counts.sqlite, or
// ~/.local/share/tamrex/counts.sqlite when XDG_DATA_HOME is not set (or not absolute,
// as the XDG rules say).
std::filesystem::path DefaultLogFile();

}  // namespace tamrex
