#pragma once

namespace tamrex::testing {

// std::lround, halves away from zero, as an inline cast: a library call per pixel
// would cost more than the drawing around it.
inline int RoundToInt(double value) { return static_cast<int>(value < 0 ? value - 0.5 : value + 0.5); }

}  // namespace tamrex::testing
