#pragma once

#include "calibration/Calibrate.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tamrex {

// Settings that count the known photos can still be of little use on the next ones:
// when they count some known photos wrong, when hardly any other setting counts them as
// well (they were fitted by luck), when the settings around them count few photos
// exactly (a little more or less light throws the count) or when their lines are far
// from one board apart (the totals came out right by chance). One sentence for each, for
// a person, saying what to do; none when the settings look sound. `photos` is the
// number of photos the search ran on.
std::vector<std::string> CalibrationWarnings(const Calibration& calibration, std::size_t photos);

// Below these the settings are doubted.
inline constexpr std::size_t kFewestFittingSettings = 10;
inline constexpr double kLeastNeighbourhoodExact = 0.5;
// Above this the lines are doubted: a gap of half a board too wide or too narrow.
inline constexpr double kMostGapDeviation = 0.5;

}  // namespace tamrex
