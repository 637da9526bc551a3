#pragma once

#include "look/GreyStrips.h"
#include "look/SeamFlow.h"
#include "look/StackRegion.h"

#include <cstddef>
#include <vector>

namespace tamrex {

// The stack straightened: every row of a reference strip in its middle followed across
// the strips from one to the next as the flow says the seams run, so that a seam lies
// on one reference row in every strip however the stack is tilted, bowed or seen at an
// angle. Rows are those of the reference strip, bottom-up.
struct AlignedStack {
    std::size_t firstStrip = 0;
    std::vector<std::vector<double>> rowOf;  // per strip from firstStrip: its row at each reference row
    std::vector<double> profile;             // per reference row: the grey level across the stack
    std::vector<double> rowScore;            // per reference row: share of the strips that line up there

    // The row of `strip` (an index into the photo's strips) on which `referenceRow`
    // runs, between whole rows.
    double RowIn(std::size_t strip, double referenceRow) const;
};

// Each row's level is the mean of the middle half of the strips' levels, so a strap,
// paint or a stretch where a seam is broken is outvoted rather than averaged in.
AlignedStack AlignStack(const GreyStrips& strips, const SeamFlow& flow, const StackRegion& region);

// The tallest run of reference rows on which most strips line up, with gaps of up to
// `longestGap` rows bridged: [first, last].
struct RowSpan {
    int first = 0, last = -1;
};
RowSpan StackRows(const AlignedStack& stack, int longestGap);

}  // namespace tamrex
