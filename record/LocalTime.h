#pragma once

#include "base/Expected.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tamrex {

// An instant as the log keeps it: milliseconds since 1970 UTC, to sort and filter by,
// and the local time with its offset from UTC, as a person reads it and as it was on
// the clock of the station ("2024-12-07T10:15:00+01:00").
struct Moment {
    std::int64_t unixMs = 0;
    std::string local;
};

Moment Now();

// The local time of an instant given in seconds since 1970 UTC, in the form above.
std::string LocalTimeText(std::int64_t unixSeconds);

// The start of a day of the local calendar, in milliseconds since 1970 UTC, from
// "YYYY-MM-DD", "today" or "yesterday"; `nextDay` gives the start of the day after, so
// that "until 2024-12-07" takes in the whole of that day. The failure says what is
// taken.
Expected<std::int64_t> DayBoundary(std::string_view day, bool nextDay);

// Who counted and where: the login name of the user the program runs as, and the
// machine's host name; "uid 1000" or "unknown" when the system cannot say.
std::string LoginName();
std::string HostName();

}  // namespace tamrex
