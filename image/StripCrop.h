#pragma once

#include "image/Bitmap.h"

namespace tamrex {

// The same picture FreeImage_Copy(picture, left, topDownFirst, width, topDownEnd)
// gives for a 1-bit picture, built a byte at a time instead of a pixel at a time:
// columns left..width-1 and bottom-up rows firstRow..endRow-1, palette included.
BitmapHandle CropOneBitPicture(FIBITMAP* picture, int left, int firstRow, int endRow);

}  // namespace tamrex
