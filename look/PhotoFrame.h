#pragma once

#include "base/Expected.h"

#include <optional>

#include <string>
#include <string_view>

namespace tamrex {

// A rectangle of the upright photo as a person gives it: pixels from the left edge and
// from the top edge, then width and height.
struct PhotoFrame {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const PhotoFrame&) const = default;
};

// "X,Y,W,H", as the frame is written in a settings file and on the command line.
std::string FrameText(const PhotoFrame& frame);

// Reads "X,Y,W,H": four whole numbers, X and Y not negative, W and H above 0, blanks
// around each allowed. Fails with what is wrong, for a person.
Expected<PhotoFrame> ParseFrame(std::string_view text);

// The part of the photo the second look reads, in the photo's own numbering: columns
// from the left, rows bottom-up as FreeImage counts them.
struct PhotoArea {
    int left = 0, bottom = 0, width = 0, height = 0;
};

// The frame in the photo's own numbering, cut to a photo of `width` x `height`; the
// whole photo when there is no frame. Fails, for a person, when the frame misses it.
Expected<PhotoArea> AreaOnPhoto(int width, int height, const std::optional<PhotoFrame>& frame);

}  // namespace tamrex
