#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace tamrex {

// For every cell of a grid of three axes (laid out as ScoreGrid lays it out, the last
// axis varying fastest), the sum of `values` over the box of cells within reach[axis]
// positions of it along each axis. Positions past the grid's edge add nothing.
std::vector<std::int64_t> BoxSums(std::vector<std::int64_t> values, const std::array<int, 3>& extents,
                                  const std::array<int, 3>& reach);

}  // namespace tamrex
