#pragma once

#include <FreeImage.h>

namespace tamrex {

// Whole-row pixel work on 1-bit bitmaps. Pixel x of a row is bit 7 - x % 8 of byte
// x / 8, index 1 is light and index 0 dark, rows are counted bottom-up. Only the
// columns asked for are read or written: the padding bits that end each scanline
// are never counted and never changed.

// Light pixels in columns [from, to) of row y; 0 when the range is empty.
int CountLightPixels(FIBITMAP* bitmap, int y, int from, int to);

// Dark pixels in columns [from, to) of row y; 0 when the range is empty.
int CountDarkPixels(FIBITMAP* bitmap, int y, int from, int to);

// Sets columns [0, width) of row y to light (index 1) or dark (index 0).
void FillRow(FIBITMAP* bitmap, int y, int width, bool light);

}  // namespace tamrex
