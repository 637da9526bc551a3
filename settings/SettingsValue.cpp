#include "settings/SettingsValue.h"

#include <cstdint>

namespace tamrex {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Whether the fraction's digits round the whole part away from zero, halves to even.
bool RoundsUp(std::string_view fraction, std::int64_t wholePart) {
    if (fraction.empty() || fraction.front() < '5') return false;
    if (fraction.front() > '5') return true;
    for (char digit : fraction.substr(1)) {
        if (digit != '0') return true;
    }
    return wholePart % 2 != 0;
}

constexpr std::int64_t kBeyondRange = 40000;  // any magnitude past this is out of range

}  // namespace

Expected<std::int16_t> ParseSettingsValue(std::string_view text) {
    std::string_view rest = Trimmed(text);
    if (rest.empty()) return Fail("is empty");
    bool negative = false;
    if (rest.front() == '+' || rest.front() == '-') {
        negative = rest.front() == '-';
        rest.remove_prefix(1);
    }
    std::int64_t wholePart = 0;
    std::size_t position = 0;
    for (; position < rest.size() && IsDigit(rest[position]); ++position) {
        if (wholePart < kBeyondRange) wholePart = wholePart * 10 + (rest[position] - '0');
    }
    const bool hasWholeDigits = position > 0;
    std::string_view fraction;
    if (position < rest.size() && rest[position] == '.') {
        const std::size_t fractionStart = ++position;
        while (position < rest.size() && IsDigit(rest[position])) ++position;
        fraction = rest.substr(fractionStart, position - fractionStart);
    }
    if (position != rest.size() || (!hasWholeDigits && fraction.empty())) return Fail("is not a number");
    std::int64_t magnitude = wholePart + (RoundsUp(fraction, wholePart) ? 1 : 0);
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < INT16_MIN || value > INT16_MAX) return Fail("is out of range (-32768 to 32767)");
    return static_cast<std::int16_t>(value);
}

}  // namespace tamrex
