#pragma once

#include <string>

namespace tamrex::cli {

// "tamrex-count 0.1.0 (FreeImage 3.18.0, window built with Qt 6.4.2)": the project's version,
// the image library's, and that of the Qt the window was built with.
std::string VersionText();

}  // namespace tamrex::cli
