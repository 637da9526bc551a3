#include "calibration/CorrectionsFile.h"

#include "base/Quoted.h"
#include "base/RegularFile.h"
#include "base/ReplaceFile.h"
#include "calibration/CsvRecords.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>

namespace tamrex {
namespace {

constexpr std::size_t kMostBytes = 64u << 20;  // far more rows than any folder of photos needs
constexpr int kMostBoards = 32767;
constexpr int kMostRow = 65535;  // the tallest picture a JPEG can hold
constexpr std::size_t kFingerprintDigits = 16;

constexpr std::array<std::pair<Acceptance, std::string_view>, 3> kKindNames = {
    {{Acceptance::kCorrected, "corrected"}, {Acceptance::kChecked, "checked"}, {Acceptance::kSecondLook, "second look"}}};

template <typename Number>
std::optional<Number> WholeNumber(std::string_view text, Number least, Number most) {
    Number value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < least || value > most)
        return std::nullopt;
    return value;
}

std::string_view KindName(Acceptance kind) {
    return std::find_if(kKindNames.begin(), kKindNames.end(), [&](const auto& named) { return named.first == kind; })
        ->second;
}

std::optional<Acceptance> KindNamed(std::string_view name) {
    if (name.empty()) return Acceptance::kCorrected;  // files of before kinds were kept
    const auto found =
        std::find_if(kKindNames.begin(), kKindNames.end(), [&](const auto& named) { return named.second == name; });
    if (found == kKindNames.end()) return std::nullopt;
    return found->first;
}

std::string LinesText(const std::vector<AcceptedLine>& lines) {
    std::string text;
    for (const AcceptedLine& line : lines) {
        if (!text.empty()) text += ' ';
        text += std::to_string(line.top);
        if (line.bottom != line.top) text += '-' + std::to_string(line.bottom);
    }
    return text;
}

std::optional<AcceptedLine> LineOf(std::string_view text) {
    const std::size_t dash = text.find('-');
    const std::optional<int> top = WholeNumber(text.substr(0, dash), 0, kMostRow);
    const std::optional<int> bottom = dash == std::string_view::npos ? top : WholeNumber(text.substr(dash + 1), 0, kMostRow);
    if (!top || !bottom || *bottom < *top) return std::nullopt;
    return AcceptedLine{*top, *bottom};
}

Expected<std::vector<AcceptedLine>> LinesOf(std::string_view text) {
    std::vector<AcceptedLine> lines;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find(' '), text.size());
        if (end > 0) {
            const std::optional<AcceptedLine> line = LineOf(text.substr(0, end));
            if (!line)
                return Fail("the line '" + std::string(text.substr(0, end)) +
                            "' is not a photo row or two rows joined by '-', the upper one first");
            lines.push_back(*line);
        }
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    std::sort(lines.begin(), lines.end(), [](const AcceptedLine& a, const AcceptedLine& b) { return a.top < b.top; });
    return lines;
}

