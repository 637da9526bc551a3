#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace tamrex {

// The lower median, so that of two values the smaller stands for both; 0 for none.
inline double LowerMedian(std::vector<double> values) {
    if (values.empty()) return 0;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>((values.size() - 1) / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

}  // namespace tamrex
