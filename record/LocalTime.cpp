#include "record/LocalTime.h"

#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstdio>
#include <ctime>

#include <pwd.h>
#include <unistd.h>

namespace tamrex {
namespace {

std::string Format(std::time_t seconds) {
    std::tm local{};
    if (!::localtime_r(&seconds, &local)) return "?";
    char stamp[40];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &local);
    // strftime's %z gives "+0100"; ISO 8601 readers prefer "+01:00".
    const int offset = static_cast<int>(local.tm_gmtoff / 60) % (24 * 60);
    char zone[16];
    std::snprintf(zone, sizeof zone, "%c%02d:%02d", offset < 0 ? '-' : '+', std::abs(offset) / 60,
                  std::abs(offset) % 60);
    return std::string(stamp) + zone;
}

// Midnight of a local calendar day; mktime mends a day past the month's end, so that
// the day after 2024-12-31 is 2025-01-01.
std::int64_t LocalMidnightMs(int year, int month, int day) {
    std::tm midnight{};
    midnight.tm_year = year - 1900;
    midnight.tm_mon = month - 1;
    midnight.tm_mday = day;
    midnight.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&midnight)) * 1000;
}

bool ReadDate(std::string_view text, int& year, int& month, int& day) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    char tail = 0;
    const std::string copy(text);
    if (std::sscanf(copy.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &tail) != 3) return false;
    return month >= 1 && month <= 12 && day >= 1 && day <= 31 && year >= 1970;
}

// The account the program runs as, not getlogin(): a batch run from cron or a
// service has no terminal to ask.
std::string AccountName() {
    char buffer[1024];
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found) return found->pw_name;
    return "uid " + std::to_string(::geteuid());
}

std::string MachineName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "unknown";
    return name;
}

}  // namespace

Moment Now() {
    const auto now = std::chrono::system_clock::now();
    const std::int64_t ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    return {ms, Format(static_cast<std::time_t>(ms / 1000))};
}

std::string LocalTimeText(std::int64_t unixSeconds) { return Format(static_cast<std::time_t>(unixSeconds)); }

Expected<std::int64_t> DayBoundary(std::string_view day, bool nextDay) {
    int year = 0, month = 0, dayOfMonth = 0;
    if (day == "today" || day == "yesterday") {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        ::localtime_r(&now, &local);
        year = local.tm_year + 1900;
        month = local.tm_mon + 1;
        dayOfMonth = local.tm_mday - (day == "yesterday" ? 1 : 0);
    } else if (!ReadDate(day, year, month, dayOfMonth)) {
        return Fail("'" + std::string(day) + "' is no date: write it as YYYY-MM-DD, or 'today' or 'yesterday'");
    }
    return LocalMidnightMs(year, month, dayOfMonth + (nextDay ? 1 : 0));
}

std::string LoginName() {
    static const std::string name = AccountName();  // asked once: a look-up may read /etc/passwd
    return name;
}

std::string HostName() {
    static const std::string name = MachineName();
    return name;
}

}  // namespace tamrex
