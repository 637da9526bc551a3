#pragma once

#include "counting/BoardCounter.h"

#include <array>

namespace tamrex::fuzz {

// What must hold after the four passes, whatever the strip and the settings: the
// strip keeps its size, every profile stays within the strip's width and ends with
// a 0 above the top row, the search passes' profiles obey their minimum,
// saturation and gap repair, each pass counted exactly the runs of its profile, the
// line map is the union of the four profiles in whole rows, and neither the first
// strip (`firstStrip`, its copy from before the passes) nor any padding bit changed.
void CheckAfterPasses(const BoardCounter& counter, const std::array<int, 4>& passLines, FIBITMAP* firstStrip);

}  // namespace tamrex::fuzz
