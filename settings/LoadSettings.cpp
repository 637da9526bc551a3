#include "settings/LoadSettings.h"

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

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

}  // namespace

// Settings files are a few lines long.
Expected<std::string> ReadSettingsText(const std::filesystem::path& file) {
    std::unique_ptr<std::FILE, FileCloser> stream(std::fopen(file.c_str(), "rb"));
    if (!stream) return Fail("cannot open settings file '" + file.string() + "': " + std::strerror(errno));
    std::string content;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, stream.get())) > 0) content.append(buffer, got);
    if (std::ferror(stream.get()))
        return Fail("cannot read settings file '" + file.string() + "': " + std::strerror(errno));
    return content;
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
