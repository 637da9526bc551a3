#pragma once

#include "base/Expected.h"

#include <vector>

namespace tamrex {

// The stack's boards counted along its straightened profile, in reference rows
// (bottom-up).
struct BoardCount {
    int boards = 0;
    double pitch = 0;            // board and seam, in rows
    double seamDepth = 0;        // a typical seam's, in grey levels
    std::vector<double> seams;   // every seam between two boards, bottom-up: those seen and those the spacing infers
    double bottom = 0, top = 0;  // the stack's ends, or the photo's edge where the stack runs past it
    bool pastBottom = false, pastTop = false;
};

// Where the stack's rows lie in the profile, and whether they reach its ends.
struct StackSpan {
    int first = 0, last = 0;
    bool pastBottom = false, pastTop = false;
};

// Counts the boards of the stack that spans `span` of `profile`: the chain of seams at
// the best of the candidate pitches, then the boards beyond its outermost seams up to
// the stack's ends (the strongest step in light there) or, where the stack runs past
// the photo, up to the photo's edge, where a board cut off by the edge counts when
// most of it shows. `prior` is the calibrated pitch, or 0: a strong hint, preferred
// whenever its chain is not far worse than the best, never a cage. Fails with a
// sentence for a person when no seams can be counted.
Expected<BoardCount> CountBoards(const std::vector<double>& profile, const StackSpan& span, double prior);

}  // namespace tamrex
