#include "settings/SettingsEntries.h"

#include <algorithm>
#include <cctype>

namespace tamrex {
namespace {

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

}  // namespace

std::vector<SettingsEntry> SettingsEntries(std::string_view content) {
    // Notepad and other editors start UTF-8 files with a byte order mark; the first key
    // is read as if it were not there.
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (content.substr(0, kByteOrderMark.size()) == kByteOrderMark) content.remove_prefix(kByteOrderMark.size());
    std::vector<SettingsEntry> entries;
    const std::vector<std::string_view> lines = SplitLines(content);
    for (std::size_t index = 0; index < lines.size(); ++index) {
        const std::string_view line = lines[index];
        if (line.empty()) continue;
        const std::size_t firstEquals = line.find('=');
        SettingsEntry entry{static_cast<int>(index + 1), UpperCase(line.substr(0, firstEquals)), std::nullopt};
        if (firstEquals != std::string_view::npos) {
            // Text after a second '=' is ignored.
            const std::string_view rest = line.substr(firstEquals + 1);
            entry.value = rest.substr(0, rest.find('='));
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace tamrex
