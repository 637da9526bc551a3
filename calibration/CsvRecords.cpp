#include "calibration/CsvRecords.h"

namespace tamrex {
namespace {

class CsvReader {
public:
    explicit CsvReader(std::string_view text) : text_(text) {}

    CsvParse ReadAll() {
        CsvParse parse;
        while (at_ < text_.size()) {
            CsvRecord record;
            const int line = line_ + 1;
            if (!ReadRecord(record, parse.error)) return parse;
            if (record.size() == 1 && record[0].empty()) continue;
            parse.records.push_back(std::move(record));
            parse.lines.push_back(line);
        }
        return parse;
    }

private:
    bool ReadRecord(CsvRecord& record, std::string& error) {
        ++line_;
        while (true) {
            std::string field;
            if (!ReadField(field, error)) return false;
            record.push_back(std::move(field));
            if (at_ >= text_.size()) return true;
            const char separator = text_[at_++];
            if (separator == ',') continue;
            if (separator == '\r' && at_ < text_.size() && text_[at_] == '\n') ++at_;
            return true;
        }
    }

    bool ReadField(std::string& field, std::string& error) {
        if (at_ < text_.size() && text_[at_] == '"') return ReadQuoted(field, error);
        while (at_ < text_.size() && text_[at_] != ',' && text_[at_] != '\r' && text_[at_] != '\n') {
            if (text_[at_] == '"') {
                error =
                    "line " + std::to_string(line_) + ": a quote inside a field that does not start with one";
                return false;
            }
            field += text_[at_++];
        }
        return true;
    }

    bool ReadQuoted(std::string& field, std::string& error) {
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
                error = "line " + std::to_string(line_) + ": text after the closing quote of a field";
                return false;
            } else {
                return true;
            }
        }
        error = "line " + std::to_string(openedOn) + ": a quoted field is never closed";
        return false;
    }

    std::string_view text_;
    std::size_t at_ = 0;
    int line_ = 0;
};

}  // namespace

CsvParse ParseCsv(std::string_view text) { return CsvReader(text).ReadAll(); }

}  // namespace tamrex
