#pragma once

#include <vector>

namespace tamrex {

// One entry per strip row, bottom-up, plus the entry just above the top row that
// every upward walk stops at. Never fewer than 577 entries, so pictures of up to
// 576 rows see exactly the classic fixed-size arrays.
using Profile = std::vector<int>;

inline constexpr int kMinProfileEntries = 577;

}  // namespace tamrex
