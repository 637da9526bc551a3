#pragma once

#include <vector>

namespace tamrex {

// The spacings, in profile steps, at which the profile may repeat from board to board,
// the likeliest first. The first is the shortest lag at which the profile's
// autocorrelation peaks nearly as high as anywhere: a pitch of like boards repeats as
// well at two or three pitches, and boards of uneven thickness repeat better there,
// so the shortest good lag stands for them all. When every other seam is faint the
// profile repeats only at two pitches, so a half, a third and a quarter of it follow,
// for the caller to try. None when the profile does not repeat, as for a stack of one
// or two boards.
std::vector<double> RepeatingPitches(const std::vector<double>& profile);

}  // namespace tamrex
