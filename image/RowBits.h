#pragma once

#include <FreeImage.h>

namespace tamrex {

// Whole-row pixel work on 1-bit bitmaps. Pixel x of a row is bit 7 - x % 8 of byte
// x / 8, index 1 is light and index 0 dark, rows are counted bottom-up. Only the
// columns asked for are read or written: the padding bits that end each scanline
// are never counted and never changed.

// Where the rows of a bitmap lie, looked up once for a whole stage: the image
// library's own look-up of a row costs some two hundred instructions.
class OneBitRows {
public:
    explicit OneBitRows(FIBITMAP* bitmap) : bits_(FreeImage_GetBits(bitmap)), pitch_(FreeImage_GetPitch(bitmap)) {}
    BYTE* Row(int y) const { return bits_ + pitch_ * static_cast<unsigned>(y); }

private:
    BYTE* bits_;
    unsigned pitch_;
};

// Light pixels in columns [from, to) of row y; 0 when the range is empty.
int CountLightPixels(const OneBitRows& rows, int y, int from, int to);

// Dark pixels in columns [from, to) of row y; 0 when the range is empty.
int CountDarkPixels(const OneBitRows& rows, int y, int from, int to);

// Sets columns [0, width) of row y to light (index 1) or dark (index 0).
void FillRow(const OneBitRows& rows, int y, int width, bool light);

}  // namespace tamrex
