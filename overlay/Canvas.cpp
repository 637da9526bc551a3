#include "overlay/Canvas.h"

#include <algorithm>

namespace tamrex {

void FillBox(FIBITMAP* picture, const Box& box, Rgb colour) {
    const int width = static_cast<int>(FreeImage_GetWidth(picture));
    const int height = static_cast<int>(FreeImage_GetHeight(picture));
    const int left = std::max(box.left, 0);
    const int right = std::min(box.right(), width);
    const int bottom = std::max(box.bottom, 0);
    const int top = std::min(box.top(), height);
    for (int y = bottom; y < top; ++y) {
        BYTE* pixel = FreeImage_GetScanLine(picture, y) + 3 * left;
        for (int x = left; x < right; ++x, pixel += 3) {
            pixel[FI_RGBA_RED] = colour.red;
            pixel[FI_RGBA_GREEN] = colour.green;
            pixel[FI_RGBA_BLUE] = colour.blue;
        }
    }
}

}  // namespace tamrex
