#include "settings/SettingsFileWriter.h"

#include "base/Quoted.h"
#include "base/ReplaceFile.h"

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

}  // namespace

std::string SettingsFileText(const CounterSettings& settings, const std::vector<std::string>& comments) {
    std::string text;
    for (const std::string& comment : comments) text += CommentLine(comment);
    text += "BDLINE=" + std::to_string(settings.bdLine) + "\r\n";
    text += "THRESHOLD=" + std::to_string(settings.threshold) + "\r\n";
    text += "PWIDTH=" + std::to_string(settings.pWidth) + "\r\n";
    return text;
}

Outcome WriteSettingsFile(const std::filesystem::path& file, const CounterSettings& settings,
                          const std::vector<std::string>& comments) {
    return ReplaceFileWith(file, SettingsFileText(settings, comments)).or_else([&](const Failure& failure) -> Outcome {
        return Fail("cannot write settings file " + Quoted(file) + ": " + failure.message);
    });
}

}  // namespace tamrex
