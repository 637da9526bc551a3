#include "record/LogWriter.h"

#include "base/Quoted.h"

#include <chrono>

namespace tamrex {
namespace {

constexpr auto kGathering = std::chrono::milliseconds(30);
constexpr std::size_t kMostGathered = 64;

// The photo's size, time and SHA-256, read here rather than in the count so that
// they cost the count nothing.
void FillFacts(CountRecord& count) {
    if (count.facts || !count.factsError.empty()) return;
    Expected<PhotoFacts> facts = ReadPhotoFacts(count.photo);
    if (facts) {
        count.facts = std::move(*facts);
    } else {
        count.factsError = "cannot read the photo again: " + facts.error().message;
    }
}

void FillFacts(LogEntry& entry) {
    std::visit(
        [](auto& record) {
            if constexpr (std::is_same_v<std::decay_t<decltype(record)>, CountRecord>) {
                FillFacts(record);
            } else {
                FillFacts(record.count);
            }
        },
        entry);
}

}  // namespace

LogWriter::LogWriter(std::filesystem::path file, std::function<void(const std::string&)> notice, LogWriting writing)
    : file_(std::move(file)), notice_(std::move(notice)) {
    if (writing == LogWriting::kOwnThread) thread_ = std::thread([this] { Run(); });
}

LogWriter::~LogWriter() { Finish(); }

void LogWriter::Add(LogEntry entry, std::function<void()> then) {
    std::unique_lock lock(mutex_);
    pending_.entries.push_back(std::move(entry));
    if (then) pending_.thens.push_back(std::move(then));
    if (!thread_.joinable()) {
        Pending batch = std::exchange(pending_, {});
        WriteBatch(batch);
        return;
    }
    lock.unlock();
    wake_.notify_one();
}

void LogWriter::Finish() {
    std::unique_lock lock(mutex_);
    if (std::exchange(finishing_, true)) return;
    if (!thread_.joinable()) {
        std::vector<LogEntry> none;
        if (!heldBack_.empty()) Write(none);  // one more try for what is held back
        return;
    }
    lock.unlock();
    wake_.notify_one();
    thread_.join();
}

void LogWriter::Run() {
    for (;;) {
        Pending batch;
        bool last = false;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return finishing_ || !pending_.entries.empty(); });
            // A moment for the counts close behind to join: one transaction for a few
            // photos costs a fast batch far less than one for each.
            wake_.wait_for(lock, kGathering, [&] { return finishing_ || pending_.entries.size() >= kMostGathered; });
            batch = std::exchange(pending_, {});
            last = finishing_ && batch.entries.empty();
        }
        if (last) {
            if (!heldBack_.empty()) Write(batch.entries);  // one more try for what is held back
            return;
        }
        WriteBatch(batch);
    }
}

void LogWriter::WriteBatch(Pending& batch) {
    for (LogEntry& entry : batch.entries) FillFacts(entry);
    Write(batch.entries);
    for (const auto& then : batch.thens) then();
}

void LogWriter::Write(std::vector<LogEntry>& entries) {
    std::vector<LogEntry> all = std::exchange(heldBack_, {});
    all.insert(all.end(), std::make_move_iterator(entries.begin()), std::make_move_iterator(entries.end()));
    if (!log_) {
        Expected<CountLog> opened = CountLog::OpenForWriting(file_);
        if (opened) {
            log_.emplace(std::move(*opened));
        } else {
            Report(opened.error().message);
        }
    }
    if (log_) {
        const Outcome added = log_->Add(all);
        if (added) return;
        Report(added.error().message);
        log_.reset();  // opened afresh next time: the file may have been replaced or mended
    }
    if (all.size() > kMostHeldBack) all.erase(all.begin(), all.end() - static_cast<std::ptrdiff_t>(kMostHeldBack));
    heldBack_ = std::move(all);
}

void LogWriter::Report(const std::string& problem) {
    if (std::exchange(reported_, true) || !notice_) return;
    notice_("cannot add counts to the count log " + Quoted(file_) + ": " + problem +
            ". Counting goes on without it, and each new count tries the log again; to log "
            "elsewhere, name another file with --log, or turn the log off with --no-log.");
}

}  // namespace tamrex
