// The count log as tamrex-count writes and reads it: --log, `log`, --verify, --evidence.
#include "image/Bitmap.h"
#include "record/CountLog.h"
#include "tests/fixtures/CountCommandFolder.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <set>
#include <sstream>

namespace tamrex {
namespace {

using testing::CommandOutcome;

class CountLogCommand : public testing::CountCommandFolder {
protected:
    // "p000.jpg p001.jpg ...": copies of the photo, as a station's batch.
    std::string Copies(const std::string& prefix, int copies) {
        std::string names;
        for (int i = 0; i < copies; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "%s%03d.jpg", prefix.c_str(), i);
            std::filesystem::copy_file(folder_ / "stack.jpg", folder_ / name);
            names += std::string(" ") + name;
        }
        return names;
    }

    std::set<std::string> LoggedPhotos() {
        Expected<CountLog> log = CountLog::OpenForReading(folder_ / "counts.sqlite");
        EXPECT_TRUE(log) << log.error().message;
        std::set<std::string> photos;
        if (!log) return photos;
        const Expected<std::vector<LoggedCount>> counts = log->Find({});
        for (const LoggedCount& count : counts.value()) photos.insert(count.record.photo.filename().string());
        return photos;
    }

    static std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> lines;
        std::istringstream stream(text);
        for (std::string line; std::getline(stream, line);) lines.push_back(line);
        return lines;
    }
};

TEST_F(CountLogCommand, TwoBatchesWritingOneLogAtOnceLoseNoRow) {
    const std::string first = Copies("a", 40), second = Copies("b", 40);
    const CommandOutcome run = testing::RunIn(
        folder_, "(" + std::string(TAMREX_COUNT) + " --ini Tamrex.ini --log counts.sqlite -j 2" + first + " > a.txt & " +
                     TAMREX_COUNT + " --ini Tamrex.ini --log counts.sqlite -j 2" + second + " && wait $!)");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(LoggedPhotos().size(), 80u);

    const CommandOutcome listed = Count("log --log counts.sqlite --csv --since today --folder .");
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(Lines(listed.out).size(), 81u) << listed.out;  // the header and every count
}

TEST_F(CountLogCommand, ABatchKilledMidwayLeavesASoundLogWithEveryCountItPrinted) {
    const std::string photos = Copies("p", 150);
    // Killed the moment its 20th count is read from the pipe, as a power cut or an
    // operator's kill would come: between a count printed and the next.
    const CommandOutcome run = testing::RunIn(
        folder_, "({ " + std::string(TAMREX_COUNT) + " --ini Tamrex.ini --log counts.sqlite -j 2" + photos +
                     " & echo $! > pid; wait; } | { head -n 20 > printed.txt; kill -9 $(cat pid); }; true)");
    ASSERT_EQ(run.status, 0) << run.err;

    sqlite3* database = nullptr;
    ASSERT_EQ(sqlite3_open((folder_ / "counts.sqlite").c_str(), &database), SQLITE_OK);
    sqlite3_stmt* check = nullptr;
    sqlite3_prepare_v2(database, "PRAGMA integrity_check", -1, &check, nullptr);
    ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
    sqlite3_finalize(check);
    sqlite3_close(database);

    const std::set<std::string> logged = LoggedPhotos();
    const std::vector<std::string> printed = Lines(testing::ReadFile(folder_ / "printed.txt"));
    EXPECT_GE(printed.size(), 20u);
    for (const std::string& line : printed) {
        const std::string photo = line.substr(0, line.find(':'));
        EXPECT_TRUE(logged.count(photo)) << photo << " was printed but is not in the log";
    }
}

