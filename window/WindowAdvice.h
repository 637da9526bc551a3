#pragma once

#include <QString>

#include <string>

namespace tamrex {

// A message of the counting code, the way the window says it: advice that only the
// command line can follow (an option to raise a limit, another place to write to) becomes
// what the operator of the window can do.
QString ForTheWindow(const std::string& message);

}  // namespace tamrex
