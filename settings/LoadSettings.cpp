#include "settings/LoadSettings.h"

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

// The whole file. Settings files are a few lines long.
Expected<std::string> ReadWholeFile(const std::filesystem::path& file) {
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

// Lines end at CR LF, LF or a lone CR, so files written on any system read the same.
std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        if (end == std::string_view::npos) {
            lines.push_back(text);
            break;
        }
        lines.push_back(text.substr(0, end));
        const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
        text.remove_prefix(end + (crlf ? 2 : 1));
    }
    return lines;
}

std::string UpperCase(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper;
}

std::int16_t* FieldOf(CounterSettings& settings, const std::string& key) {
    if (key == "BDLINE") return &settings.bdLine;
    if (key == "THRESHOLD") return &settings.threshold;
    if (key == "PWIDTH") return &settings.pWidth;
    return nullptr;
}

}  // namespace

Expected<CounterSettings> ParseSettings(std::string_view content, const std::string& fileName) {
    CounterSettings settings;
    const std::vector<std::string_view> lines = SplitLines(content);
    for (std::size_t index = 0; index < lines.size(); ++index) {
        const std::string_view line = lines[index];
        if (line.empty()) continue;
        // The key is not trimmed: "THRESHOLD =1" names no known key.
        const std::size_t firstEquals = line.find('=');
        const std::string key = UpperCase(line.substr(0, firstEquals));
        std::int16_t* field = FieldOf(settings, key);
        if (!field) continue;
        const std::string where = fileName + " line " + std::to_string(index + 1) + ": " + key;
        if (firstEquals == std::string_view::npos) return Fail(where + " has no '=' and no value");
        // Text after a second '=' is ignored.
        const std::string_view rest = line.substr(firstEquals + 1);
        const std::string_view valueText = rest.substr(0, rest.find('='));
        const Expected<std::int16_t> value = ParseSettingsValue(valueText);
        if (!value) return Fail(where + " value '" + std::string(valueText) + "' " + value.error().message);
        *field = *value;
    }
    return settings;
}

Expected<CounterSettings> LoadSettings(const std::filesystem::path& file) {
    return ReadWholeFile(file).and_then(
        [&](const std::string& content) { return ParseSettings(content, file.string()); });
}

std::filesystem::path DefaultSettingsFile() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::canonical("/proc/self/exe", error);
    if (error) return "Tamrex.ini";
    return program.parent_path() / "Tamrex.ini";
}

}  // namespace tamrex