TEST_F(CountLogCommand, ALogThatCannotBeWrittenCostsNoCountAndIsReportedOnce) {
    folder_.WriteFile("counts.sqlite", std::string(4096, 'x'));
    const std::string photos = Copies("p", 6);
    const CommandOutcome withLog = Count("--log counts.sqlite -j 2" + photos);
    const CommandOutcome without = Count("--no-log -j 2" + photos);
    EXPECT_EQ(withLog.status, without.status);
    EXPECT_EQ(Lines(withLog.out).size(), 6u) << withLog.out;
    const std::vector<std::string> messages = Lines(withLog.err);
    ASSERT_EQ(messages.size(), 1u) << withLog.err;
    EXPECT_NE(messages[0].find("cannot add counts to the count log 'counts.sqlite': it is not a SQLite database"),
              std::string::npos)
        << messages[0];
    EXPECT_EQ(testing::ReadFile(folder_ / "counts.sqlite"), std::string(4096, 'x'));  // left as it was
}

TEST_F(CountLogCommand, ListsAcceptedCountsWithTotalsAndVerifiesThePhoto) {
    ASSERT_EQ(Count("--log counts.sqlite stack.jpg").status, 0);
    std::filesystem::copy_file(folder_ / "stack.jpg", folder_ / "other.jpg");
    ASSERT_EQ(Count("--log counts.sqlite other.jpg").status, 0);
    {  // a person accepts 19 for stack.jpg, as the review window would record it
        Expected<CountLog> log = CountLog::OpenForWriting(folder_ / "counts.sqlite");
        ASSERT_TRUE(log);
        const std::vector<LoggedCount> counts = *log->Find({});
        ASSERT_TRUE(log->Add({RecordOfCorrection(counts.at(0).record, 19, {})}));
    }
    const CommandOutcome listed = Count("log --log counts.sqlite");
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_NE(listed.out.find("stack.jpg: count 18, second look 18, accepted 19"), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("Total: 2 counts, 36 boards counted; 1 accepted count, 19 boards accepted; 37 boards "
                              "as accepted."),
              std::string::npos)
        << listed.out;
    // The day --until names is included: both counts, made today, are listed.
    const CommandOutcome untilToday = Count("log --log counts.sqlite --json --until today");
    EXPECT_EQ(Lines(untilToday.out).size(), 2u) << untilToday.out << untilToday.err;
    const CommandOutcome corrected = Count("log --log counts.sqlite --corrected --json");
    EXPECT_EQ(Lines(corrected.out).size(), 1u) << corrected.out;
    EXPECT_NE(corrected.out.find("\"accepted_count\":19"), std::string::npos) << corrected.out;

    const CommandOutcome same = Count("log --log counts.sqlite --verify stack.jpg");
    EXPECT_EQ(same.status, 0) << same.out << same.err;
    EXPECT_NE(same.out.find("'stack.jpg' is the photo that was counted"), std::string::npos) << same.out;
    folder_.WriteFile("stack.jpg", testing::ReadFile(folder_ / "stack.jpg") + "changed");
    const CommandOutcome changed = Count("log --log counts.sqlite --verify stack.jpg");
    EXPECT_EQ(changed.status, 1);
    EXPECT_NE(changed.out.find("'stack.jpg' is NOT the photo that was counted"), std::string::npos) << changed.out;
}

TEST_F(CountLogCommand, EvidenceIsTheOverlayWithACaptionBandUnderIt) {
    const CommandOutcome run = Count("--log counts.sqlite --evidence evidence.png --overlay overlay.png stack.jpg");
    ASSERT_EQ(run.status, 0) << run.err;
    const BitmapHandle evidence(FreeImage_Load(FIF_PNG, (folder_ / "evidence.png").c_str(), 0));
    const BitmapHandle overlay(FreeImage_Load(FIF_PNG, (folder_ / "overlay.png").c_str(), 0));
    ASSERT_TRUE(evidence && overlay);
    EXPECT_EQ(FreeImage_GetWidth(evidence.get()), FreeImage_GetWidth(overlay.get()));
    EXPECT_GT(FreeImage_GetHeight(evidence.get()), FreeImage_GetHeight(overlay.get()));
}

}  // namespace
}  // namespace tamrex
