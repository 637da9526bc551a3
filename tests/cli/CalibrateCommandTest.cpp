// tamrex-count calibrate, as an operator runs it: known counts in, settings file out.
#include "settings/LoadSettings.h"
#include "settings/StationSettings.h"
#include "tests/fixtures/CommandRun.h"
#include "tools/photo/StackPhoto.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <regex>

namespace tamrex {
namespace {

using testing::CommandOutcome;
using testing::ReadFile;
using testing::ScratchFolder;

// Small photos keep the search short; the search itself is tested elsewhere.
class CalibrateCommand : public ::testing::Test {
protected:
    void SetUp() override {
        MakePhoto("six.jpg", 6, 1);
        MakePhoto("seven.jpg", 7, 2);
    }

    void MakePhoto(const std::string& name, int boards, unsigned seed) {
        testing::StackPhotoRecipe recipe;
        recipe.width = 200;
        recipe.height = 180;
        recipe.marginTop = recipe.marginBottom = 12;
        recipe.boards = boards;
        recipe.boardRows = 16;
        recipe.fadedGaps = 1;
        recipe.seed = seed;
        std::string error;
        ASSERT_TRUE(testing::WriteStackPhoto(recipe, (folder_ / name).string(), error)) << error;
    }

    CommandOutcome Run(const std::string& arguments) {
        return RunIn(folder_, std::string(TAMREX_COUNT) + " " + arguments);
    }

