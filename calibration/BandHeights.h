#pragma once

#include <FreeImage.h>

#include <vector>

namespace tamrex {

// The height of the strip a count run cuts from a grey photo at each of `thresholds`,
// 0 where it finds no stack band. Worked out from how many pixels of each row lie
// below each level, in one pass over the photo, rather than by thresholding it at
// every level: a calibration needs these heights before it searches.
std::vector<int> BandHeights(FIBITMAP* grey, const std::vector<int>& thresholds);

}  // namespace tamrex
