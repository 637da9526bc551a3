#include "record/CountLog.h"

#include "record/LogSchema.h"
#include "record/TextPieces.h"

#include <cstdlib>
#include <sstream>
#include <unordered_map>
#include <variant>

namespace tamrex {
namespace {

constexpr const char* kCountColumns =
    "key, counted_at, counted_ms, login, host, program, version, photo, folder, photo_size, photo_mtime, "
    "sha256, photo_error, settings_file, bdline, threshold, pwidth, thickness, overridden, count, passes, "
    "second_count, second_look_error, height_boards, flags, error";

std::vector<std::string> Split(const std::string& text, char between) {
    std::vector<std::string> parts;
    std::stringstream stream(text);
    for (std::string part; std::getline(stream, part, between);) {
        if (!part.empty()) parts.push_back(part);
    }
    return parts;
}

std::string PassesText(const std::array<int, 4>& passes) {
    return std::to_string(passes[0]) + " " + std::to_string(passes[1]) + " " + std::to_string(passes[2]) + " " +
           std::to_string(passes[3]);
}

std::array<int, 4> PassesOf(const std::string& text) {
    std::array<int, 4> passes{};
    std::stringstream stream(text);
    for (int& pass : passes) stream >> pass;
    return passes;
}

// "[[12,14],[30,32]]": the accepted lines' photo rows, bottom-up, as JSON, so that
// SQLite's json_each reads them.
std::string LinesText(const std::vector<LineRun>& lines) {
    std::string text = "[";
    for (const LineRun& line : lines) {
        text += (text.size() > 1 ? ",[" : "[") + std::to_string(line.firstRow) + "," + std::to_string(line.lastRow) + "]";
    }
    return text + "]";
}

// The photo's folder and the photo as the log compares them: absolute, links resolved,
// so that a photo named through a link or a relative path is the same photo.
std::filesystem::path Resolved(const std::filesystem::path& path) {
    std::error_code ignored;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(std::filesystem::absolute(path, ignored), ignored);
    if (resolved.empty()) resolved = std::filesystem::absolute(path, ignored).lexically_normal();
    if (resolved.has_parent_path() && resolved.filename().empty()) resolved = resolved.parent_path();
    return resolved;
}

CountRecord CountOf(const Statement& row, int first) {
    CountRecord record;
    int column = first;
    record.key = row.Text(column++);
    record.when.local = row.Text(column++);
    record.when.unixMs = row.Integer(column++);
    record.login = row.Text(column++);
    record.host = row.Text(column++);
    record.program = row.Text(column++);
    record.version = row.Text(column++);
    record.photo = row.Text(column++);
    ++column;  // the folder is the photo's
    if (!row.IsNull(column + 2)) {
        record.facts = PhotoFacts{static_cast<std::uint64_t>(row.Integer(column)), row.Integer(column + 1),
                                  row.Text(column + 2)};
    }
    column += 3;
    record.factsError = row.Text(column++);
    record.settings.file = row.Text(column++);
    record.settings.bdLine = static_cast<int>(row.Integer(column++));
    record.settings.threshold = static_cast<int>(row.Integer(column++));
    record.settings.pWidth = static_cast<int>(row.Integer(column++));
    record.settings.thickness = row.Maybe<double>(column++);
    record.settings.overridden = row.Text(column++);
    record.count = row.Maybe<int>(column++);
    record.passes = PassesOf(row.Text(column++));
    record.secondCount = row.Maybe<int>(column++);
    record.secondLookError = row.Text(column++);
    record.heightBoards = row.Maybe<double>(column++);
    record.flags = Split(row.Text(column++), ';');
    record.error = row.Text(column++);
    return record;
}

// The WHERE clause of a filter over `counts k`, and the values of its parameters.
struct Condition {
    std::string sql;
    std::vector<std::variant<std::int64_t, std::string>> values;

