#pragma once

#include "image/Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tamrex::fuzz {

// What one input of the stages fuzzer asks for. Bytes, little-endian, missing ones 0:
//   0     bit 0 set: the picture goes through band detection; clear: it is the strip
//   1..2  width  = 1 + value % 300
//   3..4  height = 1 + value % 700
//   5..6  bdLine (int16)
//   7..8  pWidth (int16)
//   9..   one byte per row, bottom-up, repeated cyclically up to the height:
//         top two bits the kind, low six bits n (0..63)
//           0 light   1 dark   2 the leftmost n/63 of the width dark
//           3 noise, each pixel dark with a chance of n/63
// So a short input still makes a tall picture of stacked row patterns, which is
// what the passes look for, and every byte stays meaningful to the mutator.
struct StageInput {
    bool throughBand = false;
    int width = 1;
    int height = 1;
    std::int16_t bdLine = 0;
    std::int16_t pWidth = 0;
    std::vector<std::uint8_t> rowKinds;
};

StageInput ReadStageInput(const std::uint8_t* data, std::size_t size);

// The picture the input describes: palette index 0 black, 1 white, and the bits
// past each row's last pixel all light or all dark.
BitmapHandle DrawPicture(const StageInput& input, bool lightPadding);

}  // namespace tamrex::fuzz
