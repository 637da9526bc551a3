#include "settings/SettingsFileWriter.h"

#include "base/Quoted.h"
#include "base/ReplaceFile.h"

#include <cstdio>

namespace tamrex {
namespace {

// A "=" would make the reader take the text before it for a key, a line break would
// start a line of its own.
std::string CommentLine(const std::string& comment) {
    std::string line = "; ";
    for (char c : comment) {
        if (c != '=' && c != '\r' && c != '\n') line += c;
    }
    return line + "\r\n";
}

std::string OneDecimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

}  // namespace

std::string SettingsFileText(const StationSettings& settings, const std::vector<std::string>& comments) {
    std::string text;
    for (const std::string& comment : comments) text += CommentLine(comment);
    text += "BDLINE=" + std::to_string(settings.counter.bdLine) + "\r\n";
    text += "THRESHOLD=" + std::to_string(settings.counter.threshold) + "\r\n";
    text += "PWIDTH=" + std::to_string(settings.counter.pWidth) + "\r\n";
    if (settings.thickness) text += "THICKNESS=" + OneDecimal(*settings.thickness) + "\r\n";
    if (settings.frame) text += "REGION=" + FrameText(*settings.frame) + "\r\n";
    return text;
}

Outcome WriteSettingsFile(const std::filesystem::path& file, const StationSettings& settings,
                          const std::vector<std::string>& comments) {
    // The settings file is named on purpose (--write-ini, --ini, the one beside the
    // program, which the package links to /etc/tamrex): a link there is the user's intent.
    return ReplaceFileWith(file, SettingsFileText(settings, comments), LinkUse::kFollow).or_else([&](const Failure& failure) -> Outcome {
        return Fail("cannot write settings file " + Quoted(file) + ": " + failure.message);
    });
}

}  // namespace tamrex
