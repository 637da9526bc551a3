#pragma once

#include "counting/CountResult.h"

#include <QImage>

namespace tamrex {

// The line map of a count drawn from its lines, pixel for pixel what the count run
// writes as test.bmp: black rows where a pass found a line, white elsewhere. Shown
// when the file could not be written, so that the count still comes with its map.
QImage LineMapImage(const CountResult& result);

}  // namespace tamrex
