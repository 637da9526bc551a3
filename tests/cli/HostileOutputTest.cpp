// What a photo's name, a settings file or an output name can make of the command
// line's reports: no forged result lines, no terminal control, no report replaced.
#include "tests/fixtures/CountCommandFolder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tamrex {
namespace {

using testing::CommandOutcome;
using testing::ReadFile;
using testing::ShellQuoted;

class HostileOutput : public testing::CountCommandFolder {};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(text.substr(at, end - at));
    return lines;
}

bool HasControlBytes(const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return (static_cast<unsigned char>(c) < 0x20 && c != '\n') || c == 0x7F; });
}

// A name that carries a line break and a whole result line of its own, one that
// recolours the terminal and clears it, and a missing one with a line break: one
// line each, on stdout or stderr, with the names escaped.
TEST_F(HostileOutput, NamesCannotForgeAResultLineOrDriveTheTerminal) {
    const std::string forged = "x.jpg: count 1 (passes 0 0 0 0, strip 1x1, 1 ms)\nstack.jpg";
    const std::string coloured = "\x1b[31mred\x1b[2J.jpg";
    std::filesystem::copy_file(folder_ / "stack.jpg", folder_ / forged);
    std::filesystem::copy_file(folder_ / "stack.jpg", folder_ / coloured);
    const CommandOutcome run =
        Count(ShellQuoted(forged) + " " + ShellQuoted(coloured) + " " + ShellQuoted("gone\n.jpg"));
    EXPECT_EQ(run.status, 1);
    const std::vector<std::string> out = Lines(run.out);
    ASSERT_EQ(out.size(), 2u) << run.out;
    EXPECT_EQ(out[0].rfind("x.jpg: count 1 (passes 0 0 0 0, strip 1x1, 1 ms)\\nstack.jpg: count 18 ", 0), 0u) << out[0];
    EXPECT_EQ(out[1].rfind("\\x1b[31mred\\x1b[2J.jpg: count 18 ", 0), 0u) << out[1];
    EXPECT_FALSE(HasControlBytes(run.out)) << run.out;
    EXPECT_EQ(run.err, "tamrex-count: cannot read photo 'gone\\n.jpg': No such file or directory\n");

    // JSON escapes control characters its own way; U+009B, the one-character ESC [, too.
    const std::string csi = "\xc2\x9b" "2J.jpg";
    std::filesystem::copy_file(folder_ / "stack.jpg", folder_ / csi);
    const CommandOutcome json = Count("--json " + ShellQuoted(coloured) + " " + ShellQuoted(csi));
    EXPECT_EQ(Lines(json.out).size(), 2u) << json.out;
    EXPECT_NE(json.out.find("\"file\":\"\\u001b[31mred\\u001b[2J.jpg\""), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"file\":\"\\u009b2J.jpg\""), std::string::npos) << json.out;
    EXPECT_EQ(json.out.find("\xc2\x9b"), std::string::npos) << json.out;

    // The count log keeps the names as they are and lists them as the report does.
    ASSERT_EQ(Count("--log counts.sqlite " + ShellQuoted(forged)).status, 0);
    const CommandOutcome logged = Count("log --log counts.sqlite");
    EXPECT_EQ(logged.status, 0) << logged.err;
    EXPECT_NE(logged.out.find("x.jpg: count 1 (passes 0 0 0 0, strip 1x1, 1 ms)\\nstack.jpg: count 18"),
              std::string::npos)
        << logged.out;
    EXPECT_FALSE(HasControlBytes(logged.out)) << logged.out;
}

// The names of the program's own streams, given as outputs, would replace the report
// (or a log) with a picture; the count is reported all the same.
TEST_F(HostileOutput, AnOutputNamingTheReportOrTheLogIsRefusedAndTheCountStands) {
    const struct {
        std::string arguments;
        std::string redirect;
        std::string file;
    } cases[] = {
        {"--line-map /dev/stdout", "> report.txt", "report.txt"},
        {"--line-map /proc/self/fd/1", "> report.txt", "report.txt"},
        {"--line-map report.txt", "> report.txt", "report.txt"},
        {"--line-map /dev/fd/2", "2> log.txt", "log.txt"},
        {"--line-map /dev/stderr", "2> log.txt", "log.txt"},
    };
    for (const auto& one : cases) {
        const CommandOutcome run = testing::RunIn(
            folder_, "(" + std::string(TAMREX_COUNT) + " --ini Tamrex.ini " + one.arguments + " stack.jpg " +
                         one.redirect + "; echo $? > status.txt)");
        const std::string written = ReadFile(folder_ / one.file);
        EXPECT_EQ(ReadFile(folder_ / "status.txt"), "1\n") << one.arguments;
        EXPECT_EQ(written.substr(0, 2) == "BM" || written.find("\x89PNG") != std::string::npos, false)
            << one.arguments << " replaced " << one.file;
        const std::string report = one.file == "report.txt" ? written : run.out;
        EXPECT_NE(report.find("stack.jpg: count 18 "), std::string::npos) << one.arguments << ": " << report;
        const std::string log = one.file == "log.txt" ? written : run.err;
        EXPECT_NE(log.find("cannot write"), std::string::npos) << one.arguments << ": " << log;
    }
}

// Photos named like spreadsheet formulas: the CSV report makes them text, and
// calibration still finds them in it.
TEST_F(HostileOutput, CsvNamesAreNoFormulasAndStillLeadToTheirPhotos) {
    for (const char* name : {"=1+1.jpg", "@SUM(A1).jpg", "+cmd.jpg"})
        std::filesystem::copy_file(folder_ / "stack.jpg", folder_ / name);
    const CommandOutcome report = Count("--csv =1+1.jpg @SUM\\(A1\\).jpg -- +cmd.jpg");
    ASSERT_EQ(report.status, 0) << report.err;
    for (const char* row : {"\r\n'=1+1.jpg,18,", "\r\n'@SUM(A1).jpg,18,", "\r\n'+cmd.jpg,18,"})
        EXPECT_NE(report.out.find(row), std::string::npos) << row << " in:\n" << report.out;
    folder_.WriteFile("known.csv", report.out);

    const CommandOutcome calibrated = testing::RunIn(folder_, std::string(TAMREX_COUNT) + " calibrate --known-csv known.csv");
    EXPECT_EQ(calibrated.status, 0) << calibrated.out << calibrated.err;
    for (const char* line : {"  =1+1.jpg: counted ", "  @SUM(A1).jpg: counted ", "  +cmd.jpg: counted "})
        EXPECT_NE(calibrated.out.find(line), std::string::npos) << line << " in:\n" << calibrated.out;
}

TEST_F(HostileOutput, ASettingsFileThatNamesNoSettingIsSaidToDoSo) {
    folder_.WriteFile("empty.ini", "[Tamrex]\r\n; to be calibrated\r\n");
    const CommandOutcome run = testing::RunIn(folder_, std::string(TAMREX_COUNT) + " --ini empty.ini stack.jpg");
    EXPECT_EQ(run.err.rfind("tamrex-count: warning: settings file 'empty.ini' names none of BDLINE, THRESHOLD and PWIDTH", 0), 0u)
        << run.err;
}

}  // namespace
}  // namespace tamrex
