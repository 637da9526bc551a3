#pragma once

#include "image/Bitmap.h"

namespace tamrex {

// A new picture turned and mirrored the way EXIF orientation 2 to 8 asks, so that it is
// upright as every viewer shows it; see ExifOrientation.h. Orientation 1 needs no new
// picture: callers keep the photo they have. Given 1 or a value outside 1 to 8, it
// returns an unchanged copy. Null when there is not enough memory for the new picture.
BitmapHandle TurnUpright(FIBITMAP* photo, int orientation);

}  // namespace tamrex
