#include "fuzz/ScratchFolder.h"

#include "fuzz/FuzzCheck.h"

#include <cstdlib>
#include <string>
#include <system_error>

namespace tamrex::fuzz {

ScratchFolder::ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tamrex-fuzz-XXXXXX").string();
    Require(::mkdtemp(pattern.data()) != nullptr, "cannot create a scratch folder from " + pattern);
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace tamrex::fuzz
