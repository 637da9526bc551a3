#pragma once

#include <cstddef>

namespace tamrex {

// The mean of the middle half of `count` values (their order is changed): a strap,
// paint or a stretch where a seam is broken is outvoted rather than averaged in, as
// long as it covers less than a quarter of them.
double MiddleHalfMean(float* values, std::size_t count);

}  // namespace tamrex
