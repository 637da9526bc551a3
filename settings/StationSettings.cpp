#include "settings/StationSettings.h"

#include "base/Quoted.h"
#include "settings/LoadSettings.h"
#include "settings/SettingsEntries.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tamrex {
namespace {

constexpr const char* kThicknessKey = "THICKNESS";
constexpr const char* kFrameKey = "REGION";

// A plain positive decimal such as "12.4", blanks around it allowed.
std::optional<double> PositiveRows(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    double rows = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), rows, std::chars_format::fixed);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(rows) || rows <= 0) return {};
    return rows;
}

Expected<std::optional<double>> ParseThickness(std::string_view content, const std::string& fileName) {
    std::optional<double> thickness;
    for (const SettingsEntry& entry : SettingsEntries(content)) {
        if (entry.key != kThicknessKey) continue;
        const std::string where = fileName + " line " + std::to_string(entry.line) + ": THICKNESS";
        if (!entry.value) return Fail(where + " has no '=' and no value");
        thickness = PositiveRows(*entry.value);
        if (!thickness)
            return Fail(where + " value '" + std::string(*entry.value) + "' is not a positive number of rows");
    }
    return thickness;
}

Expected<std::optional<PhotoFrame>> ParseRegion(std::string_view content, const std::string& fileName) {
    std::optional<PhotoFrame> frame;
    for (const SettingsEntry& entry : SettingsEntries(content)) {
        if (entry.key != kFrameKey) continue;
        const std::string where = fileName + " line " + std::to_string(entry.line) + ": REGION";
        if (!entry.value) return Fail(where + " has no '=' and no value");
        const Expected<PhotoFrame> parsed = ParseFrame(*entry.value);
        if (!parsed) return Fail(where + ": " + parsed.error().message);
        frame = *parsed;
    }
    return frame;
}

bool NamesASetting(std::string_view content) {
    const std::vector<SettingsEntry> entries = SettingsEntries(content);
    return std::any_of(entries.begin(), entries.end(), [](const SettingsEntry& entry) {
        return entry.key == "BDLINE" || entry.key == "THRESHOLD" || entry.key == "PWIDTH";
    });
}

std::string NoSettingNotice(const std::string& fileName) {
    return "settings file '" + fileName +
           "' names none of BDLINE, THRESHOLD and PWIDTH, so all three are 0 and no count means anything: "
           "check that it is the right file, with a KEY=value line for each";
}

}  // namespace

LookRequest StationSettings::Look() const { return {thickness.value_or(0.0), frame}; }

double StationSettings::Thickness() const {
    if (thickness) return *thickness;
    return counter.pWidth > 0 ? counter.pWidth : 0.0;
}

Expected<StationSettings> ParseStationSettings(std::string_view content, const std::string& fileName) {
    Expected<CounterSettings> counter = ParseSettings(content, fileName);
    if (!counter) return tl::unexpected(counter.error());
    Expected<std::optional<double>> thickness = ParseThickness(content, fileName);
    if (!thickness) return tl::unexpected(thickness.error());
    Expected<std::optional<PhotoFrame>> frame = ParseRegion(content, fileName);
    if (!frame) return tl::unexpected(frame.error());
    return StationSettings{*counter, *thickness, *frame, NamesASetting(content) ? std::string() : NoSettingNotice(fileName)};
}

Expected<StationSettings> LoadStationSettings(const std::filesystem::path& file) {
    return ReadSettingsText(file).and_then(
        [&](const std::string& content) { return ParseStationSettings(content, Printable(file.string())); });
}

}  // namespace tamrex
