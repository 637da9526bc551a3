#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamrex {

// One KEY=value line of a settings file.
struct SettingsEntry {
    int line = 0;                           // from 1
    std::string key;                        // upper-cased, not trimmed: "THRESHOLD " is no key
    std::optional<std::string_view> value;  // between the first and a second "="; none without "="
};

// The non-empty lines of a settings file as entries. Lines end at CR LF, LF or a lone
// CR, so files written on any system read the same; a UTF-8 byte order mark at the
// start is no part of the first line. The views point into `content`.
std::vector<SettingsEntry> SettingsEntries(std::string_view content);

}  // namespace tamrex
