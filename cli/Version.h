#pragma once

#include <string>

namespace tamrex::cli {

// "tamrex-count 0.1.0 (FreeImage 3.18.0)": the project's and the image library's versions.
std::string VersionText();

}  // namespace tamrex::cli
