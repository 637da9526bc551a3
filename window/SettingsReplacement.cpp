#include "window/SettingsReplacement.h"

#include "base/Quoted.h"
#include "base/ReplaceFile.h"
#include "settings/LoadSettings.h"
#include "settings/SettingsFileWriter.h"

namespace tamrex {

Expected<std::filesystem::path> ReplaceSettingsFile(const std::filesystem::path& file,
                                                    const StationSettings& settings,
                                                    const std::vector<std::string>& comments) {
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(file, error);
    if (error)
        return Fail("cannot write settings file " + Quoted(file) + ": " + error.message() +
                    ": check that it still exists, or start Tamrex with --ini on the file to use");
    const Expected<std::string> old = ReadSettingsText(real);
    if (!old) return Fail(old.error().message + "; the settings file is left as it was");
    const std::filesystem::path backup = real.string() + ".bak";
    if (Outcome kept = ReplaceFileWith(backup, *old); !kept)
        return Fail("cannot keep the old settings as " + Quoted(backup) + ": " + kept.error().message +
                    "; the settings file " + Quoted(real) + " is left as it was");
    if (Outcome written = WriteSettingsFile(real, settings, comments); !written)
        return Fail(written.error().message + "; the old settings are in " + Quoted(backup) + " too");
    return backup;
}

}  // namespace tamrex
