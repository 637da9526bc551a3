#include "calibration/BandHeights.h"

#include "counting/Saturation.h"

#include <array>
#include <cstdlib>

namespace tamrex {
namespace {

constexpr int kSkippedColumns = 4;  // left out of the band's row counts, as the count run does
constexpr double kSaturatedShare = 0.7;

// darkBelow[row][level]: the pixels of the row, right of the skipped columns, darker than level.
using DarkBelow = std::vector<std::array<int, 257>>;

DarkBelow DarkBelowEachLevel(FIBITMAP* grey, int width, int height) {
    DarkBelow dark(static_cast<std::size_t>(height));
    for (int row = 0; row < height; ++row) {
        std::array<int, 257>& below = dark[row];
        below.fill(0);
        const BYTE* pixels = FreeImage_GetScanLine(grey, row);
        for (int column = kSkippedColumns; column < width; ++column) ++below[pixels[column] + 1];
        for (int level = 1; level <= 256; ++level) below[level] += below[level - 1];
    }
    return dark;
}

// The band rule of the count run: the rows between the mostly dark rows at the bottom
// and at the top, the top one of them left out.
int BandHeightAt(const DarkBelow& dark, int width, int level) {
    const int height = static_cast<int>(dark.size());
    const auto saturated = [&](int row) { return Saturate(dark[row][level], width, kSaturatedShare) == width; };
    int bottom = 0;
    while (bottom < height && saturated(bottom)) ++bottom;
    int top = height - 1;
    while (top > 0 && saturated(top)) --top;
    return bottom == top ? 0 : std::abs(top - bottom);
}

}  // namespace

std::vector<int> BandHeights(FIBITMAP* grey, const std::vector<int>& thresholds) {
    const int width = static_cast<int>(FreeImage_GetWidth(grey));
    const int height = static_cast<int>(FreeImage_GetHeight(grey));
    std::vector<int> heights(thresholds.size(), 0);
    if (width <= kSkippedColumns) return heights;
    const DarkBelow dark = DarkBelowEachLevel(grey, width, height);
    for (std::size_t t = 0; t < thresholds.size(); ++t) heights[t] = BandHeightAt(dark, width, thresholds[t]);
    return heights;
}

}  // namespace tamrex