    template <typename... Values>
    void Add(const std::string& clause, Values... clauseValues) {
        sql += (sql.empty() ? " WHERE " : " AND ") + clause;
        (values.emplace_back(std::move(clauseValues)), ...);
    }
    void BindTo(Statement& statement) const {
        int index = 1;
        for (const auto& value : values) {
            std::visit([&](const auto& v) { statement.Bind(index++, v); }, value);
        }
    }
};

Condition ConditionOf(const LogFilter& filter) {
    Condition condition;
    if (filter.sinceMs) condition.Add("k.counted_ms >= ?", *filter.sinceMs);
    if (filter.untilMs) condition.Add("k.counted_ms < ?", *filter.untilMs);
    if (filter.folder) condition.Add("k.folder = ?", Resolved(*filter.folder).string());
    if (filter.photo && filter.sha256) {
        condition.Add("(k.photo = ? OR k.sha256 = ?)", Resolved(*filter.photo).string(), *filter.sha256);
    } else if (filter.photo) {
        condition.Add("k.photo = ?", Resolved(*filter.photo).string());
    } else if (filter.sha256) {
        condition.Add("k.sha256 = ?", *filter.sha256);
    }
    if (filter.key) condition.Add("k.key = ?", *filter.key);
    if (filter.correctedOnly) condition.Add("EXISTS (SELECT 1 FROM corrections c WHERE c.count_id = k.id)");
    if (filter.flaggedOnly) condition.Add("k.flags <> ''");
    return condition;
}

}  // namespace

std::filesystem::path DefaultLogFile() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    std::filesystem::path base;
    if (dataHome && std::filesystem::path(dataHome).is_absolute()) {
        base = dataHome;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home && *home ? home : "/") / ".local" / "share";
    }
    return base / "tamrex" / "counts.sqlite";
}

Expected<CountLog> CountLog::OpenForWriting(const std::filesystem::path& file) {
    std::error_code error;
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), error);
    if (error) return Fail("its folder cannot be made: " + error.message());
    Expected<Database> database = Database::Open(file, Database::Access::kReadWrite, kLogBusyMs);
    if (!database) return tl::unexpected(database.error());
    for (const char* pragma : {"PRAGMA journal_mode = WAL", "PRAGMA synchronous = FULL", "PRAGMA foreign_keys = ON"}) {
        if (Outcome set = database->Execute(pragma); !set) return tl::unexpected(set.error());
    }
    if (Outcome current = BringLogUpToDate(*database); !current) return tl::unexpected(current.error());
    return CountLog(file, std::move(*database));
}

Expected<CountLog> CountLog::OpenForReading(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::exists(file, error)) return Fail("it does not exist: nothing has been logged there yet");
    Expected<Database> database = Database::Open(file, Database::Access::kReadOnly, kLogBusyMs);
    if (!database) return tl::unexpected(database.error());
    if (Outcome readable = CheckLogReadable(*database); !readable) return tl::unexpected(readable.error());
    return CountLog(file, std::move(*database));
}

