#include "record/CountLog.h"
#include "record/LogWriter.h"
#include "record/Sha256.h"
#include "tests/fixtures/ScratchFolder.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <sys/stat.h>

#include <algorithm>
#include <future>
#include <string>
#include <vector>

namespace tamrex {
namespace {

using testing::ScratchFolder;

CountRecord Count(const std::filesystem::path& photo, int boards, std::int64_t whenMs,
                  std::vector<std::string> flags = {}) {
    CountResult result;
    result.lineTotal = boards - 1;
    result.flags = std::move(flags);
    CountRecord record = RecordOfCount(photo, result, {"/station/Tamrex.ini", 320, 110, 24, 18.8, ""}, "test", "0");
    record.when.unixMs = whenMs;
    record.facts = PhotoFacts{100, 0, std::string(64, 'a')};
    return record;
}

std::vector<std::string> PhotosOf(const std::vector<LoggedCount>& counts) {
    std::vector<std::string> names;
    for (const LoggedCount& count : counts) names.push_back(count.record.photo.filename().string());
    return names;
}

// The statement's SQLite result code, run on a connection of its own, as someone at the
// sqlite3 prompt would.
int RunSql(const std::filesystem::path& file, const std::string& sql) {
    sqlite3* database = nullptr;
    sqlite3_open(file.c_str(), &database);
    const int code = sqlite3_exec(database, sql.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(database);
    return code;
}

TEST(Sha256, MatchesTheStandardsVectorsAndReadsFilesInPieces) {
    const std::vector<std::pair<std::string, std::string>> vectors = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const DigestPath path : {DigestPath::kFastest, DigestPath::kPlain}) {
        for (const auto& [bytes, digest] : vectors) EXPECT_EQ(Sha256Hex(bytes, path), digest) << bytes.size() << " bytes";
    }
    // Every way a message's end can fall in its last blocks, both ways alike.
    std::string message;
    for (int size = 0; size < 300; ++size, message += static_cast<char>(size * 131 % 256)) {
        EXPECT_EQ(Sha256Hex(message, DigestPath::kFastest), Sha256Hex(message, DigestPath::kPlain)) << size << " bytes";
    }

    ScratchFolder folder;
    std::string content;
    for (int i = 0; i < 200000; ++i) content += static_cast<char>(i * 7 % 251);  // several read pieces
    const auto photo = folder.WriteFile("photo.jpg", content);
    const Expected<PhotoFacts> facts = ReadPhotoFacts(photo);
    ASSERT_TRUE(facts) << facts.error().message;
    EXPECT_EQ(facts->sha256, Sha256Hex(content));
    EXPECT_EQ(facts->size, content.size());

    ASSERT_EQ(::mkfifo((folder / "fifo.jpg").c_str(), 0600), 0);
    EXPECT_FALSE(ReadPhotoFacts(folder / "fifo.jpg"));  // refused, not waited on
}

TEST(LocalDays, BoundDaysOfTheLocalCalendarAndRefuseWhatIsNoDate) {
    const auto day = [](const char* text, bool next) { return DayBoundary(text, next).value(); };
    EXPECT_EQ(day("2024-12-31", true), day("2025-01-01", false));
    EXPECT_EQ(day("2024-02-28", true), day("2024-02-29", false));  // a leap day is a day
    EXPECT_EQ(day("yesterday", true), day("today", false));
    const std::int64_t now = Now().unixMs;
    EXPECT_LE(day("today", false), now);
    EXPECT_GT(day("today", true), now);
    for (const char* wrong : {"2024-13-01", "31.12.2024", "2024-12-1", "tomorrow", ""}) {
        const Expected<std::int64_t> refused = DayBoundary(wrong, false);
        ASSERT_FALSE(refused) << wrong;
        EXPECT_NE(refused.error().message.find("YYYY-MM-DD"), std::string::npos) << refused.error().message;
    }
}

TEST(CountLog, FindsCountsByTimeFolderPhotoCorrectionAndFlag) {
    ScratchFolder folder;
    const auto file = folder / "log" / "counts.sqlite";  // the folder is made too
    Expected<CountLog> log = CountLog::OpenForWriting(file);
    ASSERT_TRUE(log) << log.error().message;
    const CountRecord corrected = Count("/yard/a/one.jpg", 20, 1000);
    ASSERT_TRUE(log->Add({corrected, Count("/yard/a/two.jpg", 21, 2000, {"no-line"}), Count("/yard/b/three.jpg", 22, 3000),
                          RecordOfCorrection(corrected, 19, {{10, 12}})}));

    Expected<CountLog> reader = CountLog::OpenForReading(file);
    ASSERT_TRUE(reader) << reader.error().message;
    struct Case {
        const char* what;
        LogFilter filter;
        std::vector<std::string> photos;
    };
    LogFilter since, until, inA, photo, correctedOnly, flaggedOnly, bySha;
    since.sinceMs = 2000;
    until.untilMs = 2000;
    inA.folder = "/yard/a/";
    photo.photo = "/yard/b/../b/three.jpg";
    correctedOnly.correctedOnly = true;
    flaggedOnly.flaggedOnly = true;
    bySha.sha256 = std::string(64, 'a');
    const std::vector<Case> cases = {
        {"all, oldest first", {}, {"one.jpg", "two.jpg", "three.jpg"}},
        {"since", since, {"two.jpg", "three.jpg"}},
        {"until, before", until, {"one.jpg"}},
        {"folder", inA, {"one.jpg", "two.jpg"}},
        {"photo", photo, {"three.jpg"}},
        {"corrected", correctedOnly, {"one.jpg"}},
        {"flagged", flaggedOnly, {"two.jpg"}},
        {"same content", bySha, {"one.jpg", "two.jpg", "three.jpg"}},
    };
    for (const Case& c : cases) {
        const Expected<std::vector<LoggedCount>> found = reader->Find(c.filter);
        ASSERT_TRUE(found) << c.what << ": " << found.error().message;
        EXPECT_EQ(PhotosOf(*found), c.photos) << c.what;
    }
    const auto all = reader->Find({});
    ASSERT_TRUE(all);
    EXPECT_EQ((*all)[0].record.count, 20);
    EXPECT_EQ((*all)[0].Accepted(), 19);
    EXPECT_EQ((*all)[0].record.settings.thickness, 18.8);
    EXPECT_EQ((*all)[1].record.flags, std::vector<std::string>{"no-line"});
    EXPECT_FALSE((*all)[1].Accepted());
}

TEST(CountLog, RowsAreOnlyAddedAndForeignOrNewerDatabasesAreLeftAlone) {
    ScratchFolder folder;
    const auto file = folder / "counts.sqlite";
    {
        Expected<CountLog> log = CountLog::OpenForWriting(file);
        ASSERT_TRUE(log);
        ASSERT_TRUE(log->Add({Count("/yard/one.jpg", 20, 1000)}));
    }
    EXPECT_EQ(RunSql(file, "UPDATE counts SET count = 21"), SQLITE_CONSTRAINT);
    EXPECT_EQ(RunSql(file, "DELETE FROM counts"), SQLITE_CONSTRAINT);
    ASSERT_TRUE(CountLog::OpenForWriting(file));  // opened again: nothing to bring up to date

    const auto other = folder / "other.sqlite";
    ASSERT_EQ(RunSql(other, "CREATE TABLE invoices (n INTEGER)"), SQLITE_OK);
    const Expected<CountLog> notOurs = CountLog::OpenForWriting(other);
    ASSERT_FALSE(notOurs);
    EXPECT_NE(notOurs.error().message.find("another program"), std::string::npos) << notOurs.error().message;
    EXPECT_EQ(RunSql(other, "SELECT * FROM counts"), SQLITE_ERROR);  // no table of ours added

    ASSERT_EQ(RunSql(file, "PRAGMA user_version = 99"), SQLITE_OK);
    const Expected<CountLog> newer = CountLog::OpenForWriting(file);
    ASSERT_FALSE(newer);
    EXPECT_NE(newer.error().message.find("newer version"), std::string::npos) << newer.error().message;
}

// Every tamrex-count run opens the log afresh; whatever it leaves beside the log, the
// next run reads whole.
TEST(CountLog, OpenedAfreshForEachCountLeavesNoGrowingWriteAheadFile) {
    ScratchFolder folder;
    const auto file = folder / "counts.sqlite";
    for (int run = 0; run < 40; ++run) {
        Expected<CountLog> log = CountLog::OpenForWriting(file);
        ASSERT_TRUE(log) << log.error().message;
        ASSERT_TRUE(log->Add({Count("/yard/photo-" + std::to_string(run) + ".jpg", 20, 1000 + run)}));
    }
    std::error_code absent;
    const auto left = std::filesystem::file_size(folder / "counts.sqlite-wal", absent);
    EXPECT_TRUE(absent || left < 64 * 1024) << left << " bytes left to read at every start";
    Expected<CountLog> reader = CountLog::OpenForReading(file);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->Find({})->size(), 40u);
}

// Written on a thread of its own for a batch, at once for a single photo: alike.
class LogWriterWriting : public ::testing::TestWithParam<LogWriting> {};

INSTANTIATE_TEST_SUITE_P(Both, LogWriterWriting, ::testing::Values(LogWriting::kOwnThread, LogWriting::kAtOnce));

TEST_P(LogWriterWriting, AnUnwritableLogIsReportedOnceAndItsCountsAreWrittenOnceItMends) {
    ScratchFolder folder;
    const auto file = folder.WriteFile("counts.sqlite", "not a database, and more than a header's worth of it");
    std::vector<std::string> notices;
    int printed = 0;
    {
        LogWriter writer(file, [&](const std::string& message) { notices.push_back(message); }, GetParam());
        // One at a time, as counts of a slow batch come: each is a write of its own.
        const auto addAndWait = [&](CountRecord count) {
            std::promise<void> done;
            writer.Add(std::move(count), [&] {
                ++printed;
                done.set_value();
            });
            done.get_future().wait();
        };
        for (int i = 0; i < 4; ++i) addAndWait(Count("/yard/one.jpg", 20 + i, i));
        std::filesystem::remove(file);  // mended: the next write makes a new log
        addAndWait(Count("/yard/two.jpg", 40, 10));
    }
    EXPECT_EQ(printed, 5);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find("counts.sqlite"), std::string::npos) << notices[0];
    EXPECT_NE(notices[0].find("not a SQLite database"), std::string::npos) << notices[0];
    Expected<CountLog> log = CountLog::OpenForReading(file);
    ASSERT_TRUE(log) << log.error().message;
    EXPECT_EQ(log->Find({})->size(), 5u);  // those held back while it was damaged too
}

}  // namespace
}  // namespace tamrex
