#pragma once

#include "base/Expected.h"
#include "look/SeamFlow.h"

#include <cstddef>

namespace tamrex {

// Where the stack lies: the strips its seams run through, and the rows of the largest
// patch of the photo in which neighbouring strips line up. The patch can take in more
// than the stack's face (the top of a sheet seen from above lines up too); the count
// finds the face within it.
struct StackRegion {
    std::size_t firstStrip = 0, lastStrip = 0;  // inclusive
    int bottom = 0, top = 0;                     // rows of the patch, inclusive, bottom-up
};

// Fails, saying so for a person, when nothing in the photo lines up across it as the
// seams of a stack do.
Expected<StackRegion> FindStackRegion(const SeamFlow& flow);

// Whether a step of rows of a pair of strips lines up as a stack's seams do: well
// matched, and with light and dark enough to be more than the noise of a blank wall.
bool LinesUp(const SeamFlow& flow, std::size_t pair, int step);

}  // namespace tamrex
