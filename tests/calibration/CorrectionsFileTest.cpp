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
    const PhotoIdentity photo{2'000'123, "0123456789abcdef"};
    const std::vector<Correction> corrections = {
        {"IMG_20241207_101500.jpg", 4, 3, "2024-12-07T10:15:00+01:00", Acceptance::kCorrected,
         {{10, 12}, {40, 40}, {71, 73}}, photo},
        {"stack, left.jpg", 5, 4, "2024-12-07T10:16:00+01:00", Acceptance::kSecondLook, {}, photo},
        {"say \"cheese\".jpg", 2, 2, "", Acceptance::kChecked, {{7, 9}}, {}},
        {" blank.jpg", 2, 0, "x"},
    };
    EXPECT_EQ(CorrectionsText(corrections),
              "file,count,counted,when,kind,lines,bytes,fingerprint\r\n"
              "IMG_20241207_101500.jpg,4,3,2024-12-07T10:15:00+01:00,corrected,10-12 40 71-73,2000123,"
              "0123456789abcdef\r\n"
              "\"stack, left.jpg\",5,4,2024-12-07T10:16:00+01:00,second look,,2000123,0123456789abcdef\r\n"
              "\"say \"\"cheese\"\".jpg\",2,2,,checked,7-9,,\r\n"
              "\" blank.jpg\",2,0,x,corrected,,,\r\n");
    EXPECT_EQ(ParseCorrections(CorrectionsText(corrections), "'c.csv'").value(), corrections);
    EXPECT_TRUE(corrections[0].HasLines());
    EXPECT_FALSE(corrections[1].HasLines());  // a second look's count has no lines of its own
    EXPECT_FALSE(corrections[3].HasLines());  // an older row has none either
}

TEST(CorrectionsFile, ANewCorrectionReplacesThePhotosRowAndKeepsTheOthersInPlace) {
    CorrectionTable corrections;
    for (const Correction& row : std::vector<Correction>{{"a.jpg", 5, 5, "t1"}, {"b.jpg", 6, 7, "t1"},
                                                         {"a.jpg", 4, 5, "t2"}, {"c.jpg", 9, 9, "t2"}})
        corrections.Put(row);
    const std::vector<Correction> expected = {{"a.jpg", 4, 5, "t2"}, {"b.jpg", 6, 7, "t1"}, {"c.jpg", 9, 9, "t2"}};
    EXPECT_EQ(corrections.Rows(), expected);
    ASSERT_NE(corrections.Find("b.jpg"), nullptr);
    EXPECT_EQ(corrections.Find("b.jpg")->count, 6);
    EXPECT_EQ(corrections.Find("d.jpg"), nullptr);
    // Should a hand-edited file name a photo twice, its last row is the one that counts.
    EXPECT_EQ(ParseCorrections("file,count\na.jpg,3\nb.jpg,4\na.jpg,8\n", "'c.csv'").value(),
              (std::vector<Correction>{{"a.jpg", 8, 0, ""}, {"b.jpg", 4, 0, ""}}));
}

// Files written before the kind, the lines and the photo's identity were kept read as
// corrections of unknown lines and content.
TEST(CorrectionsFile, ReadsColumnsByTheirNamesInAnyOrderAndOlderFiles) {
    EXPECT_EQ(ParseCorrections("when,counted,count,file,note\r\nt,7,8,a.jpg,checked twice\r\n", "'c.csv'").value(),
              (std::vector<Correction>{{"a.jpg", 8, 7, "t"}}));
    EXPECT_EQ(ParseCorrections("file,count,counted,when\r\nb.jpg,3,2,t\r\n", "'c.csv'").value(),
              (std::vector<Correction>{{"b.jpg", 3, 2, "t", Acceptance::kCorrected, {}, {}}}));
    EXPECT_EQ(ParseCorrections("file,count,lines\r\nb.jpg,3,\"90-91  12 \"\r\n", "'c.csv'").value().front().lines,
              (std::vector<AcceptedLine>{{12, 12}, {90, 91}}));
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
    // A photo's name with a line break in it takes two lines of the file.
    EXPECT_NE(refused("file,count\n\"a\nb.jpg\",3\nc.jpg,0\n").find("line 4: the count '0'"), std::string::npos);
    EXPECT_NE(refused("file,count,counted\na.jpg,3,many\n").find("line 2: the counted value 'many'"),
              std::string::npos);
    EXPECT_NE(refused("file,count\n\"a.jpg,3\n").find("quoted field is never closed"), std::string::npos);
    EXPECT_NE(refused("file,count,kind\na.jpg,3,guessed\n").find("line 2: the kind 'guessed' is none of"),
              std::string::npos);
    for (const char* lines : {"9-4", "x", "3-", "-3", "70000"})
        EXPECT_NE(refused("file,count,lines\na.jpg,3," + std::string(lines) + "\n").find("line 2: the line '"),
                  std::string::npos)
            << lines;
    EXPECT_NE(refused("file,count,bytes,fingerprint\na.jpg,3,12,0123\n").find("line 2: the fingerprint '0123'"),
              std::string::npos);
    EXPECT_NE(refused("file,count,bytes,fingerprint\na.jpg,3,,0123456789abcdef\n").find("line 2: the size ''"),
              std::string::npos);
}

// A hand-edited field that only starts with a number is refused, not read as its first
// digits: "12 boards" taken for 12 would calibrate against a count nobody gave.
TEST(CorrectionsFile, RefusesFieldsThatAreOnlyPartlyNumbers) {
    const struct {
        const char* text;
        const char* complaint;
    } cases[] = {
        {"file,count\na.jpg,3.5\n", "the count '3.5'"},
        {"file,count\na.jpg,12 boards\n", "the count '12 boards'"},
        {"file,count\na.jpg,6x\n", "the count '6x'"},
        {"file,count,counted\na.jpg,3,2.5\n", "the counted value '2.5'"},
        {"file,count,lines\na.jpg,3,12.5\n", "the line '12.5'"},
        {"file,count,lines\na.jpg,3,12-14x\n", "the line '12-14x'"},
        {"file,count,bytes,fingerprint\na.jpg,3,12kB,0123456789abcdef\n", "the size '12kB'"},
    };
    for (const auto& one : cases) {
        const std::string message = Message(ParseCorrections(one.text, "'c.csv'"));
        EXPECT_NE(message.find(std::string("line 2: ") + one.complaint), std::string::npos) << one.text << message;
    }
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
