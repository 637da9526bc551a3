#pragma once

#include "look/SecondLook.h"
#include "overlay/Canvas.h"

#include <vector>

namespace tamrex {

// Draws a polyline through points in photo pixels (rows bottom-up, as the image library
// counts them) on a 24-bit picture as dashes `thickness` pixels thick: three thicknesses
// on, two off, so that a seam drawn over a gap line of the count still shows both.
void DrawDashes(FIBITMAP* picture, const std::vector<SeamPoint>& points, Rgb colour, int thickness);

}  // namespace tamrex
