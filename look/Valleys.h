#pragma once

#include <vector>

namespace tamrex {

// A dip in the profile where a seam may lie.
struct Valley {
    double position;  // in profile steps, between steps where the dip's middle falls
    double depth;     // grey levels below the lower of the two shoulders
    double width;     // steps below half the depth
};

// Every dip of the profile, one per dip, bottom-up. A dip's depth is measured from the
// lower of the highest levels within `reach` steps on either side, so a step between a
// light and a darker board is no dip, and light that falls off along the stack does
// not deepen one.
std::vector<Valley> FindValleys(const std::vector<double>& profile, double reach);

}  // namespace tamrex
