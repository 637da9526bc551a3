// The calibration report as the operator reads it to decide whether to trust the settings.
#include "cli/CalibrationReport.h"

#include <gtest/gtest.h>

namespace tamrex {
namespace {

Expected<CountResult> Counted(int boards) {
    CountResult result;
    result.lineTotal = boards - 1;
    return result;
}

// How far each setting may drift, from the stretch's first setting to its last, and
// which way each photo is miscounted: the two things the operator acts on.
TEST(CalibrationReport, GivesEachSettingsStretchAndWhichWayEachPhotoIsOff) {
    Calibration calibration;
    calibration.grid = {{100, 120, 140}, {10, 20, 30, 40}, {5, 6, 7}};
    calibration.choice.plateau = {AxisSpan{1, 2}, AxisSpan{0, 3}, AxisSpan{1, 1}};
    const std::vector<KnownCount> known = {{"a.jpg", 10}, {"b.jpg", 10}, {"c.jpg", 10}};
    const std::string report = cli::CalibrationReport(calibration, known, {Counted(12), Counted(9), Counted(10)}, 1);
    EXPECT_NE(report.find("  the same with THRESHOLD 120 to 140, BDLINE 10 to 40 or PWIDTH 6 to 6, one at a time\n"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("  a.jpg: counted 12, known 10 (2 too many)\n"), std::string::npos) << report;
    EXPECT_NE(report.find("  b.jpg: counted 9, known 10 (1 too few)\n"), std::string::npos) << report;
    EXPECT_NE(report.find("  c.jpg: counted 10, known 10\n"), std::string::npos) << report;
}

}  // namespace
}  // namespace tamrex
