#pragma once

#include <cstdint>

namespace tamrex {

// The three tuning values of a count, as the settings file gives them. They are
// 16-bit because that is the range the file format allows; the count run checks
// where a value outside its meaningful range cannot be used.
struct CounterSettings {
    std::int16_t bdLine = 0;     // dark pixels per strip row that make a line row
    std::int16_t threshold = 0;  // binarisation level, 0..255
    std::int16_t pWidth = 0;     // board thickness in pixel rows

    bool operator==(const CounterSettings&) const = default;
};

}  // namespace tamrex
