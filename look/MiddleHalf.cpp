#include "look/MiddleHalf.h"

#include <algorithm>

namespace tamrex {

double MiddleHalfMean(float* values, std::size_t count) {
    if (count == 0) return 0;
    const std::size_t from = count / 4, to = count - count / 4;
    std::nth_element(values, values + from, values + count);
    std::nth_element(values + from, values + to - 1, values + count);
    double sum = 0;
    for (std::size_t index = from; index < to; ++index) sum += values[index];
    return sum / static_cast<double>(to - from);
}

}  // namespace tamrex
