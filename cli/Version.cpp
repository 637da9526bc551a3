#include "cli/Version.h"

#include <FreeImage.h>

namespace tamrex::cli {

std::string VersionText() {
    return std::string("tamrex-count ") + TAMREX_VERSION + " (FreeImage " + FreeImage_GetVersion() + ", " +
           TAMREX_WINDOW_QT + ")";
}

std::string ProgramVersion() { return TAMREX_VERSION; }

}  // namespace tamrex::cli
