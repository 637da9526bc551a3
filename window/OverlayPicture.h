#pragma once

#include "base/Expected.h"
#include "counting/CountResult.h"

#include <QImage>

namespace tamrex {

// The counted photo read again with the lines of its count drawn over it, as the
// command line's --overlay draws it, with the same messages when it cannot be.
Expected<QImage> DrawOverlayPicture(const CountResult& result);

}  // namespace tamrex
