#include "calibration/CsvRecords.h"

namespace tamrex {
namespace {

constexpr char kTextMark = '\'';

// Starts, after any apostrophes, with what makes a spreadsheet cell a formula.
bool LooksLikeAFormula(std::string_view field) {
    const std::size_t first = field.find_first_not_of(kTextMark);
    return first != std::string_view::npos && std::string_view("=+-@\t\r").find(field[first]) != std::string_view::npos;
}

// The field as written before CsvField guarded it.
std::string Unguarded(std::string field) {
    if (!field.empty() && field.front() == kTextMark && LooksLikeAFormula(field)) field.erase(0, 1);
    return field;
}

class CsvReader {
public:
    explicit CsvReader(std::string_view text) : text_(text) {}

    Expected<CsvTable> ReadAll() {
        CsvTable table;
        while (at_ < text_.size()) {
            CsvRecord record;
            const int line = line_ + 1;
            if (Outcome read = ReadRecord(record); !read) return tl::unexpected(read.error());
            if (record.size() == 1 && record[0].empty()) continue;
            table.records.push_back(std::move(record));
            table.lines.push_back(line);
        }
        return table;
    }

private:
    Outcome ReadRecord(CsvRecord& record) {
        ++line_;
        while (true) {
            std::string field;
            if (Outcome read = ReadField(field); !read) return read;
            record.push_back(Unguarded(std::move(field)));
            if (at_ >= text_.size()) return {};
            const char separator = text_[at_++];
            if (separator == ',') continue;
            if (separator == '\r' && at_ < text_.size() && text_[at_] == '\n') ++at_;
            return {};
        }
    }

    Outcome ReadField(std::string& field) {
        if (at_ < text_.size() && text_[at_] == '"') return ReadQuoted(field);
        while (at_ < text_.size() && text_[at_] != ',' && text_[at_] != '\r' && text_[at_] != '\n') {
            if (text_[at_] == '"')
                return Fail("line " + std::to_string(line_) + ": a quote inside a field that does not start with one");
            field += text_[at_++];
        }
        return {};
    }

    Outcome ReadQuoted(std::string& field) {
        const int openedOn = line_;
        ++at_;
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (c == '\n') ++line_;
            if (c != '"') {
                field += c;
            } else if (at_ < text_.size() && text_[at_] == '"') {
                field += '"';
                ++at_;
            } else if (at_ < text_.size() && text_[at_] != ',' && text_[at_] != '\r' && text_[at_] != '\n') {
                return Fail("line " + std::to_string(line_) + ": text after the closing quote of a field");
            } else {
                return {};
            }
        }
        return Fail("line " + std::to_string(openedOn) + ": a quoted field is never closed");
    }

    std::string_view text_;
    std::size_t at_ = 0;
    int line_ = 0;
};

}  // namespace

Expected<CsvTable> ParseCsv(std::string_view text) { return CsvReader(text).ReadAll(); }

namespace {

bool NeedsQuotes(std::string_view text) {
    if (text.find_first_of(",\"\r\n") != std::string_view::npos) return true;
    return !text.empty() && (text.front() == ' ' || text.back() == ' ' || text.front() == '\t' ||
                             text.back() == '\t');
}

}  // namespace

std::string CsvField(std::string_view field) {
    const std::string text = LooksLikeAFormula(field) ? kTextMark + std::string(field) : std::string(field);
    if (!NeedsQuotes(text)) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

}  // namespace tamrex
