#pragma once

#include <FreeImage.h>
#include <QImage>

namespace tamrex {

// A copy of a 24-bit picture of the image library, for Qt to show; null when memory runs out.
QImage ToQImage(FIBITMAP* picture);

}  // namespace tamrex
