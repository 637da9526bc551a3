#pragma once

#include "look/SecondLook.h"
#include "look/SecondLookColumns.h"
#include "look/SecondLookEdges.h"

#include <vector>

namespace tamrex {

// Each seam of a count traced across the stack, one point per section: the middle of
// the dark stretch near where the edges say the seam runs, or that place itself where
// the seam does not show (broken, faint, under a strap). `seams` are in profile
// steps; `pitchRows` is the board pitch in photo rows and `seamDepth` a typical
// seam's depth in grey levels.
std::vector<std::vector<SeamPoint>> FollowSeams(const GreyColumns& columns, const StackEdges& edges,
                                                const std::vector<double>& seams, int steps, double pitchRows,
                                                double seamDepth);

// An edge of the stack as points, one per section the stack covers.
std::vector<SeamPoint> EdgeLine(const GreyColumns& columns, const StackEdges& edges, const EdgeCurve& edge);

}  // namespace tamrex
