#pragma once

#include "base/Expected.h"
#include "counting/CountResult.h"

#include <QImage>

namespace tamrex {

// The photo of a count read again at full resolution, exactly as the count saw it, for the
// review window; a failure when it cannot be read or is no longer the photo that was counted.
Expected<QImage> LoadCountedPhoto(const CountResult& count);

}  // namespace tamrex
