#include "tests/fixtures/CountCommandFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace tamrex {
namespace {

using testing::ReadFile;

using Outcome = testing::CommandOutcome;

class TamrexCount : public testing::CountCommandFolder {
protected:
    std::vector<nlohmann::json> JsonLines(const std::string& text) {
        std::vector<nlohmann::json> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
        return lines;
    }
};

TEST_F(TamrexCount, PrintsOneJsonObjectPerPhotoInTheOrderGiven) {
    folder_.WriteFile("bad.jpg", "not a photo");
    const Outcome run = Count("--json -j 2 stack.jpg bad.jpg stack.jpg");
    EXPECT_EQ(run.status, 1) << run.err;
    const auto lines = JsonLines(run.out);
    ASSERT_EQ(lines.size(), 3u) << run.out;
    EXPECT_EQ(lines[0]["file"], "stack.jpg");
    EXPECT_EQ(lines[0]["count"], 18);
    EXPECT_EQ(lines[0]["passes"].size(), 4u);
    EXPECT_EQ(lines[0]["strip"][0], 796);
    EXPECT_TRUE(lines[0]["ms"].is_number_integer());
    EXPECT_EQ(lines[0]["height_boards"], 17.8) << "444 strip rows over a PWIDTH of 25";
    EXPECT_EQ(lines[0]["flags"], nlohmann::json::array());
    EXPECT_EQ(lines[1]["file"], "bad.jpg");
    EXPECT_FALSE(lines[1].contains("count"));
    EXPECT_FALSE(lines[1].contains("flags")) << "a photo not counted has nothing to check";
    EXPECT_NE(std::string(lines[1]["error"]).find("cannot read photo 'bad.jpg': not a JPEG file"),
              std::string::npos);
    EXPECT_EQ(lines[2]["passes"], lines[0]["passes"]);
}

TEST_F(TamrexCount, PlainOutputGoesToStdoutAndFailuresToStderr) {
    const Outcome counted = Count("stack.jpg");
    EXPECT_EQ(counted.status, 0);
    EXPECT_EQ(counted.out.rfind("stack.jpg: count 18 (passes ", 0), 0u) << counted.out;
    EXPECT_EQ(counted.err, "");

    const Outcome failed = Count("missing.jpg");
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "");
    EXPECT_EQ(failed.err, "tamrex-count: cannot read photo 'missing.jpg': No such file or directory\n");
}

TEST_F(TamrexCount, OverridesWinOverTheSettingsFile) {
    // A threshold no count can use is a usage error that names the option.
    const Outcome run = Count("--json --threshold 300 stack.jpg");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("--threshold"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    const Outcome split = Count("--json --pwidth 0 stack.jpg");
    EXPECT_EQ(JsonLines(split.out).at(0)["passes"][3], 0);
}

TEST_F(TamrexCount, WritesTheLineMapWhereAsked) {
    const Outcome run = Count("--line-map maps.bmp stack.jpg");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(folder_ / "maps.bmp").substr(0, 2), "BM");
    EXPECT_FALSE(std::filesystem::exists(folder_ / "test.bmp"));
}

TEST_F(TamrexCount, ALineMapThatCannotBeWrittenWholeLeavesTheOldOneAndFails) {
    folder_.WriteFile("map.bmp", "the previous map");
    // A file size limit of one kilobyte: the map of this photo needs about 45.
    const Outcome limited = testing::RunIn(folder_, "ulimit -f 1 && " + std::string(TAMREX_COUNT) +
                                                        " --ini Tamrex.ini --line-map map.bmp stack.jpg");
    EXPECT_EQ(limited.status, 1);
    EXPECT_NE(limited.err.find("cannot write line map 'map.bmp': File too large"), std::string::npos)
        << limited.err;
    EXPECT_EQ(ReadFile(folder_ / "map.bmp"), "the previous map");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.path()), {}), 5)
        << "only Tamrex.ini, stack.jpg, map.bmp and the two output captures";
}

TEST_F(TamrexCount, UsageErrorsExitWithTwoAndSayWhatToDo) {
    for (const char* arguments : {"", "--bdline 40000 stack.jpg", "--jobs 0 stack.jpg", "--bogus stack.jpg",
                                  "--line-map m.bmp stack.jpg stack.jpg"}) {
        const Outcome run = Count(arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_NE(run.err.find("tamrex-count --help"), std::string::npos) << arguments << ": " << run.err;
    }
    EXPECT_EQ(Count("--help").status, 0);
    EXPECT_NE(Count("--version").out.find("FreeImage"), std::string::npos);
}

TEST_F(TamrexCount, APixelLimitOfTheCallersChoiceRefusesBiggerPhotos) {
    const Outcome small = Count("--max-pixels 0.4 stack.jpg");  // the photo is 800 x 576
    EXPECT_EQ(small.status, 1);
    EXPECT_NE(small.err.find("more than the limit of 0.4 megapixels"), std::string::npos) << small.err;
    EXPECT_EQ(Count("--max-pixels 0.47 stack.jpg").status, 0);
    EXPECT_EQ(Count("--max-pixels 0 stack.jpg").status, 2);
}

TEST_F(TamrexCount, ABadSettingsFileStopsBeforeAnyCount) {
    folder_.WriteFile("Tamrex.ini", "BDLINE=abc\r\n");
    const Outcome run = Count("--json stack.jpg");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("Tamrex.ini line 1: BDLINE value 'abc' is not a number"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace tamrex
