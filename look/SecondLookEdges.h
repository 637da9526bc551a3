#pragma once

#include "base/Expected.h"
#include "look/SecondLookColumns.h"
#include "look/SecondLookCurve.h"

#include <cstddef>

namespace tamrex {

// The stack's bottom and top edges across the photo, in continuous rows (pixel row r
// spans [r, r + 1), bottom-up), and the sampled columns it covers.
struct StackEdges {
    EdgeCurve bottom, top;
    std::size_t firstColumn = 0, lastColumn = 0;  // sampled columns [first, last)

    double HeightAt(double column) const { return top.At(column) - bottom.At(column); }
};

// Finds the stack in each vertical section and fits smooth curves through the
// sections' edges, dropping sections that disagree (a strap, a jutting board, a
// section beside the stack). Fails when too few sections agree on a stack.
Expected<StackEdges> FindStackEdges(const GreyColumns& columns);

}  // namespace tamrex
