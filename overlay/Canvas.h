#pragma once

#include <FreeImage.h>

#include <cstdint>

namespace tamrex {

struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const Rgb&) const = default;
};

// A rectangle of pixels, rows counted bottom-up as the image library counts them.
struct Box {
    int left = 0, bottom = 0, width = 0, height = 0;
    int right() const { return left + width; }  // one past the last column
    int top() const { return bottom + height; }  // one past the last row
};

// Paints the part of the box that lies on a 24-bit picture; the rest is ignored.
void FillBox(FIBITMAP* picture, const Box& box, Rgb colour);

}  // namespace tamrex
