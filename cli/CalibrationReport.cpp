#include "cli/CalibrationReport.h"

#include <cstdio>

namespace tamrex::cli {
namespace {

std::string Axis(const char* name, const std::vector<int>& values) {
    return std::string(name) + " " + std::to_string(values.front()) + " to " + std::to_string(values.back()) +
           " (" + std::to_string(values.size()) + " values)";
}

std::string Span(const char* name, const std::vector<int>& values, const AxisSpan& span) {
    return std::string(name) + " " + std::to_string(values[span.first]) + " to " +
           std::to_string(values[span.last]);
}

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", seconds);
    return text;
}

std::string PhotoLine(const KnownCount& known, const Expected<CountResult>& counted) {
    std::string line = "  " + known.photo.string() + ": ";
    if (!counted)
        return line + "not counted, known " + std::to_string(known.boards) + " (" + counted.error().message + ")\n";
    line += "counted " + std::to_string(counted->count()) + ", known " + std::to_string(known.boards);
    const int off = counted->count() - known.boards;
    if (off > 0) line += " (" + std::to_string(off) + " too many)";
    if (off < 0) line += " (" + std::to_string(-off) + " too few)";
    return line + "\n";
}

}  // namespace

std::string CalibrationReport(const Calibration& calibration, const std::vector<KnownCount>& known,
                              const std::vector<Expected<CountResult>>& counted, double seconds) {
    const CalibrationGrid& grid = calibration.grid;
    const RobustChoice& choice = calibration.choice;
    const CounterSettings& settings = calibration.settings;
    std::string report = "Searched " + std::to_string(grid.size()) + " settings on " +
                         std::to_string(known.size()) + " photos in " + Seconds(seconds) +
                         " s: " + Axis("THRESHOLD", grid.thresholds) + ", " + Axis("BDLINE", grid.bdLines) +
                         ", " + Axis("PWIDTH", grid.pWidths) + "\n";
    report += "Best: BDLINE=" + std::to_string(settings.bdLine) +
              " THRESHOLD=" + std::to_string(settings.threshold) +
              " PWIDTH=" + std::to_string(settings.pWidth) + "\n";
    report += "  counts " + std::to_string(choice.score.exact) + " of " + std::to_string(known.size()) +
              " photos exactly, total error " + std::to_string(choice.score.totalError) + "\n";
    report += "  the same with " + Span("THRESHOLD", grid.thresholds, choice.plateau[0]) + ", " +
              Span("BDLINE", grid.bdLines, choice.plateau[1]) + " or " +
              Span("PWIDTH", grid.pWidths, choice.plateau[2]) + ", one at a time\n";
    for (std::size_t i = 0; i < known.size(); ++i) report += PhotoLine(known[i], counted[i]);
    return report;
}

}  // namespace tamrex::cli
