#include "calibration/CorrectionsFile.h"

#include "base/Quoted.h"
#include "base/RegularFile.h"
#include "base/ReplaceFile.h"
#include "calibration/CsvRecords.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace tamrex {
namespace {

constexpr std::size_t kMostBytes = 16u << 20;  // far more rows than any folder of photos needs
constexpr int kMostBoards = 32767;

std::optional<int> WholeNumber(std::string_view text, int least) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < least || value > kMostBoards)
        return std::nullopt;
    return value;
}

struct Columns {
    std::optional<std::size_t> file, count, counted, when;
};

std::optional<std::size_t> ColumnNamed(const CsvRecord& header, std::string_view name) {
    const auto found = std::find(header.begin(), header.end(), name);
    if (found == header.end()) return std::nullopt;
    return static_cast<std::size_t>(found - header.begin());
}

Columns ColumnsOf(const CsvRecord& header) {
    return {ColumnNamed(header, "file"), ColumnNamed(header, "count"), ColumnNamed(header, "counted"),
            ColumnNamed(header, "when")};
}

std::string_view FieldAt(const CsvRecord& record, std::optional<std::size_t> column) {
    if (!column || *column >= record.size()) return {};
    return record[*column];
}

Expected<Correction> CorrectionOf(const CsvRecord& record, const Columns& columns) {
    const std::string_view file = FieldAt(record, columns.file);
    if (file.empty()) return Fail("the file name is empty");
    const std::optional<int> count = WholeNumber(FieldAt(record, columns.count), 1);
    if (!count)
        return Fail("the count '" + std::string(FieldAt(record, columns.count)) +
                    "' is not a whole number of boards from 1 to " + std::to_string(kMostBoards));
    const std::string_view countedText = FieldAt(record, columns.counted);
    const std::optional<int> counted = countedText.empty() ? 0 : WholeNumber(countedText, 0);
    if (!counted) return Fail("the counted value '" + std::string(countedText) + "' is not a whole number");
    return Correction{std::string(file), *count, *counted, std::string(FieldAt(record, columns.when))};
}

}  // namespace

std::string CorrectionsText(const std::vector<Correction>& corrections) {
    std::string text = "file,count,counted,when\r\n";
    for (const Correction& row : corrections) {
        text += CsvField(row.file) + "," + std::to_string(row.count) + "," + std::to_string(row.counted) + "," +
                CsvField(row.when) + "\r\n";
    }
    return text;
}

Expected<std::vector<Correction>> ParseCorrections(std::string_view text, const std::string& fileName) {
    const std::string where = "corrections file " + fileName;
    const std::string remedy = ": put the line right or move the file away, and Tamrex starts a new one";
    const Expected<CsvTable> table = ParseCsv(text);
    if (!table) return Fail(where + ", " + table.error().message + remedy);
    std::vector<Correction> corrections;
    if (table->records.empty()) return corrections;
    const Columns columns = ColumnsOf(table->records.front());
    if (!columns.file || !columns.count)
        return Fail(where + ", line " + std::to_string(table->lines.front()) +
                    ": the header does not name the columns 'file' and 'count'" + remedy);
    for (std::size_t row = 1; row < table->records.size(); ++row) {
        Expected<Correction> one = CorrectionOf(table->records[row], columns);
        if (!one)
            return Fail(where + ", line " + std::to_string(table->lines[row]) + ": " + one.error().message + remedy);
        PutCorrection(corrections, std::move(*one));
    }
    return corrections;
}

Expected<std::vector<Correction>> ReadCorrections(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::exists(file, error) && !error) return std::vector<Correction>{};
    const Expected<std::string> text = ReadRegularFile(file, kMostBytes, "corrections file");
    if (!text)
        return Fail("cannot read corrections file " + Quoted(file) + ": " + text.error().message +
                    "; move it away, and Tamrex starts a new one");
    return ParseCorrections(*text, Quoted(file));
}

Outcome WriteCorrections(const std::filesystem::path& file, const std::vector<Correction>& corrections) {
    return ReplaceFileWith(file, CorrectionsText(corrections)).or_else([&](const Failure& failure) -> Outcome {
        return Fail("cannot write corrections file " + Quoted(file) + ": " + failure.message);
    });
}

void PutCorrection(std::vector<Correction>& corrections, Correction correction) {
    const auto same = std::find_if(corrections.begin(), corrections.end(),
                                   [&](const Correction& row) { return row.file == correction.file; });
    if (same == corrections.end()) {
        corrections.push_back(std::move(correction));
    } else {
        *same = std::move(correction);
    }
}

}  // namespace tamrex