    ScratchFolder folder_;
};

CounterSettings PrintedSettings(const std::string& out) {
    std::smatch found;
    const std::regex best("Best: BDLINE=(\\d+) THRESHOLD=(\\d+) PWIDTH=(\\d+)");
    if (!std::regex_search(out, found, best)) return {};
    return {static_cast<std::int16_t>(std::stoi(found[1])), static_cast<std::int16_t>(std::stoi(found[2])),
            static_cast<std::int16_t>(std::stoi(found[3]))};
}

std::string PrintedThickness(const std::string& out) {
    std::smatch found;
    return std::regex_search(out, found, std::regex("a board is ([0-9.]+) rows thick")) ? found[1].str() : "";
}

TEST_F(CalibrateCommand, WritesTheSettingsItPrintsAsASettingsFileThatCountsThePhotos) {
    const CommandOutcome run =
        Run("calibrate -j 2 --known six.jpg=6 --known seven.jpg=7 --write-ini found.ini");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("counts 2 of 2 photos exactly, as do "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("six.jpg: counted 6, known 6"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Wrote the settings to 'found.ini'."), std::string::npos) << run.out;

    const Expected<CounterSettings> written = LoadSettings(folder_ / "found.ini");
    ASSERT_TRUE(written.has_value()) << written.error().message;
    EXPECT_EQ(*written, PrintedSettings(run.out));
    const CommandOutcome count = Run("--ini found.ini seven.jpg");
    EXPECT_EQ(count.out.rfind("seven.jpg: count 7 ", 0), 0u) << count.out << count.err;
}

// The thickness learned goes into the settings file and from there into the check on
// every count at the station.
TEST_F(CalibrateCommand, TheBoardThicknessLearnedMeasuresLaterCounts) {
    const CommandOutcome run = Run("calibrate --known six.jpg=6 --known seven.jpg=7 --write-ini found.ini");
    ASSERT_EQ(run.status, 0) << run.err;
    const Expected<StationSettings> station = LoadStationSettings(folder_ / "found.ini");
    ASSERT_TRUE(station.has_value()) << station.error().message;
    ASSERT_TRUE(station->thickness.has_value()) << ReadFile(folder_ / "found.ini");
    char printed[32];
    std::snprintf(printed, sizeof printed, "%.1f", *station->thickness);
    EXPECT_EQ(PrintedThickness(run.out), printed) << run.out;
    // Boards of 16 rows and gaps of 3.
    EXPECT_NEAR(*station->thickness, 19, 1.5);

    const CommandOutcome count = Run("--ini found.ini --json six.jpg");
    const nlohmann::json result = nlohmann::json::parse(count.out);
    EXPECT_EQ(result["count"], 6);
    EXPECT_NEAR(result["height_boards"].get<double>(), 6, 0.5) << count.out;
    EXPECT_EQ(result["flags"], nlohmann::json::array()) << count.out;
}

TEST_F(CalibrateCommand, ReadsKnownCountsFromACsvReportWithItsCountsPutRight) {
    // A report from untuned settings, its count column corrected by hand as an operator
    // would; the name needs quotes, which must survive the round trip.
    std::filesystem::copy_file(folder_ / "seven.jpg", folder_ / "seven, \"b\".jpg");
    const CommandOutcome report = Run("--csv --bdline 1 --threshold 60 --pwidth 0 'seven, \"b\".jpg'");
    const std::size_t row = report.out.find("\r\n") + 2;
    const std::size_t countStart = report.out.find("\",", row) + 2;
    std::string corrected = report.out;
    corrected.replace(countStart, report.out.find(',', countStart) - countStart, "7");
    folder_.WriteFile("known.csv", corrected);
    folder_.WriteFile("more.csv", "Count,File\n6,six.jpg\n");  // made by hand: its own order and case

    const CommandOutcome run = Run("calibrate --known-csv known.csv");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("seven, \"b\".jpg: counted 7, known 7"), std::string::npos) << run.out;
    const CommandOutcome reordered = Run("calibrate --known-csv more.csv");
    ASSERT_EQ(reordered.status, 0) << reordered.err;
    EXPECT_NE(reordered.out.find("six.jpg: counted 6, known 6"), std::string::npos) << reordered.out;
    EXPECT_NE(reordered.out.find("Add --write-ini FILE"), std::string::npos) << reordered.out;
}

TEST_F(CalibrateCommand, SaysWhichFileAndLineStoppedIt) {
    folder_.WriteFile("bad.csv", "six.jpg,6\r\nseven.jpg,seven\r\n");
    const CommandOutcome badCsv = Run("calibrate --known-csv bad.csv");
    EXPECT_EQ(badCsv.status, 1);
    EXPECT_NE(
        badCsv.err.find("known counts 'bad.csv', line 2: the count 'seven' is not a whole number of boards"),
        std::string::npos)
        << badCsv.err;

    // The other photos still give settings, but the exit status tells a script.
    const CommandOutcome missingPhoto = Run("calibrate --known six.jpg=6 --known gone.jpg=5 --write-ini some.ini");
    EXPECT_EQ(missingPhoto.status, 1);
    const std::size_t leftOut = missingPhoto.out.find("Left out of the search:\n  cannot read photo 'gone.jpg': ");
    ASSERT_NE(leftOut, std::string::npos) << missingPhoto.out;
    EXPECT_NE(missingPhoto.out.find("No such file or directory\n", leftOut), std::string::npos) << missingPhoto.out;
    EXPECT_NE(missingPhoto.out.find("counts 1 of 1 photos exactly"), std::string::npos) << missingPhoto.out;
    EXPECT_TRUE(LoadStationSettings(folder_ / "some.ini").has_value());

    const CommandOutcome noPhoto = Run("calibrate --known gone.jpg=5");
    EXPECT_EQ(noPhoto.status, 1);
    EXPECT_EQ(noPhoto.err.rfind("tamrex-count: calibrate: cannot read photo 'gone.jpg': ", 0), 0u) << noPhoto.err;
    EXPECT_NE(noPhoto.err.find("No such file or directory"), std::string::npos) << noPhoto.err;

    const CommandOutcome unwritable = Run("calibrate --known six.jpg=6 --write-ini no/such/folder.ini");
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("cannot write settings file 'no/such/folder.ini'"), std::string::npos)
        << unwritable.err;
}

TEST_F(CalibrateCommand, UsageMistakesExitWithTwo) {
    for (const char* arguments : {"calibrate", "calibrate --known six.jpg", "calibrate --known six.jpg=0",
                                  "six.jpg calibrate --known six.jpg=6"}) {
        const CommandOutcome run = Run(arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_NE(run.err.find("tamrex-count calibrate --help"), std::string::npos)
            << arguments << ": " << run.err;
    }
}

}  // namespace
}  // namespace tamrex
