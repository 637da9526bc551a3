#include "calibration/BoxSums.h"

#include <gtest/gtest.h>

namespace tamrex {
namespace {

// The sum straight from its definition, one cell at a time.
std::int64_t SumAround(const std::vector<std::int64_t>& values, const std::array<int, 3>& extents,
                       const std::array<int, 3>& reach, int t, int b, int p) {
    std::int64_t sum = 0;
    for (int i = t - reach[0]; i <= t + reach[0]; ++i)
        for (int j = b - reach[1]; j <= b + reach[1]; ++j)
            for (int k = p - reach[2]; k <= p + reach[2]; ++k) {
                if (i < 0 || j < 0 || k < 0 || i >= extents[0] || j >= extents[1] || k >= extents[2]) continue;
                sum += values[(static_cast<std::size_t>(i) * extents[1] + j) * extents[2] + k];
            }
    return sum;
}

TEST(BoxSums, SumsEveryBoxAsItsDefinitionDoesWithNothingPastTheEdges) {
    const std::array<int, 3> extents{5, 4, 6};
    std::vector<std::int64_t> values(5 * 4 * 6);
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = static_cast<std::int64_t>((i * 7919) % 13);
    for (const std::array<int, 3>& reach : {std::array<int, 3>{0, 0, 0}, {1, 2, 1}, {2, 0, 7}, {9, 9, 9}}) {
        const std::vector<std::int64_t> sums = BoxSums(values, extents, reach);
        for (int t = 0; t < 5; ++t)
            for (int b = 0; b < 4; ++b)
                for (int p = 0; p < 6; ++p)
                    ASSERT_EQ(sums[(static_cast<std::size_t>(t) * 4 + b) * 6 + p],
                              SumAround(values, extents, reach, t, b, p))
                        << "at " << t << "," << b << "," << p << " with reach " << reach[0] << "," << reach[1]
                        << "," << reach[2];
    }
}

}  // namespace
}  // namespace tamrex
