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
#include <optional>
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

// UTF-16, which some editors write by default, holds a NUL byte beside every ASCII
// character: read as 8-bit text, no line would name a key, and every setting would be
// 0 without a word.
std::optional<std::string> EncodingProblem(std::string_view content) {
    const bool byteOrderMark = content.substr(0, 2) == "\xFF\xFE" || content.substr(0, 2) == "\xFE\xFF";
    if (!byteOrderMark && content.find('\0') == std::string_view::npos) return std::nullopt;
    return std::string(byteOrderMark ? " is saved as UTF-16 (Unicode) text"
                                     : " holds NUL bytes, as UTF-16 (Unicode) text does") +
           ", which is not read: save it as UTF-8 or plain text (in Notepad: Save As, Encoding UTF-8)";
}

}  // namespace

Expected<CounterSettings> ParseSettings(std::string_view content, const std::string& fileName) {
    if (const std::optional<std::string> problem = EncodingProblem(content)) return Fail(fileName + *problem);
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
        [&](const std::string& content) { return ParseSettings(content, Printable(file.string())); });
}

std::filesystem::path DefaultSettingsFile() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::canonical("/proc/self/exe", error);
    if (error) return "Tamrex.ini";
    return program.parent_path() / "Tamrex.ini";
}

}  // namespace tamrex
