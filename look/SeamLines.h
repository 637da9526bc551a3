#pragma once

#include "look/AlignedStack.h"
#include "look/GreyStrips.h"
#include "look/SecondLook.h"

#include <vector>

namespace tamrex {

// A seam of the straightened stack followed across the photo, one point per strip at
// the middle of the dark stretch the trace leads to, or at the trace itself where the
// seam does not show there (broken, faint, under a strap). `pitch` is the board pitch
// and `depth` a typical seam's depth, in rows and grey levels.
std::vector<SeamPoint> SeamLine(const GreyStrips& strips, const AlignedStack& stack, double referenceRow, double pitch,
                                double depth);

// An end of the stack followed across the photo: in each strip the steepest step in
// light near where the trace leads, or the trace itself where none is clear.
std::vector<SeamPoint> EndLine(const GreyStrips& strips, const AlignedStack& stack, double referenceRow, double pitch,
                               double depth);

}  // namespace tamrex
