#pragma once

#include <string_view>

namespace tamrex {

// How a camera or phone says its photo must be turned to be upright: 1 as stored,
// 2 mirrored, 3 upside down, 4 mirrored upside down, 5 to 8 turned by a quarter
// (6: turn clockwise, 8: anticlockwise; 5 and 7 also mirrored), as every viewer reads it.
inline constexpr int kUprightAsStored = 1;

// Reads the orientation of the main picture (IFD0) from an APP1 EXIF payload, the
// bytes from "Exif\0\0" on that ReadJpegStructure found. Gives 1 when the payload has
// none or one outside 1 to 8. Crafted EXIF (entry counts beyond the data, offsets out
// of bounds, loops between directories) gives 1 or the value it holds, never a crash:
// libexif bounds every read, and the image library's own EXIF reader is never used.
int ReadExifOrientation(std::string_view exifPayload);

}  // namespace tamrex
