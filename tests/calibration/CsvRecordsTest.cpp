// The CSV files Tamrex writes for people to open in a spreadsheet and reads back: the
// report of a batch, the corrections file and known counts.
#include "calibration/CorrectionsFile.h"
#include "calibration/CsvRecords.h"
#include "calibration/KnownCounts.h"
#include "tests/fixtures/ScratchFolder.h"

#include <gtest/gtest.h>

namespace tamrex {
namespace {

using testing::ScratchFolder;

// A photo named like a formula would run as one when the file is opened in a
// spreadsheet (and a link or a command in it with a click); an apostrophe before it
// makes the cell text. Whatever is written reads back as it was.
TEST(CsvField, KeepsSpreadsheetsFromRunningANameAsAFormulaAndReadsBackAsWritten) {
    const std::pair<std::string, std::string> cases[] = {
        {"=HYPERLINK(\"http://x\").jpg", "\"'=HYPERLINK(\"\"http://x\"\").jpg\""},
        {"+1.jpg", "'+1.jpg"},
        {"-2+3.jpg", "'-2+3.jpg"},
        {"@SUM(A1).jpg", "'@SUM(A1).jpg"},
        {"\t=1.jpg", "'\t=1.jpg"},
        {"\r=1.jpg", "\"'\r=1.jpg\""},
        {"'=already.jpg", "''=already.jpg"},  // told apart from a guarded "=already.jpg"
        {"'quote.jpg", "'quote.jpg"},
        {"a=b.jpg", "a=b.jpg"},
        {"stack.jpg", "stack.jpg"},
        {"", ""},
    };
    std::string text;
    for (const auto& [field, written] : cases) {
        EXPECT_EQ(CsvField(field), written) << field;
        text += CsvField(field) + ",1\r\n";
    }
    const Expected<CsvTable> table = ParseCsv(text);
    ASSERT_TRUE(table.has_value()) << table.error().message;
    ASSERT_EQ(table->records.size(), std::size(cases));
    for (std::size_t row = 0; row < std::size(cases); ++row)
        EXPECT_EQ(table->records[row].front(), cases[row].first) << "row " << row;
}

// The corrections file is opened in spreadsheets too, and calibration reads it.
TEST(CsvField, GuardsTheCorrectionsFileAndItsReadersFindThePhotos) {
    ScratchFolder folder;
    const std::vector<Correction> corrections = {{"=cmd|' /C calc'!A0.jpg", 12, 11, "t"}, {"-3.jpg", 4, 4, "t"}};
    const std::string text = CorrectionsText(corrections);
    EXPECT_EQ(text.find("\r\n="), std::string::npos) << text;
    EXPECT_EQ(text.find("\r\n-"), std::string::npos) << text;
    EXPECT_EQ(ParseCorrections(text, "'c.csv'").value(), corrections);
    const Expected<std::vector<KnownCount>> known = ReadKnownCounts(folder.WriteFile("tamrex-corrections.csv", text));
    ASSERT_TRUE(known.has_value()) << known.error().message;
    ASSERT_EQ(known->size(), 2u);
    EXPECT_EQ((*known)[0].photo, corrections[0].file);
    EXPECT_EQ((*known)[1].photo, corrections[1].file);
}

// A count typed as a decimal, with a word after it or with a slip of the finger starts
// with a number, but is no count of boards: taking that number would calibrate on it.
TEST(ReadKnownCounts, RefusesACountThatIsOnlyPartlyANumber) {
    ScratchFolder folder;
    for (const std::string count : {"3.5", "12 boards", "6x", "1e2"}) {
        const std::string problem = "the count '" + count + "' is not a whole number of boards from 1 to 32767";
        const Expected<std::vector<KnownCount>> listed =
            ReadKnownCounts(folder.WriteFile("known.csv", "file,count\r\na.jpg,7\r\nb.jpg," + count + "\r\n"));
        ASSERT_FALSE(listed.has_value()) << count;
        EXPECT_EQ(listed.error().message, "known counts '" + (folder / "known.csv").string() + "', line 3: " + problem);
        const Expected<KnownCount> given = ParseKnownCount("b.jpg=" + count);
        ASSERT_FALSE(given.has_value()) << count;
        EXPECT_EQ(given.error().message, "in 'b.jpg=" + count + "', " + problem);
    }
}

// Known counts come from a name on the command line: it may lead to a device that
// never ends, or to a file far too big to be a list of photos.
TEST(ReadKnownCounts, ReadsOnlyARegularFileOfAReasonableSize) {
    ScratchFolder folder;
    const Expected<std::vector<KnownCount>> device = ReadKnownCounts("/dev/null");
    ASSERT_FALSE(device.has_value());
    EXPECT_EQ(device.error().message,
              "cannot read known counts '/dev/null': it is a character device, not a known-counts file: only "
              "regular files are read");
    const std::string huge = "file,count\n" + std::string(17u << 20, ' ');
    const Expected<std::vector<KnownCount>> tooBig = ReadKnownCounts(folder.WriteFile("huge.csv", huge));
    ASSERT_FALSE(tooBig.has_value());
    EXPECT_NE(tooBig.error().message.find("more than any real known-counts file"), std::string::npos)
        << tooBig.error().message;
}

}  // namespace
}  // namespace tamrex
