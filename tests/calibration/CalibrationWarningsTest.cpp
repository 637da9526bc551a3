#include "calibration/CalibrationWarnings.h"

#include <gtest/gtest.h>

namespace tamrex {
namespace {

// Settings that count 3 photos exactly, with a broad plateau and lines one board apart.
Calibration Sound() {
    Calibration calibration;
    calibration.grid.thresholds = {100, 102};
    calibration.grid.bdLines = {10, 20, 30, 40, 50};
    calibration.grid.pWidths = {14, 15, 16, 17, 18};
    calibration.choice.score.exact = 3;
    calibration.choice.score.gapDeviation = 0.1;
    calibration.choice.neighbourhoodExact = 0.9;
    calibration.choice.plateauSettings = 40;
    return calibration;
}

TEST(CalibrationWarnings, SayWhySettingsThatFitMayStillCountTheNextPhotosWrong) {
    EXPECT_TRUE(CalibrationWarnings(Sound(), 3).empty());
    struct Case {
        void (*spoil)(Calibration&);
        std::string said;
    };
    const Case cases[] = {
        {[](Calibration& c) { c.choice.score.exact = 2; }, "the best count 2 of 3"},
        {[](Calibration& c) { c.choice.plateauSettings = 2; }, "Only 2 of the 50 settings searched"},
        {[](Calibration& c) { c.choice.neighbourhoodExact = 0.11; }, "count only 11% of the photos exactly"},
        {[](Calibration& c) { c.choice.score.gapDeviation = 0.93; }, "stray up to 93% of a board"},
    };
    for (const Case& one : cases) {
        Calibration calibration = Sound();
        one.spoil(calibration);
        const std::vector<std::string> warnings = CalibrationWarnings(calibration, 3);
        ASSERT_EQ(warnings.size(), 1u) << one.said;
        EXPECT_NE(warnings.front().find(one.said), std::string::npos) << warnings.front();
    }
}

}  // namespace
}  // namespace tamrex
