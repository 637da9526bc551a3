#include "record/Sqlite.h"

#include <utility>

namespace tamrex {

std::string SqliteProblem(int code, sqlite3* database) {
    switch (code & 0xFF) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return "another program holds it locked";
        case SQLITE_READONLY:
            return "it is read-only";
        case SQLITE_PERM:
            return "permission denied";
        case SQLITE_CANTOPEN:
            return "it cannot be opened (is its folder there and writable?)";
        case SQLITE_NOTADB:
            return "it is not a SQLite database";
        case SQLITE_CORRUPT:
            return "it is damaged";
        case SQLITE_FULL:
            return "the disk is full";
        case SQLITE_IOERR:
            return "reading or writing it failed (" + std::string(sqlite3_errstr(code)) + ")";
        case SQLITE_NOMEM:
            return "not enough memory";
        default:
            return database ? sqlite3_errmsg(database) : sqlite3_errstr(code);
    }
}

Statement& Statement::Bind(int index, std::int64_t value) {
    sqlite3_bind_int64(statement_.get(), index, value);
    return *this;
}

Statement& Statement::Bind(int index, double value) {
    sqlite3_bind_double(statement_.get(), index, value);
    return *this;
}

Statement& Statement::Bind(int index, std::string_view text) {
    sqlite3_bind_text64(statement_.get(), index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    return *this;
}

Expected<bool> Statement::Step() {
    const int code = sqlite3_step(statement_.get());
    if (code == SQLITE_ROW) return true;
    if (code == SQLITE_DONE) return false;
    return Fail(SqliteProblem(code, database_));
}

Outcome Statement::Run() {
    const Expected<bool> stepped = Step();
    if (!stepped) return tl::unexpected(stepped.error());
    return {};
}

void Statement::Reset() {
    sqlite3_reset(statement_.get());
    sqlite3_clear_bindings(statement_.get());
}

std::int64_t Statement::Integer(int column) const { return sqlite3_column_int64(statement_.get(), column); }

double Statement::Real(int column) const { return sqlite3_column_double(statement_.get(), column); }

std::string Statement::Text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_.get(), column));
    return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement_.get(), column)))
                : std::string();
}

bool Statement::IsNull(int column) const { return sqlite3_column_type(statement_.get(), column) == SQLITE_NULL; }

Expected<Database> Database::Open(const std::filesystem::path& file, Access access, int busyMs) {
    sqlite3* raw = nullptr;
    const int flags = (access == Access::kReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) |
                      SQLITE_OPEN_NOMUTEX;
    const int code = sqlite3_open_v2(file.c_str(), &raw, flags, nullptr);
    Database database;
    database.connection_.reset(raw);
    if (code != SQLITE_OK) return Fail(SqliteProblem(code, raw));
    sqlite3_busy_timeout(raw, busyMs);
    // The last program to close the log checkpoints it and removes its write-ahead file.
    // Left in place, that file is read whole by the next program to open the log, and a
    // log opened afresh for every count never restarts it: it grew by every count.
    sqlite3_extended_result_codes(raw, 1);
    return database;
}

Outcome Database::Execute(const char* sql) {
    const int code = sqlite3_exec(connection_.get(), sql, nullptr, nullptr, nullptr);
    if (code != SQLITE_OK) return Fail(SqliteProblem(code, connection_.get()));
    return {};
}

Expected<Statement> Database::Prepare(std::string_view sql) {
    sqlite3_stmt* raw = nullptr;
    const int code = sqlite3_prepare_v2(connection_.get(), sql.data(), static_cast<int>(sql.size()), &raw, nullptr);
    Statement statement(connection_.get(), raw);
    if (code != SQLITE_OK) return Fail(SqliteProblem(code, connection_.get()));
    return statement;
}

Expected<WriteTransaction> WriteTransaction::Begin(Database& database) {
    if (Outcome begun = database.Execute("BEGIN IMMEDIATE"); !begun) return tl::unexpected(begun.error());
    return WriteTransaction(database);
}

WriteTransaction::~WriteTransaction() {
    if (database_) database_->Execute("ROLLBACK");
}

Outcome WriteTransaction::Commit() {
    Outcome committed = database_->Execute("COMMIT");
    if (committed) database_ = nullptr;
    return committed;
}

}  // namespace tamrex
