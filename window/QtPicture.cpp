#include "window/QtPicture.h"

namespace tamrex {

// The image library keeps 24-bit pixels as blue, green, red bytes and its rows bottom-up.
QImage ToQImage(FIBITMAP* picture) {
    const QImage view(FreeImage_GetBits(picture), static_cast<int>(FreeImage_GetWidth(picture)),
                      static_cast<int>(FreeImage_GetHeight(picture)),
                      static_cast<qsizetype>(FreeImage_GetPitch(picture)), QImage::Format_BGR888);
    return view.mirrored();  // a copy: the view dies with the bitmap
}

}  // namespace tamrex
