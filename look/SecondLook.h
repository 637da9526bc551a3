#pragma once

#include "base/Expected.h"
#include "look/GreyStrips.h"
#include "look/PhotoFrame.h"

#include <FreeImage.h>

#include <optional>
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
    double height = 0;     // rows between the stack's ends in the middle of the stack
    std::vector<std::vector<SeamPoint>> seams{};   // each seam as followed, left to right; bottom seam first
    std::vector<SeamPoint> topEdge{}, bottomEdge{};  // the stack's ends, left to right; none past the frame
    // The stack runs past the edge of the photo (or of the frame given) there, so the
    // boards beyond it could not be counted.
    bool pastBottom = false, pastTop = false;

    bool PastFrame() const { return pastBottom || pastTop; }
};

// The thinnest board pitch (seam included) the second look can follow, in photo rows.
inline constexpr double kThinnestBoardRows = 3;

// What the second look is told besides the photo.
struct LookRequest {
    // The board pitch in photo rows that calibration learned, or 0 when there is none.
    // A strong hint: the count prefers it, but a photo at another scale whose seams
    // are clear counts at its own pitch.
    double thicknessPrior = 0;
    // Where the stack is, when a person has framed it: only what lies inside is read.
    std::optional<PhotoFrame> frame;
};

// Counts the boards of the stack in `photo` (as FreeImage decodes it: 24-bit colour or
// 8-bit grey read directly, anything else converted first). Finds the stack wherever
// it stands: where neighbouring strips of the photo show the same pattern of seams,
// on any background; follows its seams across it however it is tilted, bowed or seen
// at an angle; and counts the chain of seams that repeats at the board's pitch, so
// that texture finer or coarser than the boards (flutes, plies, the top of a sheet
// seen from above) is no seam. Reads a few short runs of pixels per strip of each
// scanline, so it costs a small share of decoding the photo. Fails with a sentence for
// a person ("no stack found: ...", "seams too faint to count: ...") saying what to
// do; the caller adds which photo it was.
Expected<SecondCount> LookAgain(FIBITMAP* photo, const LookRequest& request);

// The same from the photo's strips as already read (see SampleStrips), or the reason
// they could not be; the frame they were read in must be `request.frame`.
Expected<SecondCount> LookAgain(const Expected<GreyStrips>& strips, const LookRequest& request);

// The same without a frame.
inline Expected<SecondCount> LookAgain(FIBITMAP* photo, double thicknessPrior) {
    return LookAgain(photo, LookRequest{thicknessPrior, std::nullopt});
}

}  // namespace tamrex