bool IsFingerprint(std::string_view text) {
    return text.size() == kFingerprintDigits &&
           std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

struct Columns {
    std::optional<std::size_t> file, count, counted, when, kind, lines, bytes, fingerprint;
};

std::optional<std::size_t> ColumnNamed(const CsvRecord& header, std::string_view name) {
    const auto found = std::find(header.begin(), header.end(), name);
    if (found == header.end()) return std::nullopt;
    return static_cast<std::size_t>(found - header.begin());
}

Columns ColumnsOf(const CsvRecord& header) {
    return {ColumnNamed(header, "file"),  ColumnNamed(header, "count"), ColumnNamed(header, "counted"),
            ColumnNamed(header, "when"),  ColumnNamed(header, "kind"),  ColumnNamed(header, "lines"),
            ColumnNamed(header, "bytes"), ColumnNamed(header, "fingerprint")};
}

std::string_view FieldAt(const CsvRecord& record, std::optional<std::size_t> column) {
    if (!column || *column >= record.size()) return {};
    return record[*column];
}

// Both or neither: half an identity could not tell a photo from another.
Expected<PhotoIdentity> IdentityOf(std::string_view bytesText, std::string_view fingerprint) {
    if (bytesText.empty() && fingerprint.empty()) return PhotoIdentity{};
    const std::optional<std::uint64_t> bytes = WholeNumber<std::uint64_t>(bytesText, 0, UINT64_MAX);
    if (!bytes) return Fail("the size '" + std::string(bytesText) + "' is not a whole number of bytes");
    if (!IsFingerprint(fingerprint))
        return Fail("the fingerprint '" + std::string(fingerprint) + "' is not 16 hex digits");
    return PhotoIdentity{*bytes, std::string(fingerprint)};
}

Expected<Correction> CorrectionOf(const CsvRecord& record, const Columns& columns) {
    const std::string_view file = FieldAt(record, columns.file);
    if (file.empty()) return Fail("the file name is empty");
    const std::optional<int> count = WholeNumber(FieldAt(record, columns.count), 1, kMostBoards);
    if (!count)
        return Fail("the count '" + std::string(FieldAt(record, columns.count)) +
                    "' is not a whole number of boards from 1 to " + std::to_string(kMostBoards));
    const std::string_view countedText = FieldAt(record, columns.counted);
    const std::optional<int> counted = countedText.empty() ? 0 : WholeNumber(countedText, 0, kMostBoards);
    if (!counted) return Fail("the counted value '" + std::string(countedText) + "' is not a whole number");
    const std::optional<Acceptance> kind = KindNamed(FieldAt(record, columns.kind));
    if (!kind)
        return Fail("the kind '" + std::string(FieldAt(record, columns.kind)) +
                    "' is none of 'corrected', 'checked' and 'second look'");
    Expected<std::vector<AcceptedLine>> lines = LinesOf(FieldAt(record, columns.lines));
    if (!lines) return tl::unexpected(lines.error());
    Expected<PhotoIdentity> photo = IdentityOf(FieldAt(record, columns.bytes), FieldAt(record, columns.fingerprint));
    if (!photo) return tl::unexpected(photo.error());
    return Correction{std::string(file), *count, *counted, std::string(FieldAt(record, columns.when)), *kind,
                      std::move(*lines), std::move(*photo)};
}

}  // namespace

void CorrectionTable::Put(Correction correction) {
    const auto [at, added] = rowOf.try_emplace(correction.file, rows.size());
    if (added) {
        rows.push_back(std::move(correction));
    } else {
        rows[at->second] = std::move(correction);
    }
}

const Correction* CorrectionTable::Find(const std::string& file) const {
    const auto found = rowOf.find(file);
    return found == rowOf.end() ? nullptr : &rows[found->second];
}

std::vector<Correction> CorrectionTable::TakeRows() {
    rowOf.clear();
    return std::move(rows);
}

std::string CorrectionsText(const std::vector<Correction>& corrections) {
    std::string text = "file,count,counted,when,kind,lines,bytes,fingerprint\r\n";
    for (const Correction& row : corrections) {
        const bool known = row.photo.Known();
        text += CsvField(row.file) + "," + std::to_string(row.count) + "," + std::to_string(row.counted) + "," +
                CsvField(row.when) + "," + std::string(KindName(row.kind)) + "," + LinesText(row.lines) + "," +
                (known ? std::to_string(row.photo.bytes) : "") + "," + (known ? row.photo.fingerprint : "") + "\r\n";
    }
    return text;
}

Expected<std::vector<Correction>> ParseCorrections(std::string_view text, const std::string& fileName) {
    const std::string where = "corrections file " + fileName;
    const std::string remedy = ": put the line right or move the file away, and Tamrex starts a new one";
    const Expected<CsvTable> table = ParseCsv(text);
    if (!table) return Fail(where + ", " + table.error().message + remedy);
    CorrectionTable corrections;
    if (table->records.empty()) return corrections.TakeRows();
    const Columns columns = ColumnsOf(table->records.front());
    if (!columns.file || !columns.count)
        return Fail(where + ", line " + std::to_string(table->lines.front()) +
                    ": the header does not name the columns 'file' and 'count'" + remedy);
    for (std::size_t row = 1; row < table->records.size(); ++row) {
        Expected<Correction> one = CorrectionOf(table->records[row], columns);
        if (!one)
            return Fail(where + ", line " + std::to_string(table->lines[row]) + ": " + one.error().message + remedy);
        corrections.Put(std::move(*one));
    }
    return corrections.TakeRows();
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

}  // namespace tamrex
