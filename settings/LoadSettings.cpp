#include "settings/LoadSettings.h"

#include "base/Quoted.h"
#include "base/RegularFile.h"
#include "settings/SettingsEntries.h"
#include "settings/SettingsValue.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace tamrex {
namespace {

// A settings file is a few lines long; anything near this size is some other file.
constexpr std::size_t kMostSettingsBytes = std::size_t{1} << 20;

}  // namespace

Expected<std::string> ReadSettingsText(const std::filesystem::path& file) {
    return ReadRegularFile(file, kMostSettingsBytes, "settings file").or_else([&](const Failure& failure) {
        return Expected<std::string>(Fail("cannot read settings file " + Quoted(file) + ": " + failure.message));
    });
}

namespace {

std::int16_t* FieldOf(CounterSettings& settings, const std::string& key) {
    if (key == "BDLINE") return &settings.bdLine;
    if (key == "THRESHOLD") return &settings.threshold;
    if (key == "PWIDTH") return &settings.pWidth;
    return nullptr;
}

}  // namespace

Expected<CounterSettings> ParseSettings(std::string_view content, const std::string& fileName) {
    CounterSettings settings;
    for (const SettingsEntry& entry : SettingsEntries(content)) {
        std::int16_t* field = FieldOf(settings, entry.key);
        if (!field) continue;
        const std::string where = fileName + " line " + std::to_string(entry.line) + ": " + entry.key;
        if (!entry.value) return Fail(where + " has no '=' and no value");
        const Expected<std::int16_t> value = ParseSettingsValue(*entry.value);
        if (!value) return Fail(where + " value '" + std::string(*entry.value) + "' " + value.error().message);
        *field = *value;
    }
    return settings;
}

Expected<CounterSettings> LoadSettings(const std::filesystem::path& file) {
    return ReadSettingsText(file).and_then(
        [&](const std::string& content) { return ParseSettings(content, file.string()); });
}

std::filesystem::path DefaultSettingsFile() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::canonical("/proc/self/exe", error);
    if (error) return "Tamrex.ini";
    return program.parent_path() / "Tamrex.ini";
}

}  // namespace tamrex
