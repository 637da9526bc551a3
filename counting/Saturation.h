#pragma once

namespace tamrex {

// A row count above factor x width stands for the whole width. The limit is the
// double-precision product with the double nearest the factor and the test is
// strict, so 63 dark pixels saturate a row 90 wide (0.7 x 90 = 62.99999999999999).
// Kept in floating point on purpose: integer rewrites disagree on such ties.
inline int Saturate(int count, int width, double factor) {
    return static_cast<double>(count) > static_cast<double>(width) * factor ? width : count;
}

}  // namespace tamrex
