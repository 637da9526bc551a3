#include "window/NaturalOrder.h"

#include <cctype>

namespace tamrex {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Takes the run of digits at the front of `text`, without its leading zeros.
std::string_view TakeNumber(std::string_view& text) {
    std::size_t end = 0;
    while (end < text.size() && IsDigit(text[end])) ++end;
    std::string_view number = text.substr(0, end);
    text.remove_prefix(end);
    while (number.size() > 1 && number.front() == '0') number.remove_prefix(1);
    return number;
}

// Negative, 0 or positive as a comes before, with or after b.
int Compare(std::string_view a, std::string_view b) {
    while (!a.empty() && !b.empty()) {
        if (IsDigit(a.front()) && IsDigit(b.front())) {
            const std::string_view x = TakeNumber(a), y = TakeNumber(b);
            if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
            if (const int digits = x.compare(y); digits != 0) return digits;
            continue;
        }
        const char x = Lower(a.front()), y = Lower(b.front());
        if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
        a.remove_prefix(1);
        b.remove_prefix(1);
    }
    return a.empty() == b.empty() ? 0 : (a.empty() ? -1 : 1);
}

}  // namespace

bool NaturallyBefore(std::string_view a, std::string_view b) {
    const int natural = Compare(a, b);
    return natural != 0 ? natural < 0 : a < b;
}

}  // namespace tamrex
