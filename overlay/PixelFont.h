#pragma once

#include "overlay/Canvas.h"

#include <string_view>

namespace tamrex {

// A 5 x 7 pixel font of printable ASCII, enough to label an overlay and caption an
// evidence picture without a font library. Each font pixel is drawn as a scale x scale
// square; characters are one font pixel apart.
int TextWidth(std::string_view text, int scale);
int TextHeight(int scale);

// Draws text on a 24-bit picture with the top-left corner of its first character
// at column `left`, bottom-up row `top` (the text's highest row). Bytes outside
// printable ASCII leave their place empty.
void DrawText(FIBITMAP* picture, std::string_view text, int left, int top, int scale, Rgb colour);

}  // namespace tamrex
