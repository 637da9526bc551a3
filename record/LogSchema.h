#pragma once

#include "base/Expected.h"
#include "record/Sqlite.h"

namespace tamrex {

// The version of the count log's tables that this program writes (PRAGMA user_version).
inline constexpr int kLogSchemaVersion = 1;

// Brings a count log up to kLogSchemaVersion, one step per version in one transaction,
// so that two programs opening a new log at once set it up once. A new, empty file
// gets the tables; a log of an older version gets the steps since. A database of
// another program, or of a newer version of this one, is left as it is and refused.
Outcome BringLogUpToDate(Database& database);

// Whether a database opened for reading is a count log this program can read: its
// version is known and its tables there.
Outcome CheckLogReadable(Database& database);

}  // namespace tamrex
