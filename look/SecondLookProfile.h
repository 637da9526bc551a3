#pragma once

#include "look/SecondLookColumns.h"
#include "look/SecondLookEdges.h"

#include <vector>

namespace tamrex {

// The stack's grey level along its height, bottom-up, in `steps` even steps from its
// bottom edge to its top edge. Each column is resampled between its own two edges,
// so a seam that runs with the edges (tilt, bow, keystone) lies on one step in every
// column. Each step is the mean of the middle half of its column values: a strap,
// paint or a stretch where a seam is broken is outvoted instead of averaged in, as
// long as it covers less than a quarter of the columns.
std::vector<double> RectifiedProfile(const GreyColumns& columns, const StackEdges& edges, int steps);

// The photo row (continuous, bottom-up) of a point of a profile step in one column:
// `step` 0 is the centre of the bottom step.
double RowOfStep(const StackEdges& edges, double column, double step, int steps);

}  // namespace tamrex
