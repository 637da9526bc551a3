#pragma once

#include "look/Valleys.h"

#include <vector>

namespace tamrex {

// What a chain's scoring takes from the profile: the depth of a typical seam, the depth
// up to which a dip is as likely noise as a seam and so earns nothing, and how much a
// link may stray from the pitch before it costs what a seam earns.
struct SeamLook {
    double depth = 1, noise = 0;
    double width = 1;  // rows below half a typical seam's depth
    double spacingCost = 12;  // per squared share of a pitch that a link strays
};

// Measured on the dips between rows `first` and `last` for one pitch: the typical seam
// on as many of the deepest dips as the pitch says there are seams, the noise on the
// shallow ones, and the spacing cost. However clean the photo, a dip less than four
// grey levels or a twentieth of `boardLevel` deep is no seam.
SeamLook TypicalSeam(const std::vector<Valley>& valleys, int first, int last, double pitch, double boardLevel);

// What a link pays per squared share of `pitch` it strays, less as the clear seams
// (as deep and as wide as half of `seam`'s) lie unevenly: the edges of stacked sheets
// that are not flat lie so, and there every clear dip is a seam however far it lies
// from the next.
double SpacingCost(const std::vector<Valley>& valleys, int first, int last, double pitch, const SeamLook& seam);

// The seams a count settles on, in rows, and how well they fit.
struct SeamChain {
    std::vector<double> seams;   // bottom-up
    std::vector<double> depths;  // each seam's, in grey levels
    std::vector<double> widths;  // each seam's, in rows below half its depth
    std::vector<int> boards;     // boards between each seam and the next
    double score = 0;
};

// The best chain of seams at `pitch` among the dips between rows `first` and `last`,
// found by dynamic programming: it may start and end at any dip, so that texture and
// ground beyond the stack are left out. A chain earns each seam's depth beyond the
// noise (capped, so one dark seam cannot excuse a wrong spacing) and pays for every
// link whose length strays from a whole number of pitches; a link of two or three
// pitches counts that many boards and pays for each seam it passes over, so a seam too
// faint to see still counts when the spacing says it is there. Chains for different
// pitches compare by score: half the true pitch pays for a missing seam on every board,
// twice the true pitch leaves every other seam unearned.
SeamChain ChainOfSeams(const std::vector<Valley>& valleys, double first, double last, double pitch,
                       const SeamLook& seam);

}  // namespace tamrex
