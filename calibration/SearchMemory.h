#pragma once

#include "calibration/CalibrationGrid.h"

#include <cstdint>
#include <vector>

namespace tamrex {

struct PictureSize {
    int width = 0;
    int height = 0;
};

// What the search holds beside the grey copies of its photos: the scores of every
// setting of the grid, and for each thread the working state of one count of the
// largest photo at one threshold (the photo thresholded, its strip and the strip's
// pristine copy, the profiles of its rows, the counts of every setting and the lines
// each thickness split adds). A thread works on one photo at a time.
struct SearchMemory {
    std::uint64_t scores = 0;
    std::uint64_t perThread = 0;
};

SearchMemory SearchMemoryFor(const CalibrationGrid& grid, const std::vector<PictureSize>& photos);

// The threads the search runs on: as many as asked, but no more than the machine has
// cores (each thread computes all the time, so more would only hold more memory) and
// than the budget has room for beside the grey copies (`kept` bytes) and the scores; at
// least one, as a photo bigger than a batch's budget still runs alone.
unsigned SearchThreads(unsigned asked, unsigned cores, std::uint64_t budget, std::uint64_t kept,
                       const SearchMemory& memory);

}  // namespace tamrex
