#include "settings/LoadSettings.h"
#include "settings/SettingsValue.h"
#include "settings/StationSettings.h"
#include "tests/fixtures/ScratchFolder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace tamrex {
namespace {

class SettingsFile : public ::testing::Test {
protected:
    std::filesystem::path Write(const std::string& content) { return folder_.WriteFile("Tamrex.ini", content); }
    Expected<CounterSettings> Load(const std::string& content) { return LoadSettings(Write(content)); }

    testing::ScratchFolder folder_;
};

CounterSettings Settings(int bdLine, int threshold, int pWidth) {
    return {static_cast<std::int16_t>(bdLine), static_cast<std::int16_t>(threshold),
            static_cast<std::int16_t>(pWidth)};
}

TEST_F(SettingsFile, ReadsTheThreeKeysInAnyOrderAndLetterCase) {
    const Expected<CounterSettings> load = Load("PWidth=12\r\nbdline=40\r\nTHRESHOLD=128\r\n");
    ASSERT_TRUE(load.has_value()) << load.error().message;
    EXPECT_EQ(*load, Settings(40, 128, 12));
}

TEST_F(SettingsFile, LineEndsOfEverySystemAndALastLineWithoutOne) {
    EXPECT_EQ(Load("BDLINE=1\nTHRESHOLD=2\nPWIDTH=3").value(), Settings(1, 2, 3));
    EXPECT_EQ(Load("BDLINE=1\rTHRESHOLD=2\r\nPWIDTH=3\n").value(), Settings(1, 2, 3));
}

TEST_F(SettingsFile, KeysAreNotTrimmedButValuesAre) {
    EXPECT_EQ(Load("THRESHOLD= 128 \r\n").value().threshold, 128);
    EXPECT_EQ(Load("THRESHOLD =128\r\n").value().threshold, 0);
    EXPECT_EQ(Load(" BDLINE=5\r\n").value().bdLine, 0);
}

TEST_F(SettingsFile, TextAfterASecondEqualsSignIsIgnoredAndTheLastLineWins) {
    EXPECT_EQ(Load("BDLINE=40=50\r\n").value().bdLine, 40);
    EXPECT_EQ(Load("BDLINE=30\r\nBDLINE=45\r\n").value().bdLine, 45);
}

TEST_F(SettingsFile, UnknownLinesEmptyLinesAndAByteOrderMarkAreIgnored) {
    const Expected<CounterSettings> load = Load("[Tamrex]\r\n\r\n; a comment = with equals\r\nCOLOUR=red\r\n"
                                   "\xEF\xBB\xBF" "BDLINE=9\r\nPWIDTH=7\r\n");
    ASSERT_TRUE(load.has_value()) << load.error().message;
    EXPECT_EQ(*load, Settings(0, 0, 7));
}

// What editors write by default: Notepad's UTF-8 starts with a byte order mark, its
// "Unicode" is UTF-16, in which every key would silently go missing.
TEST_F(SettingsFile, AByteOrderMarkIsSkippedAndUtf16IsRefusedWithWhatToDo) {
    EXPECT_EQ(Load("\xEF\xBB\xBF" "BDLINE=9\r\nTHRESHOLD=8\r\nPWIDTH=7\r\n").value(), Settings(9, 8, 7));
    const std::string text = "BDLINE=9\r\nTHRESHOLD=8\r\nPWIDTH=7\r\n";
    std::string littleEndian = "\xFF\xFE", bigEndian = "\xFE\xFF", noMark;
    for (const char c : text) {
        littleEndian += {c, '\0'};
        bigEndian += {'\0', c};
        noMark += {c, '\0'};
    }
    for (const std::string& utf16 : {littleEndian, bigEndian, noMark}) {
        const Expected<CounterSettings> load = Load(utf16);
        ASSERT_FALSE(load.has_value()) << "read as " << load->bdLine << "/" << load->threshold << "/" << load->pWidth;
        EXPECT_NE(load.error().message.find((folder_ / "Tamrex.ini").string()), std::string::npos) << load.error().message;
        EXPECT_NE(load.error().message.find("UTF-16 (Unicode) text"), std::string::npos) << load.error().message;
        EXPECT_NE(load.error().message.find("save it as UTF-8"), std::string::npos) << load.error().message;
    }
}

// Every key missing is allowed (all three are then 0), but is no settings file anyone
// meant: it is said, while a file missing only some keys reads without a word.
TEST_F(SettingsFile, AFileThatNamesNoSettingIsReadWithANotice) {
    const Expected<StationSettings> none = LoadStationSettings(Write("[Tamrex]\r\n; to be calibrated\r\nTHICKNESS=20\r\n"));
    ASSERT_TRUE(none.has_value()) << none.error().message;
    EXPECT_EQ(none->counter, Settings(0, 0, 0));
    EXPECT_NE(none->notice.find("names none of BDLINE, THRESHOLD and PWIDTH"), std::string::npos) << none->notice;
    EXPECT_NE(none->notice.find((folder_ / "Tamrex.ini").string()), std::string::npos) << none->notice;
    EXPECT_EQ(LoadStationSettings(Write("pwidth=7\r\n")).value().notice, "");
}

TEST_F(SettingsFile, MissingKeysStayZeroAndRangeIsNotCheckedHere) {
    EXPECT_EQ(Load("THRESHOLD=300\r\n").value(), Settings(0, 300, 0));
    EXPECT_EQ(Load("").value(), Settings(0, 0, 0));
}

TEST_F(SettingsFile, BadValuesNameTheFileLineKeyAndValue) {
    const auto problem = [&](const std::string& content) {
        const Expected<CounterSettings> load = Load(content);
        return load ? std::string("read without a problem") : load.error().message;
    };
    EXPECT_NE(problem("THRESHOLD=100\r\n\r\nbdline=abc\r\n").find("Tamrex.ini line 3: BDLINE value 'abc' is not a number"),
              std::string::npos);
    EXPECT_NE(problem("BDLINE=40000\r\n").find("line 1: BDLINE value '40000' is out of range (-32768 to 32767)"),
              std::string::npos);
    EXPECT_NE(problem("PWIDTH=\r\n").find("line 1: PWIDTH value '' is empty"), std::string::npos);
    EXPECT_NE(problem("PWIDTH\r\n").find("line 1: PWIDTH has no '=' and no value"), std::string::npos);
}

TEST_F(SettingsFile, AMissingFileIsReportedWithItsPath) {
    const Expected<CounterSettings> load = LoadSettings(folder_ / "absent.ini");
    ASSERT_FALSE(load.has_value());
    EXPECT_NE(load.error().message.find("absent.ini"), std::string::npos);
    EXPECT_NE(load.error().message.find("No such file"), std::string::npos);
}

TEST_F(SettingsFile, ReadingLeavesTheFileAsItWas) {
    const std::string content = "BDLINE=12.5\r\nX=1\n";
    const auto path = Write(content);
    const auto before = std::filesystem::last_write_time(path);
    ASSERT_TRUE(LoadSettings(path).has_value());
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), content);
    EXPECT_EQ(std::filesystem::last_write_time(path), before);
}

