#pragma once

#include "cli/PhotoReport.h"

#include <string>

namespace tamrex::cli {

// {"file":…,"count":…,"passes":[…],"strip":[w,h],"ms":…} for a counted photo, with
// "error" beside the count when an output could not be written; {"file":…,"error":…}
// for one that was not counted. One line.
std::string JsonLine(const PhotoReport& report);

// "stack.jpg: count 21 (passes 20 0 0 0, strip 796x480, 9 ms)" for a counted photo.
std::string TextLine(const CountResult& result);

}  // namespace tamrex::cli
