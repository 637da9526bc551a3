#include "cli/CalibrationReport.h"

#include "base/Quoted.h"
#include "calibration/CalibrationWarnings.h"

#include <cmath>
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

std::string OneDecimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

std::string Percent(double share) { return std::to_string(std::lround(share * 100)) + "%"; }

std::string Searched(const Calibration& calibration, std::size_t photos, double seconds) {
    const CalibrationGrid& grid = calibration.grid;
    return "Searched " + std::to_string(grid.size()) + " settings on " + std::to_string(photos) + " photos in " +
           OneDecimal(seconds) + " s: " + Axis("THRESHOLD", grid.thresholds) + ", " + Axis("BDLINE", grid.bdLines) +
           ", " + Axis("PWIDTH", grid.pWidths) + "\n";
}

// What the second look learned: the thickness, and how it counts the photos with it.
std::string ThicknessLine(const Calibration& calibration, std::size_t photos) {
    if (calibration.thickness <= 0) return "";
    std::string text = "  a board is " + OneDecimal(calibration.thickness) + " rows thick";
    const LookLearning& look = calibration.secondLook;
    if (look.pitch <= 0) return text + " (from the strips: the second look found no stack in these photos)\n";
    text += "; with it the second look counts " + std::to_string(look.exact) + " of " + std::to_string(photos) +
            " photos exactly";
    if (calibration.frame) text += " inside the frame " + FrameText(*calibration.frame);
    return text + "\n";
}

std::string Chosen(const Calibration& calibration, std::size_t photos) {
    const CalibrationGrid& grid = calibration.grid;
    const RobustChoice& choice = calibration.choice;
    const CounterSettings& settings = calibration.settings;
    std::string text = "Best: BDLINE=" + std::to_string(settings.bdLine) +
                       " THRESHOLD=" + std::to_string(settings.threshold) +
                       " PWIDTH=" + std::to_string(settings.pWidth) + "\n";
    text += "  counts " + std::to_string(choice.score.exact) + " of " + std::to_string(photos) +
            " photos exactly, as do " + std::to_string(choice.plateauSettings) + " of the settings searched\n";
    text += "  the same with " + Span("THRESHOLD", grid.thresholds, choice.plateau[0]) + ", " +
            Span("BDLINE", grid.bdLines, choice.plateau[1]) + " or " + Span("PWIDTH", grid.pWidths, choice.plateau[2]) +
            ", one at a time\n";
    text += "  the settings around it count " + Percent(choice.neighbourhoodExact) +
            " of the photos exactly; its lines are one board apart to within " +
            Percent(choice.score.gapDeviation) + "\n";
    return text + ThicknessLine(calibration, photos);
}

std::string PhotoLine(const KnownCount& known, const Expected<CountResult>& counted) {
    std::string line = "  " + Printable(known.photo.string()) + ": ";
    if (!counted)
        return line + "not counted, known " + std::to_string(known.boards) + " (" + counted.error().message + ")\n";
    line += "counted " + std::to_string(counted->count()) + ", known " + std::to_string(known.boards);
    const int off = counted->count() - known.boards;
    if (off > 0) line += " (" + std::to_string(off) + " too many)";
    if (off < 0) line += " (" + std::to_string(-off) + " too few)";
    if (counted->secondLook) line += ", second look " + std::to_string(counted->secondLook->boards);
    for (std::size_t flag = 0; flag < counted->flags.size(); ++flag)
        line += (flag == 0 ? "; check: " : ", ") + counted->flags[flag];
    return line + "\n";
}

// The same doubts the window shows, in the same words.
std::string Warnings(const Calibration& calibration, std::size_t photos) {
    std::string text;
    for (const std::string& warning : CalibrationWarnings(calibration, photos)) text += "Warning: " + warning + "\n";
    return text;
}

std::string LeftOut(const std::vector<Failure>& leftOut) {
    if (leftOut.empty()) return "";
    std::string text = "Left out of the search:\n";
    for (const Failure& failure : leftOut) text += "  " + failure.message + "\n";
    return text;
}

}  // namespace

std::string CalibrationReport(const Calibration& calibration, const std::vector<KnownCount>& known,
                              const std::vector<Expected<CountResult>>& counted, double seconds) {
    const std::size_t searched = known.size() - calibration.leftOut.size();
    std::string report = Searched(calibration, searched, seconds) + Chosen(calibration, searched);
    for (std::size_t i = 0; i < known.size(); ++i) report += PhotoLine(known[i], counted[i]);
    return report + LeftOut(calibration.leftOut) + Warnings(calibration, searched);
}

}  // namespace tamrex::cli
