#pragma once

#include "counting/BoardCounter.h"

namespace tamrex::fuzz {

// What band detection must have done with `picture`, judged from the picture's own
// pixels: whether a band was found, the row profile, both crop edges, and a strip
// (and first strip) holding exactly the band's pixels without the four left columns.
void CheckBand(const BoardCounter& counter, FIBITMAP* picture, bool found);

}  // namespace tamrex::fuzz
