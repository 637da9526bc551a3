#include "cli/LogCommand.h"

#include "base/Quoted.h"
#include "calibration/CsvRecords.h"
#include "cli/CountRecording.h"
#include "record/CountLog.h"
#include "record/TextPieces.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cmath>
#include <iostream>

namespace tamrex::cli {
namespace {

template <typename T>
std::string Field(const std::optional<T>& value) {
    if (!value) return {};
    if constexpr (std::is_same_v<T, double>) return OneDecimal(*value);
    else return std::to_string(*value);
}

// "2024-12-07T10:15:00+01:00 /photos/stack.jpg: count 21, second look 21, accepted 22; check: ... (anna on station-2)"
std::string TextLine(const LoggedCount& logged) {
    const CountRecord& count = logged.record;
    std::string line = count.when.local + " " + Printable(count.photo.string()) + ": ";
    if (!count.count) return line + "not counted (" + count.error + ")";
    line += "count " + std::to_string(*count.count);
    line += count.secondCount ? ", second look " + std::to_string(*count.secondCount) : ", no second look";
    if (const auto accepted = logged.Accepted()) line += ", accepted " + std::to_string(*accepted);
    if (!count.flags.empty()) line += "; check: " + Joined(count.flags, ", ");
    if (!count.error.empty()) line += "; " + count.error;
    return line + " (" + Printable(count.login) + " on " + Printable(count.host) + ")";
}

struct Totals {
    std::size_t counts = 0;
    long boardsCounted = 0;
    std::size_t accepted = 0;
    long boardsAccepted = 0;
    long boardsAsAccepted = 0;  // every count, with the accepted count in place of a corrected one
};

Totals TotalsOf(const std::vector<LoggedCount>& logged) {
    Totals totals;
    for (const LoggedCount& one : logged) {
        ++totals.counts;
        const int counted = one.record.count.value_or(0);
        totals.boardsCounted += counted;
        const std::optional<int> accepted = one.Accepted();
        if (accepted) {
            ++totals.accepted;
            totals.boardsAccepted += *accepted;
        }
        totals.boardsAsAccepted += accepted.value_or(counted);
    }
    return totals;
}

std::string Many(std::size_t number, const char* one, const char* many) {
    return std::to_string(number) + " " + (number == 1 ? one : many);
}

// "Total: 3 counts, 60 boards counted; 1 accepted count, 22 boards accepted; 61 boards as accepted."
std::string TotalsLine(const Totals& totals) {
    return "Total: " + Many(totals.counts, "count", "counts") + ", " +
           Many(static_cast<std::size_t>(totals.boardsCounted), "board", "boards") + " counted; " +
           Many(totals.accepted, "accepted count", "accepted counts") + ", " +
           Many(static_cast<std::size_t>(totals.boardsAccepted), "board", "boards") + " accepted; " +
           Many(static_cast<std::size_t>(totals.boardsAsAccepted), "board", "boards") + " as accepted.";
}

const std::vector<std::string> kCsvColumns = {
    "counted_at", "photo", "sha256", "photo_size", "count", "second_count", "second_look_error", "height_boards",
    "flags", "error", "accepted_count", "accepted_at", "accepted_by", "login", "host", "program", "version",
    "bdline", "threshold", "pwidth", "thickness", "settings_file"};

std::string CsvRow(const std::vector<std::string>& fields) {
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i) row += (i ? "," : "") + CsvField(fields[i]);
    return row + "\r\n";
}

std::vector<std::string> CsvFields(const LoggedCount& logged) {
    const CountRecord& count = logged.record;
    const LoggedCorrection* last = logged.corrections.empty() ? nullptr : &logged.corrections.back();
    const auto& settings = count.settings;
    return {count.when.local, count.photo.string(), count.facts ? count.facts->sha256 : "",
            count.facts ? std::to_string(count.facts->size) : "", Field(count.count), Field(count.secondCount),
            count.secondLookError, Field(count.heightBoards), Joined(count.flags, ";"), count.error,
            last ? std::to_string(last->acceptedCount) : "", last ? last->when.local : "", last ? last->login : "",
            count.login, count.host, count.program, count.version, std::to_string(settings.bdLine),
            std::to_string(settings.threshold), std::to_string(settings.pWidth), Field(settings.thickness),
            settings.file.string()};
}

std::string JsonLine(const LoggedCount& logged) {
    const CountRecord& count = logged.record;
    nlohmann::ordered_json line;
    line["counted_at"] = count.when.local;
    line["photo"] = count.photo.string();
    line["sha256"] = count.facts ? nlohmann::ordered_json(count.facts->sha256) : nullptr;
    line["photo_size"] = count.facts ? nlohmann::ordered_json(count.facts->size) : nullptr;
    line["count"] = count.count ? nlohmann::ordered_json(*count.count) : nullptr;
    line["second_count"] = count.secondCount ? nlohmann::ordered_json(*count.secondCount) : nullptr;
    if (!count.secondLookError.empty()) line["second_look_error"] = count.secondLookError;
    if (count.heightBoards) line["height_boards"] = std::round(*count.heightBoards * 10) / 10;
    line["flags"] = count.flags;
    if (!count.error.empty()) line["error"] = count.error;
    line["accepted_count"] = logged.Accepted() ? nlohmann::ordered_json(*logged.Accepted()) : nullptr;
    nlohmann::ordered_json corrections = nlohmann::ordered_json::array();
    for (const LoggedCorrection& correction : logged.corrections) {
        corrections.push_back({{"accepted_count", correction.acceptedCount},
                               {"accepted_at", correction.when.local},
                               {"login", correction.login},
                               {"host", correction.host}});
    }
    line["corrections"] = corrections;
    line["login"] = count.login;
    line["host"] = count.host;
    line["program"] = count.program + " " + count.version;
    line["settings"] = {{"bdline", count.settings.bdLine},
                        {"threshold", count.settings.threshold},
                        {"pwidth", count.settings.pWidth},
                        {"thickness", count.settings.thickness ? nlohmann::ordered_json(*count.settings.thickness)
                                                               : nullptr},
                        {"file", count.settings.file.string()}};
    if (!count.settings.overridden.empty()) line["settings"]["overridden"] = count.settings.overridden;
    return line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void PrintCounts(const Options& options, const std::vector<LoggedCount>& logged) {
    if (options.csv) {
        std::cout << CsvRow(kCsvColumns);
        for (const LoggedCount& one : logged) std::cout << CsvRow(CsvFields(one));
    } else if (options.json) {
        for (const LoggedCount& one : logged) std::cout << JsonLine(one) << "\n";
    } else {
        for (const LoggedCount& one : logged) std::cout << TextLine(one) << "\n";
        std::cout << TotalsLine(TotalsOf(logged)) << "\n";
    }
    std::cout << std::flush;
}

Expected<LogFilter> FilterOf(const LogOptions& log) {
    LogFilter filter;
    if (!log.since.empty()) {
        const Expected<std::int64_t> since = DayBoundary(log.since, false);
        if (!since) return Fail("--since: " + since.error().message);
        filter.sinceMs = *since;
    }
    if (!log.until.empty()) {
        const Expected<std::int64_t> until = DayBoundary(log.until, true);
        if (!until) return Fail("--until: " + until.error().message);
        filter.untilMs = *until;
    }
    if (!log.folder.empty()) filter.folder = log.folder;
    if (!log.photo.empty()) filter.photo = log.photo;
    filter.correctedOnly = log.correctedOnly;
    filter.flaggedOnly = log.flaggedOnly;
    return filter;
}

// Whether the photo on disk has the content of a count of it, and the counts of that
// name or that content.
int Verify(const Options& options, CountLog& log, const std::filesystem::path& photo) {
    const Expected<PhotoFacts> facts = ReadPhotoFacts(photo);
    if (!facts) {
        std::cerr << "tamrex-count: log: cannot read photo " << Quoted(photo) << ": " << facts.error().message << "\n";
        return 1;
    }
    LogFilter filter;
    filter.photo = photo;
    filter.sha256 = facts->sha256;
    const Expected<std::vector<LoggedCount>> found = log.Find(filter);
    if (!found) {
        std::cerr << "tamrex-count: log: cannot read the count log " << Quoted(log.file()) << ": "
                  << found.error().message << "\n";
        return 1;
    }
    std::size_t same = 0;
    for (const LoggedCount& one : *found) same += one.record.facts && one.record.facts->sha256 == facts->sha256;
    if (same > 0) {
        std::cout << Quoted(photo) << " is the photo that was counted: its SHA-256 " << facts->sha256
                  << " is the one logged for " << same << (same == 1 ? " count" : " counts") << ".\n";
    } else if (!found->empty()) {
        std::cout << Quoted(photo) << " is NOT the photo that was counted: its SHA-256 is now " << facts->sha256
                  << ", and no count of it logged that one.\n";
    } else {
        std::cout << Quoted(photo) << " was never counted with this log: no count of its name or of its SHA-256 "
                  << facts->sha256 << ".\n";
    }
    PrintCounts(options, *found);
    return same > 0 ? 0 : 1;
}

}  // namespace

int RunLogCommand(const Options& options) {
    const LogOptions& logOptions = *options.log;
    const Expected<LogFilter> filter = FilterOf(logOptions);
    if (!filter) {
        std::cerr << "tamrex-count: log: " << filter.error().message << "\n";
        return 2;
    }
    const std::filesystem::path file = LogFileOf(options);
    Expected<CountLog> log = CountLog::OpenForReading(file);
    if (!log) {
        std::cerr << "tamrex-count: log: cannot read the count log " << Quoted(file) << ": " << log.error().message
                  << "\nName the log with --log FILE.\n";
        return 1;
    }
    if (!logOptions.verify.empty()) return Verify(options, *log, logOptions.verify);
    const Expected<std::vector<LoggedCount>> found = log->Find(*filter);
    if (!found) {
        std::cerr << "tamrex-count: log: cannot read the count log " << Quoted(file) << ": " << found.error().message
                  << "\n";
        return 1;
    }
    PrintCounts(options, *found);
    return 0;
}

}  // namespace tamrex::cli