int Parsed(const char* text) {
    const Expected<std::int16_t> parsed = ParseSettingsValue(text);
    EXPECT_TRUE(parsed.has_value()) << text;
    return parsed.value_or(0);
}

TEST(ParseSettingsValue, RoundsFractionsHalfToEven) {
    EXPECT_EQ(Parsed("12.5"), 12);
    EXPECT_EQ(Parsed("13.5"), 14);
    EXPECT_EQ(Parsed("12.50001"), 13);
    EXPECT_EQ(Parsed("12.4999"), 12);
    EXPECT_EQ(Parsed("-12.5"), -12);
    EXPECT_EQ(Parsed("-13.5"), -14);
    EXPECT_EQ(Parsed("0.5"), 0);
    EXPECT_EQ(Parsed(".5"), 0);
    EXPECT_EQ(Parsed("1.5"), 2);
    EXPECT_EQ(Parsed("7."), 7);
}

TEST(ParseSettingsValue, AcceptsSignsAndBlanksAndTheWholeSixteenBitRange) {
    EXPECT_EQ(Parsed("-3"), -3);
    EXPECT_EQ(Parsed("+3"), 3);
    EXPECT_EQ(Parsed("\t 42 \t"), 42);
    EXPECT_EQ(Parsed("32767"), 32767);
    EXPECT_EQ(Parsed("-32768"), -32768);
    EXPECT_EQ(Parsed("32767.4"), 32767);
    EXPECT_EQ(Parsed("-32768.5"), -32768);
    EXPECT_EQ(Parsed("000000000000000000000000012"), 12);
}

TEST(ParseSettingsValue, RefusesWhatIsNotAPlainDecimalNumber) {
    for (const char* text : {"abc", "12abc", "1e3", "0x10", "1,000", "- 3", "+", ".", "1.2.3", "12 3"}) {
        EXPECT_EQ(ParseSettingsValue(text).error().message, "is not a number") << text;
    }
    for (const char* text : {"32768", "-32769", "32767.5", "99999999999999999999999"}) {
        EXPECT_EQ(ParseSettingsValue(text).error().message, "is out of range (-32768 to 32767)") << text;
    }
    EXPECT_EQ(ParseSettingsValue("   ").error().message, "is empty");
}

}  // namespace
}  // namespace tamrex
