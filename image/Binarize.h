#pragma once

#include "image/Bitmap.h"

namespace tamrex {

// Exactly the picture FreeImage_Threshold(photo, level) gives: index 0 where the
// grey level is below `level`, 1 elsewhere, the same palette and resolution. For the
// 24-bit colour and 8-bit grey pictures a JPEG decodes to, it works in one pass a row
// at a time instead of through a whole grey copy of the photo, which would cost a
// third of the photo's memory again. Null when memory runs out.
BitmapHandle ThresholdPhoto(FIBITMAP* photo, BYTE level);

}  // namespace tamrex
