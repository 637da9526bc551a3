#pragma once

#include <vector>

namespace tamrex {

// The board pitches (board and seam, in rows) worth counting the stack's seams at,
// for the chain of seams to choose from. From the profile between rows `first` and
// `last`: the shortest lag at which its autocorrelation peaks at least half as high
// as anywhere (like boards repeat as well at two or three pitches, and boards of
// uneven thickness repeat better there, so the shortest good lag stands for them all),
// then its half and its third (when every other seam is faint the profile repeats
// only at two pitches), then the median spacing of the deepest dips, which tells the
// pitch of a stack too short to repeat, and last `prior`, the calibrated pitch, when
// it is not 0. Pitches under three rows are left out: no seam could show between
// such boards.
std::vector<double> CandidatePitches(const std::vector<double>& profile, int first, int last, double prior);

}  // namespace tamrex
