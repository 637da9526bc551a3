#include "cli/CsvReport.h"

#include "calibration/CsvRecords.h"
#include "cli/ResultFormat.h"

#include <vector>

namespace tamrex::cli {
namespace {

constexpr const char* kRowEnd = "\r\n";

std::string Row(const std::vector<std::string>& fields) {
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) row += ',';
        row += CsvField(fields[i]);
    }
    return row + kRowEnd;
}

}  // namespace

std::string CsvHeader() {
    return Row({"file", "count", "pass1", "pass2", "pass3", "pass4", "strip_width", "strip_height", "ms",
                "second_count", "second_look_error", "height_boards", "flags", "error"});
}

std::string CsvRow(const PhotoReport& report) {
    if (!report.count) return Row({report.photo, "", "", "", "", "", "", "", "", "", "", "", "", report.Errors()});
    const CountResult& result = *report.count;
    const auto& passes = result.passLines;
    return Row({report.photo, std::to_string(result.count()), std::to_string(passes[0]),
                std::to_string(passes[1]), std::to_string(passes[2]), std::to_string(passes[3]),
                std::to_string(result.stripWidth), std::to_string(result.stripHeight),
                std::to_string(result.milliseconds), SecondCountField(result), SecondLookErrorField(result), HeightBoardsField(result),
                FlagsField(result),
                report.Errors()});
}

}  // namespace tamrex::cli
