#include "calibration/CorrectionsFile.h"
#include "calibration/KnownCounts.h"
#include "tests/fixtures/ScratchFolder.h"

#include <gtest/gtest.h>

namespace tamrex {
namespace {

using testing::ReadFile;
using testing::ScratchFolder;

std::string Message(const Expected<std::vector<Correction>>& read) {
    return read ? std::string("read without complaint") : read.error().message;
}

TEST(CorrectionsFile, WritesAHeaderAndOneRowPerPhotoQuotingWhatNeedsIt) {
    const std::vector<Correction> corrections = {
        {"IMG_20241207_101500.jpg", 22, 21, "2024-12-07T10:15:00+01:00"},
        {"stack, left.jpg", 5, 4, "2024-12-07T10:16:00+01:00"},
        {"say \"cheese\".jpg", 3, 3, ""},
        {" blank.jpg", 2, 0, "x"},
    };
    EXPECT_EQ(CorrectionsText(corrections),
              "file,count,counted,when\r\n"
              "IMG_20241207_101500.jpg,22,21,2024-12-07T10:15:00+01:00\r\n"
              "\"stack, left.jpg\",5,4,2024-12-07T10:16:00+01:00\r\n"
              "\"say \"\"cheese\"\".jpg\",3,3,\r\n"
              "\" blank.jpg\",2,0,x\r\n");
    EXPECT_EQ(ParseCorrections(CorrectionsText(corrections), "'c.csv'").value(), corrections);
}

TEST(CorrectionsFile, ANewCorrectionReplacesThePhotosRowAndKeepsTheOthersInPlace) {
    std::vector<Correction> corrections = {{"a.jpg", 5, 5, "t1"}, {"b.jpg", 6, 7, "t1"}};
    PutCorrection(corrections, {"a.jpg", 4, 5, "t2"});
    PutCorrection(corrections, {"c.jpg", 9, 9, "t2"});
    const std::vector<Correction> expected = {{"a.jpg", 4, 5, "t2"}, {"b.jpg", 6, 7, "t1"}, {"c.jpg", 9, 9, "t2"}};
    EXPECT_EQ(corrections, expected);
    // Should a hand-edited file name a photo twice, its last row is the one that counts.
    EXPECT_EQ(ParseCorrections("file,count\na.jpg,3\nb.jpg,4\na.jpg,8\n", "'c.csv'").value(),
              (std::vector<Correction>{{"a.jpg", 8, 0, ""}, {"b.jpg", 4, 0, ""}}));
}

TEST(CorrectionsFile, ReadsColumnsByTheirNamesInAnyOrder) {
    EXPECT_EQ(ParseCorrections("when,counted,count,file,note\r\nt,7,8,a.jpg,checked twice\r\n", "'c.csv'").value(),
              (std::vector<Correction>{{"a.jpg", 8, 7, "t"}}));
    EXPECT_TRUE(ParseCorrections("", "'c.csv'").value().empty());
    EXPECT_TRUE(ParseCorrections("file,count,counted,when\r\n", "'c.csv'").value().empty());
}

TEST(CorrectionsFile, SaysWhichLineOfWhichFileIsWrongAndWhatToDo) {
    const auto refused = [](std::string_view text) { return Message(ParseCorrections(text, "'c.csv'")); };
    EXPECT_EQ(refused("name,boards\na.jpg,3\n"),
              "corrections file 'c.csv', line 1: the header does not name the columns 'file' and 'count': put "
              "the line right or move the file away, and Tamrex starts a new one");
    EXPECT_EQ(refused("file,count\na.jpg,3\nb.jpg,0\n"),
              "corrections file 'c.csv', line 3: the count '0' is not a whole number of boards from 1 to 32767: "
              "put the line right or move the file away, and Tamrex starts a new one");
    EXPECT_NE(refused("file,count\n,3\n").find("line 2: the file name is empty"), std::string::npos);
    EXPECT_NE(refused("file,count,counted\na.jpg,3,many\n").find("line 2: the counted value 'many'"),
              std::string::npos);
    EXPECT_NE(refused("file,count\n\"a.jpg,3\n").find("quoted field is never closed"), std::string::npos);
}

TEST(CorrectionsFile, NoFileYetIsNoCorrectionsButAFolderInItsPlaceIsRefused) {
    ScratchFolder folder;
    EXPECT_TRUE(ReadCorrections(folder / kCorrectionsFileName).value().empty());
    std::filesystem::create_directory(folder / kCorrectionsFileName);
    const std::string message = Message(ReadCorrections(folder / kCorrectionsFileName));
    EXPECT_EQ(message.rfind("cannot read corrections file '" + (folder / kCorrectionsFileName).string() + "': ", 0), 0u)
        << message;
    EXPECT_NE(message.find("folder"), std::string::npos) << message;
}

TEST(CorrectionsFile, IsWrittenWholeAndReadBackAlsoByTheKnownCountsOfCalibration) {
    ScratchFolder folder;
    const std::filesystem::path file = folder / kCorrectionsFileName;
    const std::vector<Correction> corrections = {{"a.jpg", 7, 6, "t"}, {"b c.jpg", 9, 9, "t"}};
    ASSERT_TRUE(WriteCorrections(file, corrections).has_value());
    EXPECT_EQ(ReadCorrections(file).value(), corrections);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1)
        << "no temporary file is left beside it";

    const Expected<std::vector<KnownCount>> known = ReadKnownCounts(file);
    ASSERT_TRUE(known.has_value()) << known.error().message;
    ASSERT_EQ(known->size(), 2u);
    EXPECT_EQ((*known)[0].photo, "a.jpg");
    EXPECT_EQ((*known)[0].boards, 7);
    EXPECT_EQ((*known)[1].photo, "b c.jpg");
    EXPECT_EQ((*known)[1].boards, 9);
}

TEST(CorrectionsFile, AFileThatCannotBeWrittenIsNamedAndTheOldOneStays) {
    ScratchFolder folder;
    const std::filesystem::path file = folder / kCorrectionsFileName;
    folder.WriteFile(kCorrectionsFileName, "file,count\r\na.jpg,3\r\n");
    const Outcome written = WriteCorrections(folder / "gone" / kCorrectionsFileName, {{"a.jpg", 4, 3, "t"}});
    ASSERT_FALSE(written.has_value());
    EXPECT_NE(written.error().message.find("cannot write corrections file '" + (folder / "gone").string()),
              std::string::npos)
        << written.error().message;
    EXPECT_EQ(ReadFile(file), "file,count\r\na.jpg,3\r\n");
}

}  // namespace
}  // namespace tamrex
