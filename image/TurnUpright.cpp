#include "image/TurnUpright.h"

namespace tamrex {
namespace {

// FreeImage turns anticlockwise for positive angles; multiples of 90 are exact.
constexpr double kClockwise = -90;
constexpr double kAnticlockwise = 90;
constexpr double kHalfTurn = 180;

BitmapHandle Turned(FIBITMAP* photo, double degrees) { return BitmapHandle(FreeImage_Rotate(photo, degrees)); }

BitmapHandle Copied(FIBITMAP* photo) { return BitmapHandle(FreeImage_Clone(photo)); }

// Mirrors in place; keeps the null of a failed step before.
BitmapHandle Mirrored(BitmapHandle picture, BOOL (*flip)(FIBITMAP*)) {
    if (picture && !flip(picture.get())) picture.reset();
    return picture;
}

}  // namespace

BitmapHandle TurnUpright(FIBITMAP* photo, int orientation) {
    switch (orientation) {
        case 2: return Mirrored(Copied(photo), FreeImage_FlipHorizontal);
        case 3: return Turned(photo, kHalfTurn);
        case 4: return Mirrored(Copied(photo), FreeImage_FlipVertical);
        case 5: return Mirrored(Turned(photo, kClockwise), FreeImage_FlipHorizontal);
        case 6: return Turned(photo, kClockwise);
        case 7: return Mirrored(Turned(photo, kClockwise), FreeImage_FlipVertical);
        case 8: return Turned(photo, kAnticlockwise);
        default: return Copied(photo);
    }
}

}  // namespace tamrex
