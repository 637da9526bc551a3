#pragma once

#include <string_view>

namespace tamrex {

// Names in the order a person expects: runs of digits compared as numbers (photo_2 before
// photo_10), letters without regard to case; names equal that way fall back on their bytes,
// so that the order is total.
bool NaturallyBefore(std::string_view a, std::string_view b);

}  // namespace tamrex
