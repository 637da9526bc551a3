#pragma once

#include "counting/CountResult.h"

#include <string>

namespace tamrex::cli {

// {"file":…,"count":…,"passes":[…],"strip":[w,h],"ms":…} or {"file":…,"error":…}; one line.
std::string JsonLine(const CountResult& result);

// "stack.jpg: count 21 (passes 20 0 0 0, strip 796x480, 9 ms)" for a counted photo.
std::string TextLine(const CountResult& result);

}  // namespace tamrex::cli
