// The report and picture options of tamrex-count: --csv and --overlay.
#include "calibration/CsvRecords.h"
#include "image/Bitmap.h"
#include "tests/fixtures/CountCommandFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>

namespace tamrex {
namespace {

using testing::CommandOutcome;
using testing::ShellQuoted;

class CountOutputs : public testing::CountCommandFolder {
protected:
    static std::vector<std::string> Rows(const std::string& csv) {
        std::vector<std::string> rows;
        for (std::size_t at = 0, end; (end = csv.find("\r\n", at)) != std::string::npos; at = end + 2)
            rows.push_back(csv.substr(at, end - at));
        return rows;
    }

    // The fields of a row without quoted fields.
    static std::vector<std::string> Fields(const std::string& row) {
        std::vector<std::string> fields(1);
        for (char c : row) {
            if (c == ',') fields.emplace_back();
            else fields.back().push_back(c);
        }
        return fields;
    }

    // Copies of the photo under names that need care in a CSV file.
    void CopyPhotoAs(const std::string& name) {
        std::filesystem::copy_file(folder_ / "stack.jpg", folder_ / name);
    }
};

TEST_F(CountOutputs, CsvQuotesOddFileNamesAsRfc4180Asks) {
    const std::string oddNames[] = {"a,b.jpg", "say \"cheese\".jpg", " leading blank.jpg", "two\nlines.jpg"};
    std::string arguments = "--csv -j 2";
    for (const std::string& name : oddNames) {
        CopyPhotoAs(name);
        arguments += " " + ShellQuoted(name);
    }
    const CommandOutcome run = Count(arguments);
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string rest = ",18,";
    const std::string expected[] = {"\"a,b.jpg\"", "\"say \"\"cheese\"\".jpg\"", "\" leading blank.jpg\"",
                                    "\"two\nlines.jpg\""};
    std::size_t at = run.out.find("\r\n") + 2;  // past the header
    for (const std::string& field : expected) {
        ASSERT_EQ(run.out.compare(at, field.size() + rest.size(), field + rest), 0)
            << "expected a row starting " << field << rest << " in:\n"
            << run.out;
        at = run.out.find("\r\n", at) + 2;
    }
    EXPECT_EQ(at, run.out.size());
}

// Whatever a field holds (a name with a carriage return, an error that quotes a name
// with a comma and quotes), a CSV reader finds it whole in its row and column, in the
// report of a batch and in the count log's.
TEST_F(CountOutputs, EveryCsvReadsBackFieldForField) {
    const std::string counted = "two\rlines.jpg", broken = "bad, \"x\".jpg";
    CopyPhotoAs(counted);
    folder_.WriteFile(broken, "not a photo");
    const std::string error =
        "cannot read photo 'bad, \"x\".jpg': not a JPEG file: it does not start with the JPEG start marker FF D8";
    const CommandOutcome report = Count("--csv --log counts.sqlite " + ShellQuoted(counted) + " " + ShellQuoted(broken));
    const CommandOutcome log = Count("log --csv --log counts.sqlite");
    ASSERT_EQ(log.status, 0) << log.err;
    for (const auto& [csv, fileColumn] : {std::pair{report.out, "file"}, std::pair{log.out, "photo"}}) {
        const Expected<CsvTable> table = ParseCsv(csv);
        ASSERT_TRUE(table.has_value()) << table.error().message << " in:\n" << csv;
        ASSERT_EQ(table->records.size(), 3u) << csv;
        const CsvRecord& header = table->records[0];
        for (const CsvRecord& row : table->records) EXPECT_EQ(row.size(), header.size()) << csv;
        const auto column = [&](const std::string& name) {
            return static_cast<std::size_t>(std::find(header.begin(), header.end(), name) - header.begin());
        };
        ASSERT_LT(column("error"), header.size()) << csv;
        ASSERT_LT(column(fileColumn), header.size()) << csv;
        const CsvRecord& good = table->records[1];
        const CsvRecord& bad = table->records[2];
        EXPECT_EQ(std::filesystem::path(good[column(fileColumn)]).filename(), counted) << csv;
        EXPECT_EQ(good[column("error")], "") << csv;
        EXPECT_EQ(std::filesystem::path(bad[column(fileColumn)]).filename(), broken) << csv;
        EXPECT_EQ(bad[column("error")], error) << csv;
    }
}

TEST_F(CountOutputs, CsvHasAHeaderAndOneRowPerPhotoInOrderWithFailuresInTheirRow) {
    folder_.WriteFile("bad.jpg", "not a photo");
    const CommandOutcome run = Count("--csv -j 2 stack.jpg bad.jpg stack.jpg");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "");
    const std::vector<std::string> rows = Rows(run.out);
    ASSERT_EQ(rows.size(), 4u) << run.out;
    EXPECT_EQ(rows[0],
              "file,count,pass1,pass2,pass3,pass4,strip_width,strip_height,ms,second_count,second_look_error,height_boards,flags,error");
    const std::vector<std::string> counted = Fields(rows[1]);
    ASSERT_EQ(counted.size(), 14u) << rows[1];
    EXPECT_EQ(counted[0], "stack.jpg");
    EXPECT_EQ(counted[1], "18");
    EXPECT_EQ(counted[9], "18") << "the second look";
    EXPECT_EQ(counted[10], "") << "a second look that counted has no reason to give";
    EXPECT_EQ(counted[11], "17.8") << "444 strip rows over a PWIDTH of 25";
    EXPECT_EQ(counted[12], "") << "a regular count has no flags";
    EXPECT_EQ(counted[13], "") << "a counted photo has no error";
    EXPECT_EQ(rows[2].rfind("bad.jpg,,,,,,,,,,,,,cannot read photo 'bad.jpg': not a JPEG file", 0), 0u) << rows[2];
    std::vector<std::string> again = Fields(rows[3]);
    again[8] = counted[8];
    EXPECT_EQ(again, counted) << "the same photo gives the same row but for its time";
}

// THICKNESS, as calibration writes it, measures the strip; the flags name what looks
// wrong. A BDLINE no row reaches leaves the rules with no line at all, while the second
// look still counts the boards: both counts, and why to look again, in every format.
TEST_F(CountOutputs, TheCheckOnACountIsReportedInEveryFormat) {
    folder_.WriteFile("Tamrex.ini", "BDLINE=30000\r\nTHRESHOLD=110\r\nPWIDTH=0\r\nTHICKNESS=20\r\n");
    const CommandOutcome text = Count("stack.jpg");
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out.substr(text.out.find(" ms)")),
              " ms) second look 18 height 22.2 boards; check: second-count-differs, count-off-height, no-line\n");
    const std::vector<std::string> row = Fields(Rows(Count("--csv stack.jpg").out).at(1));
    EXPECT_EQ(std::vector<std::string>(row.begin() + 9, row.end()),
              (std::vector<std::string>{"18", "", "22.2", "second-count-differs;count-off-height;no-line", ""}));
    const nlohmann::json json = nlohmann::json::parse(Count("--json stack.jpg").out);
    EXPECT_EQ(json["count"], 1) << "a flag never changes the count";
    EXPECT_EQ(json["second_count"], 18);
    EXPECT_EQ(json["height_boards"], 22.2);
    EXPECT_EQ(json["flags"], nlohmann::json::array({"second-count-differs", "count-off-height", "no-line"}));

