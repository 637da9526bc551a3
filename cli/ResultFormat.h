#pragma once

#include "cli/PhotoReport.h"

#include <string>

namespace tamrex::cli {

// {"file":…,"count":…,"passes":[…],"strip":[w,h],"ms":…,"height_boards":20.6,"flags":[…]}
// for a counted photo ("height_boards" only when the strip could be measured in boards),
// with "error" beside the count when an output could not be written;
// {"file":…,"error":…} for one that was not counted. One line.
std::string JsonLine(const PhotoReport& report);

// "stack.jpg: count 21 (passes 20 0 0 0, strip 796x480, 9 ms) height 20.6 boards;
// check: count-off-height" for a counted photo; the check's flags only when it raised any.
std::string TextLine(const CountResult& result);

// The check on a count as a report's fields: the height in boards with one decimal
// ("" without one), and the flag codes joined by ";" ("" when the count looks regular).
std::string HeightBoardsField(const CountResult& result);
std::string FlagsField(const CountResult& result);
// The second look's count for a CSV field, empty when it has none; and why it has none,
// empty when it has one.
std::string SecondCountField(const CountResult& result);
std::string SecondLookErrorField(const CountResult& result);

}  // namespace tamrex::cli
