#pragma once

#include <cstddef>
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

// THRESHOLD every 2 levels from 2 to 254, ascending.
std::vector<int> SearchedThresholds();

// THRESHOLD as SearchedThresholds; BDLINE in 48 even steps up to the strip
// of the widest photo (a row cannot hold more dark pixels than that); PWIDTH from half
// to 1.6 times `boardRows`, the thickness of a board the photos show, but at least 1:
// every row, or 64 values spread evenly over a range wider than that. A thickness of 0, which turns the split off, is not tried:
// settings that need no split are rarely hurt by one, while a photo with a faint gap
// needs it. Thicknesses far from the boards' own only let the split make up for
// lines the passes doubled or missed, which does not carry over to other photos.
CalibrationGrid GridFor(int widestPhoto, int boardRows);

}  // namespace tamrex
