#pragma once

#include <QRect>

namespace tamrex {

// The layout was drawn in twips, 1/1440 inch: 15 to a pixel on a 96-dpi screen.
inline constexpr int kTwipsPerPixel = 15;

inline QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
                 height / kTwipsPerPixel);
}

}  // namespace tamrex
