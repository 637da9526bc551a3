#pragma once

#include "base/Expected.h"

#include <cstdint>
#include <string_view>

namespace tamrex {

// Converts text such as " 12.5 " the way the settings file has always been read:
// blanks around the number ignored, an optional sign, a decimal fraction rounded
// to the nearest whole number with halves going to the even neighbour (12.5 gives
// 12, 13.5 gives 14), and a result within -32768..32767. Thousands separators,
// exponents and hexadecimal forms are refused rather than guessed at. The failure
// completes a sentence about the value: "is not a number".
Expected<std::int16_t> ParseSettingsValue(std::string_view text);

}  // namespace tamrex
