#pragma once

#include "base/Expected.h"
#include "counting/CounterSettings.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace tamrex {

// Reads BDLINE, THRESHOLD and PWIDTH from a settings file ("KEY=value" lines). Keys
// are matched in any letter case but not trimmed; unknown lines are ignored; the
// last line of a key wins; a key that never appears stays 0. Never writes the file.
// A failure names the file, the line, the key and the value.
Expected<CounterSettings> LoadSettings(const std::filesystem::path& file);

// The whole text of a settings file, read as the settings reader reads it.
Expected<std::string> ReadSettingsText(const std::filesystem::path& file);

// The same for the content of a file; `fileName` is what messages call it.
Expected<CounterSettings> ParseSettings(std::string_view content, const std::string& fileName);

// The settings file of a program: Tamrex.ini in the folder of its executable, with
// links followed, so that a link in a bin folder finds the file beside the program.
std::filesystem::path DefaultSettingsFile();

}  // namespace tamrex
