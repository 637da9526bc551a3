#include "calibration/KnownCounts.h"

#include "base/Quoted.h"
#include "base/RegularFile.h"
#include "calibration/CsvRecords.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>

namespace tamrex {
namespace {

constexpr int kMostBoards = 32767;

std::optional<int> BoardsOf(std::string_view text) {
    int boards = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), boards);
    if (error != std::errc() || end != text.data() + text.size() || boards < 1 || boards > kMostBoards) {
        return std::nullopt;
    }
    return boards;
}

std::string BoardsProblem(std::string_view count) {
    return "the count '" + Printable(count) + "' is not a whole number of boards from 1 to " +
           std::to_string(kMostBoards);
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

struct Columns {
    std::size_t file = 0;
    std::size_t count = 1;
    bool header = false;
};

Columns ColumnsOf(const CsvRecord& first) {
    Columns columns;
    const auto named = [&](const char* name) {
        return std::find_if(first.begin(), first.end(),
                            [&](const std::string& field) { return Lower(field) == name; });
    };
    const auto file = named("file");
    const auto count = named("count");
    if (file == first.end() || count == first.end()) return columns;
    return {static_cast<std::size_t>(file - first.begin()), static_cast<std::size_t>(count - first.begin()),
            true};
}

// Each hand-counted photo takes a line: far more than any station has.
constexpr std::size_t kMostBytes = 16u << 20;

// One row of the table as a known count, or why it cannot be one.
Expected<KnownCount> KnownCountOf(const CsvRecord& record, const Columns& columns) {
    if (record.size() <= std::max(columns.file, columns.count)) return Fail("expected a file and a count");
    if (record[columns.file].empty()) return Fail("the file name is empty");
    const std::optional<int> boards = BoardsOf(record[columns.count]);
    if (!boards) return Fail(BoardsProblem(record[columns.count]));
    return KnownCount{record[columns.file], *boards};
}

}  // namespace

Expected<KnownCount> ParseKnownCount(std::string_view text) {
    const std::size_t equals = text.rfind('=');
    if (equals == std::string_view::npos || equals == 0) return Fail("'" + Printable(text) + "' is not FILE=COUNT");
    const std::optional<int> boards = BoardsOf(text.substr(equals + 1));
    if (!boards) return Fail("in '" + Printable(text) + "', " + BoardsProblem(text.substr(equals + 1)));
    return KnownCount{std::string(text.substr(0, equals)), *boards};
}

Expected<std::vector<KnownCount>> ReadKnownCounts(const std::filesystem::path& csv) {
    const std::string where = "known counts " + Quoted(csv);
    const Expected<std::string> text = ReadRegularFile(csv, kMostBytes, "known-counts file");
    if (!text) return Fail("cannot read " + where + ": " + text.error().message);
    const Expected<CsvTable> table = ParseCsv(*text);
    if (!table) return Fail(where + ", " + table.error().message);
    if (table->records.empty()) return Fail(where + " lists no photos: write one 'file,count' line per photo");
    const Columns columns = ColumnsOf(table->records.front());
    std::vector<KnownCount> known;
    for (std::size_t row = columns.header ? 1 : 0; row < table->records.size(); ++row) {
        Expected<KnownCount> one = KnownCountOf(table->records[row], columns);
        if (!one) return Fail(where + ", line " + std::to_string(table->lines[row]) + ": " + one.error().message);
        known.push_back(std::move(*one));
    }
    if (known.empty()) return Fail(where + " lists no photos under its header");
    return known;
}

}  // namespace tamrex
