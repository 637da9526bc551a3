#pragma once

#include "look/GreyStrips.h"

#include <cstddef>
#include <vector>

namespace tamrex {

// How the rows of each strip continue into the next strip to the right. Seams run
// across the whole stack, so a strip's pattern of light and dark rows reappears in its
// neighbour, shifted a little where the stack is tilted, bowed or seen at an angle;
// texture beside the stack (ground, gravel, a wall) does not line up so. For every
// pair of neighbouring strips and every step of rows: the shift that lines the pair up
// best near that step, and how well it then lines up. A tall photo is compared in
// steps of two or more rows, which its seams are thick enough to show in.
struct SeamFlow {
    int steps = 0;          // of the photo's rows
    int rowsPerStep = 1;
    int reach = 0;          // steps either side of a step that its match is measured over
    std::size_t pairs = 0;  // one fewer than the strips
    std::vector<float> shift;      // steps to add to a step of strip k to find it in strip k + 1
    std::vector<float> coherence;  // the match, from -1 to 1: 1 is the same pattern of seams
    std::vector<float> energy;     // how much the rows change there, in squared grey levels per step

    std::size_t At(std::size_t pair, int step) const { return pair * static_cast<std::size_t>(steps) + step; }
};

// Compares every pair of neighbouring strips step by step, trying shifts up to about
// eight degrees of tilt.
SeamFlow FlowBetween(const GreyStrips& strips);

}  // namespace tamrex
