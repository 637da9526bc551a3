#pragma once

#include <string>

namespace tamrex::cli {

// "tamrex-count 0.1.0 (FreeImage 3.18.0, window built with Qt 6.4.2)": the project's version,
// the image library's, and that of the Qt the window was built with.
std::string VersionText();

// "0.1.0": the version alone, as the count log keeps it.
std::string ProgramVersion();

}  // namespace tamrex::cli
