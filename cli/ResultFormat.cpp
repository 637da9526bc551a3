#include "cli/ResultFormat.h"

#include <nlohmann/json.hpp>

namespace tamrex::cli {

std::string JsonLine(const PhotoReport& report) {
    nlohmann::ordered_json line;
    line["file"] = report.photo;
    if (const Expected<CountResult>& result = report.count) {
        line["count"] = result->count();
        line["passes"] = result->passLines;
        line["strip"] = {result->stripWidth, result->stripHeight};
        line["ms"] = result->milliseconds;
        if (!result->warning.empty()) line["warning"] = result->warning;
    }
    if (!report.AllDone()) line["error"] = report.Errors();
    // Photo names need not be valid UTF-8; replace what is not rather than fail.
    return line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string TextLine(const CountResult& result) {
    const auto& p = result.passLines;
    std::string line = result.photo + ": count " + std::to_string(result.count()) + " (passes " +
                       std::to_string(p[0]) + " " + std::to_string(p[1]) + " " + std::to_string(p[2]) +
                       " " + std::to_string(p[3]) + ", strip " + std::to_string(result.stripWidth) + "x" +
                       std::to_string(result.stripHeight) + ", " + std::to_string(result.milliseconds) +
                       " ms)";
    if (!result.warning.empty()) line += " [decoder warning: " + result.warning + "]";
    return line;
}

}  // namespace tamrex::cli
