#include "calibration/KnownCounts.h"

#include "calibration/CsvRecords.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <sstream>

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
    return "the count '" + std::string(count) + "' is not a whole number of boards from 1 to " +
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

bool ReadText(const std::filesystem::path& file, std::string& text, std::string& error) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = std::strerror(errno);
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    text = content.str();
    return true;
}

}  // namespace

std::optional<KnownCount> ParseKnownCount(std::string_view text, std::string& problem) {
    const std::size_t equals = text.rfind('=');
    if (equals == std::string_view::npos || equals == 0) {
        problem = "'" + std::string(text) + "' is not FILE=COUNT";
        return std::nullopt;
    }
    const std::optional<int> boards = BoardsOf(text.substr(equals + 1));
    if (!boards) {
        problem = "in '" + std::string(text) + "', " + BoardsProblem(text.substr(equals + 1));
        return std::nullopt;
    }
    return KnownCount{std::string(text.substr(0, equals)), *boards};
}

std::vector<KnownCount> ReadKnownCounts(const std::filesystem::path& csv, std::string& error) {
    const std::string where = "known counts '" + csv.string() + "'";
    std::string text;
    if (!ReadText(csv, text, error)) {
        error = "cannot read " + where + ": " + error;
        return {};
    }
    const CsvParse parse = ParseCsv(text);
    if (!parse.error.empty()) {
        error = where + ", " + parse.error;
        return {};
    }
    std::vector<KnownCount> known;
    if (parse.records.empty()) {
        error = where + " lists no photos: write one 'file,count' line per photo";
        return {};
    }
    const Columns columns = ColumnsOf(parse.records.front());
    for (std::size_t row = columns.header ? 1 : 0; row < parse.records.size(); ++row) {
        const CsvRecord& record = parse.records[row];
        const std::string line = where + ", line " + std::to_string(parse.lines[row]);
        if (record.size() <= std::max(columns.file, columns.count)) {
            error = line + ": expected a file and a count";
            return {};
        }
        const std::optional<int> boards = BoardsOf(record[columns.count]);
        if (!boards || record[columns.file].empty()) {
            error = line + ": " +
                    (record[columns.file].empty() ? "the file name is empty"
                                                  : BoardsProblem(record[columns.count]));
            return {};
        }
        known.push_back({record[columns.file], *boards});
    }
    if (known.empty()) error = where + " lists no photos under its header";
    return known;
}

}  // namespace tamrex
