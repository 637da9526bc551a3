#include "calibration/BoxSums.h"

#include <algorithm>

namespace tamrex {
namespace {

std::int64_t WindowSum(const std::vector<std::int64_t>& line, int centre, int reach) {
    std::int64_t sum = 0;
    const int last = static_cast<int>(line.size()) - 1;
    for (int k = std::max(centre - reach, 0); k <= std::min(centre + reach, last); ++k) sum += line[k];
    return sum;
}

// A box sum is a sum along each axis in turn, as the box is the product of three spans.
void SumAlong(std::vector<std::int64_t>& values, const std::array<int, 3>& extents, int axis, int reach) {
    std::size_t outer = 1;
    for (int before = 0; before < axis; ++before) outer *= extents[before];
    std::size_t stride = 1;
    for (int after = axis + 1; after < 3; ++after) stride *= extents[after];
    const int length = extents[axis];
    std::vector<std::int64_t> line(length);
    for (std::size_t o = 0; o < outer; ++o) {
        for (std::size_t s = 0; s < stride; ++s) {
            const std::size_t first = o * length * stride + s;
            for (int i = 0; i < length; ++i) line[i] = values[first + i * stride];
            for (int i = 0; i < length; ++i) values[first + i * stride] = WindowSum(line, i, reach);
        }
    }
}

}  // namespace

std::vector<std::int64_t> BoxSums(std::vector<std::int64_t> values, const std::array<int, 3>& extents,
                                  const std::array<int, 3>& reach) {
    for (int axis = 0; axis < 3; ++axis) SumAlong(values, extents, axis, reach[axis]);
    return values;
}

}  // namespace tamrex
