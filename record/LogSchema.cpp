#include "record/LogSchema.h"

#include <array>
#include <string>

namespace tamrex {
namespace {

// 'TMRX': marks the file as a count log, so that a database of another program
// named by mistake is never written to.
constexpr std::int64_t kApplicationId = 0x544D5258;

// Step N brings a log of version N - 1 to version N. Steps are only ever appended:
// a log written by any earlier version reads the same after them. Rows are only
// added, never changed or removed: the triggers refuse it, so a slip in a later
// version or a hand at the sqlite3 prompt cannot rewrite the record.
constexpr std::array<const char*, kLogSchemaVersion> kSteps = {
    R"sql(
CREATE TABLE counts (
    id INTEGER PRIMARY KEY,
    key TEXT NOT NULL UNIQUE,
    counted_at TEXT NOT NULL,
    counted_ms INTEGER NOT NULL,
    login TEXT NOT NULL,
    host TEXT NOT NULL,
    program TEXT NOT NULL,
    version TEXT NOT NULL,
    photo TEXT NOT NULL,
    folder TEXT NOT NULL,
    photo_size INTEGER,
    photo_mtime INTEGER,
    sha256 TEXT,
    photo_error TEXT,
    settings_file TEXT NOT NULL,
    bdline INTEGER NOT NULL,
    threshold INTEGER NOT NULL,
    pwidth INTEGER NOT NULL,
    thickness REAL,
    overridden TEXT NOT NULL,
    count INTEGER,
    passes TEXT,
    second_count INTEGER,
    second_look_error TEXT,
    height_boards REAL,
    flags TEXT NOT NULL,
    error TEXT
);
CREATE INDEX counts_by_time ON counts (counted_ms);
CREATE INDEX counts_by_folder ON counts (folder, counted_ms);
CREATE INDEX counts_by_photo ON counts (photo);
CREATE INDEX counts_by_sha256 ON counts (sha256);
CREATE TABLE corrections (
    id INTEGER PRIMARY KEY,
    count_id INTEGER NOT NULL REFERENCES counts (id),
    accepted_at TEXT NOT NULL,
    accepted_ms INTEGER NOT NULL,
    login TEXT NOT NULL,
    host TEXT NOT NULL,
    accepted_count INTEGER NOT NULL,
    lines TEXT NOT NULL
);
CREATE INDEX corrections_by_count ON corrections (count_id);
CREATE TRIGGER counts_never_change BEFORE UPDATE ON counts
    BEGIN SELECT RAISE(ABORT, 'rows of the count log are never changed'); END;
CREATE TRIGGER counts_never_go BEFORE DELETE ON counts
    BEGIN SELECT RAISE(ABORT, 'rows of the count log are never removed'); END;
CREATE TRIGGER corrections_never_change BEFORE UPDATE ON corrections
    BEGIN SELECT RAISE(ABORT, 'rows of the count log are never changed'); END;
CREATE TRIGGER corrections_never_go BEFORE DELETE ON corrections
    BEGIN SELECT RAISE(ABORT, 'rows of the count log are never removed'); END;
)sql",
};

Expected<std::int64_t> PragmaValue(Database& database, const char* pragma) {
    Expected<Statement> query = database.Prepare(std::string("PRAGMA ") + pragma);
    if (!query) return tl::unexpected(query.error());
    const Expected<bool> row = query->Step();
    if (!row) return tl::unexpected(row.error());
    return *row ? query->Integer(0) : 0;
}

Expected<bool> HasTables(Database& database) {
    Expected<Statement> query = database.Prepare("SELECT count(*) FROM sqlite_schema");
    if (!query) return tl::unexpected(query.error());
    const Expected<bool> row = query->Step();
    if (!row) return tl::unexpected(row.error());
    return query->Integer(0) > 0;
}

// What this program may do with the database: nothing when it belongs to another
// program or to a newer version of this one.
Expected<std::int64_t> KnownVersion(Database& database) {
    const Expected<std::int64_t> application = PragmaValue(database, "application_id");
    if (!application) return application;
    const Expected<std::int64_t> version = PragmaValue(database, "user_version");
    if (!version) return version;
    if (*application != kApplicationId) {
        const Expected<bool> used = HasTables(database);
        if (!used) return tl::unexpected(used.error());
        if (*used || *application != 0) return Fail("it is a database of another program, not a count log");
        return 0;
    }
    if (*version > kLogSchemaVersion) {
        return Fail("it was written by a newer version of Tamrex (log version " + std::to_string(*version) +
                    ", this one knows up to " + std::to_string(kLogSchemaVersion) + ")");
    }
    return version;
}

}  // namespace

Outcome BringLogUpToDate(Database& database) {
    Expected<WriteTransaction> transaction = WriteTransaction::Begin(database);
    if (!transaction) return tl::unexpected(transaction.error());
    const Expected<std::int64_t> version = KnownVersion(database);
    if (!version) return tl::unexpected(version.error());
    if (*version == kLogSchemaVersion) return {};
    for (std::int64_t step = *version; step < kLogSchemaVersion; ++step) {
        if (Outcome done = database.Execute(kSteps[static_cast<std::size_t>(step)]); !done) return done;
    }
    const std::string stamp = "PRAGMA application_id = " + std::to_string(kApplicationId) +
                              "; PRAGMA user_version = " + std::to_string(kLogSchemaVersion);
    if (Outcome stamped = database.Execute(stamp.c_str()); !stamped) return stamped;
    return transaction->Commit();
}

Outcome CheckLogReadable(Database& database) {
    const Expected<std::int64_t> version = KnownVersion(database);
    if (!version) return tl::unexpected(version.error());
    if (*version == 0) return Fail("it holds no count yet");
    if (*version < kLogSchemaVersion) {
        return Fail("it is of an older version (" + std::to_string(*version) +
                    "): count one photo with logging on to bring it up to date");
    }
    return {};
}

}  // namespace tamrex
