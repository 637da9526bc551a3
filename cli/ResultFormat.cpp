#include "cli/ResultFormat.h"

#include "base/Quoted.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>

namespace tamrex::cli {
namespace {

// The height in boards as every report gives it, to one decimal, so that the text,
// JSON and CSV of one count agree to the last digit.
double RoundedHeight(double boards) { return std::round(boards * 10) / 10; }

std::string OneDecimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", RoundedHeight(value));
    return text;
}

std::string Joined(const std::vector<std::string>& codes, const char* between) {
    std::string text;
    for (const std::string& code : codes) text += (text.empty() ? "" : between) + code;
    return text;
}

// " second look 21": the independent count beside the count of the rules, or why there is none.
std::string SecondLookText(const CountResult& result) {
    if (result.secondLook) return " second look " + std::to_string(result.secondLook->boards);
    return " second look none (" + result.secondLookError + ")";
}

// " height 20.6 boards; check: count-off-height": what the check on the count found.
std::string CheckText(const CountResult& result) {
    std::string text;
    if (result.heightBoards) text += " height " + OneDecimal(*result.heightBoards) + " boards";
    if (!result.flags.empty()) text += (text.empty() ? " check: " : "; check: ") + Joined(result.flags, ", ");
    return text;
}

// JSON escapes the C0 controls itself, but passes U+0080 to U+009F as they are, and
// terminals take U+009B for the escape sequence ESC [. In a JSON text, their UTF-8 bytes
// C2 80 to C2 9F can only stand inside strings, where \u0080 to \u009f mean the same.
std::string WithC1Escaped(const std::string& json) {
    std::string escaped;
    escaped.reserve(json.size());
    for (std::size_t at = 0; at < json.size(); ++at) {
        const unsigned char next = at + 1 < json.size() ? static_cast<unsigned char>(json[at + 1]) : 0;
        if (static_cast<unsigned char>(json[at]) == 0xC2 && next >= 0x80 && next <= 0x9F) {
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04x", next);
            escaped += code;
            ++at;
        } else {
            escaped += json[at];
        }
    }
    return escaped;
}

}  // namespace

std::string HeightBoardsField(const CountResult& result) {
    return result.heightBoards ? OneDecimal(*result.heightBoards) : std::string();
}

std::string FlagsField(const CountResult& result) { return Joined(result.flags, ";"); }

std::string SecondCountField(const CountResult& result) {
    return result.secondLook ? std::to_string(result.secondLook->boards) : std::string();
}

std::string SecondLookErrorField(const CountResult& result) {
    return result.secondLook ? std::string() : result.secondLookError;
}

std::string JsonLine(const PhotoReport& report) {
    nlohmann::ordered_json line;
    line["file"] = report.photo;
    if (const Expected<CountResult>& result = report.count) {
        line["count"] = result->count();
        line["passes"] = result->passLines;
        line["strip"] = {result->stripWidth, result->stripHeight};
        line["ms"] = result->milliseconds;
        line["second_count"] = result->secondLook ? nlohmann::ordered_json(result->secondLook->boards) : nullptr;
        if (!result->secondLook) line["second_look_error"] = result->secondLookError;
        if (result->heightBoards) line["height_boards"] = RoundedHeight(*result->heightBoards);
        line["flags"] = result->flags;
        if (!result->warning.empty()) line["warning"] = result->warning;
    }
    if (!report.AllDone()) line["error"] = report.Errors();
    // Photo names need not be valid UTF-8; replace what is not rather than fail.
    return WithC1Escaped(line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

std::string TextLine(const CountResult& result) {
    const auto& p = result.passLines;
    std::string line = Printable(result.photo) + ": count " + std::to_string(result.count()) + " (passes " +
                       std::to_string(p[0]) + " " + std::to_string(p[1]) + " " + std::to_string(p[2]) +
                       " " + std::to_string(p[3]) + ", strip " + std::to_string(result.stripWidth) + "x" +
                       std::to_string(result.stripHeight) + ", " + std::to_string(result.milliseconds) +
                       " ms)" + SecondLookText(result) + CheckText(result);
    if (!result.warning.empty()) line += " [decoder warning: " + result.warning + "]";
    return line;
}

}  // namespace tamrex::cli
