#pragma once

#include "base/Expected.h"

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tamrex {

// What a SQLite result code means to a person looking after a count log ("another
// program holds it locked", "the disk is full"); SQLite's own words for the rest.
std::string SqliteProblem(int code, sqlite3* database);

// A prepared statement, finalised when it goes.
class Statement {
public:
    Statement(sqlite3* database, sqlite3_stmt* statement) : database_(database), statement_(statement) {}

    Statement& Bind(int index, std::int64_t value);
    Statement& Bind(int index, double value);
    Statement& Bind(int index, std::string_view text);
    template <typename T>
    Statement& Bind(int index, const std::optional<T>& value) {
        if (value) return Bind(index, *value);
        sqlite3_bind_null(statement_.get(), index);
        return *this;
    }
    Statement& Bind(int index, int value) { return Bind(index, static_cast<std::int64_t>(value)); }

    // True while there is a row to read; a failure says why in words (see SqliteProblem).
    Expected<bool> Step();
    Outcome Run();  // steps once, for statements that return no row
    void Reset();

    std::int64_t Integer(int column) const;
    double Real(int column) const;
    std::string Text(int column) const;
    bool IsNull(int column) const;
    template <typename T>
    std::optional<T> Maybe(int column) const;

private:
    struct Finaliser {
        void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
    };
    sqlite3* database_;
    std::unique_ptr<sqlite3_stmt, Finaliser> statement_;
};

template <>
inline std::optional<int> Statement::Maybe(int column) const {
    return IsNull(column) ? std::nullopt : std::optional<int>(static_cast<int>(Integer(column)));
}
template <>
inline std::optional<double> Statement::Maybe(int column) const {
    return IsNull(column) ? std::nullopt : std::optional<double>(Real(column));
}

// An open database connection, closed when it goes. For one thread at a time.
class Database {
public:
    enum class Access { kReadOnly, kReadWrite };
    // Opens, or with kReadWrite creates, the file, waiting up to `busyMs` for another
    // program's lock before a statement gives up.
    static Expected<Database> Open(const std::filesystem::path& file, Access access, int busyMs);

    Outcome Execute(const char* sql);  // statements that return no row, ';' between them
    Expected<Statement> Prepare(std::string_view sql);
    sqlite3* get() const { return connection_.get(); }

private:
    struct Closer {
        void operator()(sqlite3* database) const { sqlite3_close_v2(database); }
    };
    std::unique_ptr<sqlite3, Closer> connection_;
};

// BEGIN IMMEDIATE ... COMMIT, rolled back unless committed: the write lock is taken at
// the start, so that two writers wait for each other instead of failing mid-way.
class WriteTransaction {
public:
    static Expected<WriteTransaction> Begin(Database& database);
    WriteTransaction(WriteTransaction&& other) noexcept : database_(std::exchange(other.database_, nullptr)) {}
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;
    WriteTransaction& operator=(WriteTransaction&&) = delete;
    ~WriteTransaction();
    Outcome Commit();

private:
    explicit WriteTransaction(Database& database) : database_(&database) {}
    Database* database_;
};

}  // namespace tamrex
