#pragma once

#include <vector>

namespace tamrex {

// The settings a calibration tries: every combination of one value from each list,
// each list ascending.
struct CalibrationGrid {
    std::vector<int> thresholds;
    std::vector<int> bdLines;
    std::vector<int> pWidths;

    std::size_t size() const { return thresholds.size() * bdLines.size() * pWidths.size(); }
};

// What the grid is fitted to: the size of a photo and its known board count.
struct PhotoExtent {
    int width = 0;
    int height = 0;
    int boards = 0;
};

// THRESHOLD every 2 levels from 2 to 254; BDLINE in 48 even steps up to the widest
// strip (a row cannot hold more dark pixels than that); PWIDTH from 1 up to the
// thickest a board could be, every row or, beyond 48 values, in 48 even steps. The
// photos of one station show one kind of board, so no board is thicker than the
// least of the photo heights over their board counts. A thickness of 0, which turns the
// split off, is not tried: settings that need no split are rarely hurt by one,
// while a photo with a faint gap needs it.
CalibrationGrid GridFor(const std::vector<PhotoExtent>& photos);

}  // namespace tamrex