    folder_.WriteFile("Tamrex.ini", "BDLINE=400\r\nTHRESHOLD=110\r\nPWIDTH=0\r\n");
    const nlohmann::json unmeasured = nlohmann::json::parse(Count("--json stack.jpg").out);
    EXPECT_FALSE(unmeasured.contains("height_boards")) << "no thickness, no height";
    EXPECT_EQ(unmeasured["flags"], nlohmann::json::array());
    const std::string plain = Count("stack.jpg").out;
    EXPECT_EQ(plain.substr(plain.find(" ms)")), " ms) second look 18\n");
}

TEST_F(CountOutputs, CsvAndJsonCannotBeAskedTogether) {
    const CommandOutcome run = Count("--csv --json stack.jpg");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("--json excludes --csv"), std::string::npos) << run.err;
}

TEST_F(CountOutputs, OverlayIsWrittenInTheFormatItsNameAsksFor) {
    const CommandOutcome png = Count("--overlay lines.png stack.jpg");
    EXPECT_EQ(png.status, 0) << png.err;
    EXPECT_EQ(FreeImage_GetFileType((folder_ / "lines.png").c_str(), 0), FIF_PNG);
    const CommandOutcome jpeg = Count("--json --overlay lines.JPG stack.jpg");
    EXPECT_EQ(jpeg.status, 0) << jpeg.err;
    EXPECT_EQ(FreeImage_GetFileType((folder_ / "lines.JPG").c_str(), 0), FIF_JPEG);

    const BitmapHandle overlay(FreeImage_Load(FIF_PNG, (folder_ / "lines.png").c_str(), PNG_DEFAULT));
    ASSERT_TRUE(overlay);
    EXPECT_EQ(FreeImage_GetWidth(overlay.get()), 800u);
    EXPECT_EQ(FreeImage_GetBPP(overlay.get()), 24u);
}

TEST_F(CountOutputs, OverlayMistakesAreToldBeforeOrAfterCounting) {
    const CommandOutcome twoPhotos = Count("--overlay lines.png stack.jpg stack.jpg");
    EXPECT_EQ(twoPhotos.status, 2);
    EXPECT_NE(twoPhotos.err.find("--overlay: writes the picture of one photo; 2 photos were given"),
              std::string::npos)
        << twoPhotos.err;
    const CommandOutcome bmp = Count("--overlay lines.bmp stack.jpg");
    EXPECT_EQ(bmp.status, 2);
    EXPECT_NE(bmp.err.find("'lines.bmp' has no picture extension I can write: name it .png or .jpg"),
              std::string::npos)
        << bmp.err;

    const CommandOutcome nowhere = Count("--overlay missing/lines.png stack.jpg");
    EXPECT_EQ(nowhere.status, 1);
    EXPECT_NE(nowhere.out.find("stack.jpg: count 18"), std::string::npos) << "the count is still reported";
    EXPECT_NE(nowhere.err.find("cannot write overlay 'missing/lines.png': No such file or directory"),
              std::string::npos)
        << nowhere.err;
}

}  // namespace
}  // namespace tamrex
