#pragma once

#include "record/CountLog.h"

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tamrex {

// Where a LogWriter writes: on a thread of its own, so that counts go on while earlier
// ones are written; or at once, on the thread that adds the entry, when nothing else
// would go on meanwhile (a single photo), which spares the process a thread.
enum class LogWriting { kOwnThread, kAtOnce };

// Adds counts and corrections to the count log, on a thread of its own unless told to
// write at once, so that the log never slows a count or stops one: entries that arrive
// while a write is under way go into the next transaction together. A log that cannot
// be written (locked, read-only, damaged, a full disk) is reported once through
// `notice`; its entries are kept, up to a limit, and every later write tries again.
// Add may be called from any thread.
class LogWriter {
public:
    // `notice` gets the one message a person should see; it runs on the writing thread.
    LogWriter(std::filesystem::path file, std::function<void(const std::string&)> notice,
              LogWriting writing = LogWriting::kOwnThread);
    ~LogWriter();  // Finish()
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;

    // Queues an entry, or writes it at once; `then` runs on the writing thread once the
    // entry is in the log, or once writing it has failed, in the order the entries were
    // added. A count that is printed in `then` is on record before anyone sees it.
    void Add(LogEntry entry, std::function<void()> then = {});

    // Writes everything queued, or gives up on it after one more try, then stops the thread.
    // Once is enough; later calls do nothing.
    void Finish();

    const std::filesystem::path& file() const { return file_; }

private:
    struct Pending {
        std::vector<LogEntry> entries;
        std::vector<std::function<void()>> thens;
    };
    void Run();
    void WriteBatch(Pending& batch);
    void Write(std::vector<LogEntry>& entries);
    void Report(const std::string& problem);

    std::filesystem::path file_;
    std::function<void(const std::string&)> notice_;
    std::mutex mutex_;
    std::condition_variable wake_;
    Pending pending_;
    bool finishing_ = false;
    // Owned by the writing thread (with kAtOnce, by whoever holds mutex_):
    std::optional<CountLog> log_;
    std::vector<LogEntry> heldBack_;  // entries a failed write left, tried again with the next
    bool reported_ = false;
    std::thread thread_;  // last: starts once everything above is ready; none with kAtOnce
};

// Entries held back from a log that cannot be written, at most; older ones go first.
inline constexpr std::size_t kMostHeldBack = 10000;

}  // namespace tamrex
