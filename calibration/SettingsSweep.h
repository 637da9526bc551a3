#pragma once

#include "counting/BoardCounter.h"

#include <vector>

namespace tamrex {

// The narrowest and the widest stretch of strip rows between neighbouring lines of a
// count, from line centre to line centre, the strip's outer edges (rows -0.5 and
// height - 0.5) closing the first and the last. On a count that found every gap and
// no more, both are close to one board.
struct GapSpan {
    double narrowest = 0;
    double widest = 0;
};

struct SweptCount {
    int count = 0;       // boards: lines found + 1
    int splitLines = 0;  // of those lines, the ones pass 4 added
    GapSpan gaps;        // between the lines of all four passes
};

// Counts one photo under many settings at once, sharing what the settings share:
// the threshold alone decides the binarised photo and its band, THRESHOLD and
// BDLINE alone decide passes 1 to 3, and pass 4 sees only the lines those found.
// Each count is the one a full count run gives for the same settings.
class SettingsSweep {
public:
    // `grey` is the photo in 8-bit grey; thresholding it gives the same picture as
    // thresholding the photo as loaded.
    explicit SettingsSweep(FIBITMAP* grey) : grey_(grey) {}

    // Counts for every pair of bdLines[b] and pWidths[p] at this threshold, at
    // counts[b * pWidths.size() + p]. False, with no counts, when the photo has no
    // stack band at this threshold. Throws std::bad_alloc when memory runs out.
    bool CountAt(int threshold, const std::vector<int>& bdLines, const std::vector<int>& pWidths,
                 std::vector<SweptCount>& counts);

    // The strip height of the last threshold counted at.
    int StripHeight() const { return counter_.imgHeight; }

private:
    bool CutBand(int threshold);
    int LinesOfFirstThreePasses(int bdLine);
    void SplitLinesFound(const std::vector<int>& pWidths, std::vector<int>& splitLines);

    FIBITMAP* grey_;
    BoardCounter counter_;
    // Pass 4 on a line map one column wide: it only asks whether a row holds any
    // light pixel, which every row of a line map answers the same across its width.
    BoardCounter splitter_;
    // The centres of the lines pass 4 added, for each thickness of the last split.
    std::vector<std::vector<double>> splitCentres_;
};

}  // namespace tamrex
