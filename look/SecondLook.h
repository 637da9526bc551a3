#pragma once

#include "base/Expected.h"

#include <FreeImage.h>

#include <vector>

namespace tamrex {

// A point on the photo in pixel coordinates: pixel centres at whole numbers, rows
// counted bottom-up as FreeImage numbers them (row 0 is the bottom scanline).
struct SeamPoint {
    double column;
    double row;
};

// The second look at a photo: a count of its boards from the grey levels alone,
// independent of the count of the rules and reported beside it, never in its place.
struct SecondCount {
    int boards = 0;
    double thickness = 0;  // the board pitch (board plus seam) it settled on, in photo rows
    std::vector<std::vector<SeamPoint>> seams;   // each seam as followed, left to right; bottom seam first
    std::vector<SeamPoint> topEdge, bottomEdge;  // the stack's edges, left to right
};

// The thinnest board pitch (seam included) the second look can follow, in photo rows.
inline constexpr double kThinnestBoardRows = 3;

// Counts the boards of the stack in `photo` (as FreeImage decodes it: 24-bit colour or
// 8-bit grey read directly, anything else converted first). `thicknessPrior` is the
// board pitch in photo rows that calibration learned, or 0 when there is none; the
// count lets the pitch adapt to the photo either way, and refuses a pitch below three
// rows. Reads at most 128 short runs of pixels per scanline, so it costs a small share
// of decoding the photo. Fails with a sentence for a person when the photo shows no
// stack, or no seams and no pitch is given; the caller adds which photo it was.
Expected<SecondCount> LookAgain(FIBITMAP* photo, double thicknessPrior);

}  // namespace tamrex