Outcome CountLog::AddCount(const CountRecord& count) {
    // Prepared once: a batch adds hundreds of counts through it.
    if (!insertCount_) {
        Expected<Statement> prepared = database_.Prepare(std::string("INSERT OR IGNORE INTO counts (") + kCountColumns +
                                                         ") VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
        if (!prepared) return tl::unexpected(prepared.error());
        insertCount_.emplace(std::move(*prepared));
    }
    Statement* insert = &*insertCount_;
    insert->Reset();
    const std::filesystem::path photo = Resolved(count.photo);
    const auto& facts = count.facts;
    insert->Bind(1, std::string_view(count.key))
        .Bind(2, std::string_view(count.when.local))
        .Bind(3, count.when.unixMs)
        .Bind(4, std::string_view(count.login))
        .Bind(5, std::string_view(count.host))
        .Bind(6, std::string_view(count.program))
        .Bind(7, std::string_view(count.version))
        .Bind(8, std::string_view(photo.native()))
        .Bind(9, std::string_view(photo.parent_path().native()))
        .Bind(10, facts ? std::optional<std::int64_t>(static_cast<std::int64_t>(facts->size)) : std::nullopt)
        .Bind(11, facts ? std::optional<std::int64_t>(facts->modifiedSeconds) : std::nullopt)
        .Bind(12, facts ? std::optional<std::string_view>(facts->sha256) : std::nullopt)
        .Bind(13, std::string_view(count.factsError))
        .Bind(14, std::string_view(count.settings.file.native()))
        .Bind(15, count.settings.bdLine)
        .Bind(16, count.settings.threshold)
        .Bind(17, count.settings.pWidth)
        .Bind(18, count.settings.thickness)
        .Bind(19, std::string_view(count.settings.overridden))
        .Bind(20, count.count)
        .Bind(21, count.count ? std::optional<std::string>(PassesText(count.passes)) : std::nullopt)
        .Bind(22, count.secondCount)
        .Bind(23, std::string_view(count.secondLookError))
        .Bind(24, count.heightBoards)
        .Bind(25, std::string_view(Joined(count.flags, ";")))
        .Bind(26, count.error.empty() ? std::nullopt : std::optional<std::string_view>(count.error));
    return insert->Run();
}

Outcome CountLog::AddCorrection(const CorrectionRecord& correction) {
    if (Outcome counted = AddCount(correction.count); !counted) return counted;
    Expected<Statement> insert = database_.Prepare(
        "INSERT INTO corrections (count_id, accepted_at, accepted_ms, login, host, accepted_count, lines) "
        "SELECT id, ?, ?, ?, ?, ?, ? FROM counts WHERE key = ?");
    if (!insert) return tl::unexpected(insert.error());
    insert->Bind(1, std::string_view(correction.when.local))
        .Bind(2, correction.when.unixMs)
        .Bind(3, std::string_view(correction.login))
        .Bind(4, std::string_view(correction.host))
        .Bind(5, correction.acceptedCount)
        .Bind(6, std::string_view(LinesText(correction.lines)))
        .Bind(7, std::string_view(correction.count.key));
    return insert->Run();
}

Outcome CountLog::Add(const std::vector<LogEntry>& entries) {
    Expected<WriteTransaction> transaction = WriteTransaction::Begin(database_);
    if (!transaction) return tl::unexpected(transaction.error());
    for (const LogEntry& entry : entries) {
        const Outcome added = std::holds_alternative<CountRecord>(entry)
                                  ? AddCount(std::get<CountRecord>(entry))
                                  : AddCorrection(std::get<CorrectionRecord>(entry));
        if (!added) return added;
    }
    return transaction->Commit();
}

Expected<std::vector<LoggedCount>> CountLog::Find(const LogFilter& filter) {
    const Condition condition = ConditionOf(filter);
    Expected<Statement> counts = database_.Prepare(std::string("SELECT k.id, ") + kCountColumns +
                                                   " FROM counts k" + condition.sql + " ORDER BY k.counted_ms, k.id");
    if (!counts) return tl::unexpected(counts.error());
    condition.BindTo(*counts);
    std::vector<LoggedCount> found;
    std::unordered_map<std::int64_t, std::size_t> byId;
    Expected<bool> countRow = counts->Step();
    for (; countRow.value_or(false); countRow = counts->Step()) {
        byId[counts->Integer(0)] = found.size();
        found.push_back({counts->Integer(0), CountOf(*counts, 1), {}});
    }
    if (!countRow) return tl::unexpected(countRow.error());
    Expected<Statement> corrections = database_.Prepare(
        "SELECT c.count_id, c.accepted_at, c.accepted_ms, c.login, c.host, c.accepted_count "
        "FROM corrections c JOIN counts k ON k.id = c.count_id" +
        condition.sql + " ORDER BY c.accepted_ms, c.id");
    if (!corrections) return tl::unexpected(corrections.error());
    condition.BindTo(*corrections);
    Expected<bool> row = corrections->Step();
    for (; row.value_or(false); row = corrections->Step()) {
        const auto owner = byId.find(corrections->Integer(0));
        if (owner == byId.end()) continue;
        found[owner->second].corrections.push_back({{corrections->Integer(2), corrections->Text(1)},
                                                    corrections->Text(3), corrections->Text(4),
                                                    static_cast<int>(corrections->Integer(5))});
    }
    if (!row) return tl::unexpected(row.error());
    return found;
}

}  // namespace tamrex
