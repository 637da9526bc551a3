#pragma once

#include "look/SecondLookValleys.h"

#include <vector>

namespace tamrex {

// The seams a count settles on, in profile steps, and the pitch that fits them.
struct SeamChain {
    std::vector<double> seams;  // bottom-up, each the position of a valley
    int boards = 0;
    double pitch = 0;  // steps from one seam to the next
    double score = 0;  // how well the seams and their spacing fit, to compare chains
};

// What the chain's scoring takes from the photo: the depth and width of a typical seam,
// and the depth up to which a dip is as likely noise as a seam and so earns nothing.
struct SeamLook {
    double depth, width, noise;
};

// Measured on as many of the deepest valleys as the pitch says there are seams; the
// noise on the shallow dips, most of which noise makes. However clean the photo, a dip
// less than a twentieth of `boardLevel` deep is no seam, so a stack without visible
// seams earns nothing from its noise.
SeamLook TypicalSeam(const std::vector<Valley>& valleys, int steps, double pitch, double boardLevel);

// The best chain of seams from the stack's bottom edge to its top edge, found by
// dynamic programming over the valleys for each of the candidate `pitches`.
//
// A chain earns each of its seams' depth beyond the noise (capped, so one dark seam
// cannot excuse a wrong spacing) and pays for every link whose length strays from a
// whole number of pitches. A link of two or three pitches counts that many boards and
// pays for each seam it passes over, so a seam too faint to see, even the one under
// the top board, still counts when the spacing says it is there. From each candidate
// the pitch follows the chain's count until the count settles, so a pitch a few
// percent off does not add or lose a board; then a board more or less is tried.
//
// All chains are scored against the same seams, so they compare whatever their pitch:
// half the true pitch pays for a missing seam on every board, twice the true pitch
// leaves every other seam unearned. `steps` is the profile's length; its edges lie
// half a step outside its first and last steps.
SeamChain ChainOfSeams(const std::vector<Valley>& valleys, int steps, const std::vector<double>& pitches,
                       const SeamLook& seam);

}  // namespace tamrex
