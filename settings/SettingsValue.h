#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tamrex {

// A settings value turned into a 16-bit integer, or why it could not be.
struct ParsedValue {
    std::int16_t value = 0;
    std::string problem;  // "" on success, else e.g. "is not a number"
};

// Converts text such as " 12.5 " the way the settings file has always been read:
// blanks around the number ignored, an optional sign, a decimal fraction rounded
// to the nearest whole number with halves going to the even neighbour (12.5 gives
// 12, 13.5 gives 14), and a result within -32768..32767. Thousands separators,
// exponents and hexadecimal forms are refused rather than guessed at.
ParsedValue ParseSettingsValue(std::string_view text);

}  // namespace tamrex
