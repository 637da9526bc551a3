#pragma once

#include "base/Expected.h"
#include "calibration/PhotoIdentity.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tamrex {

// The name the window gives the corrections file in a folder of photos.
inline constexpr char kCorrectionsFileName[] = "tamrex-corrections.csv";

// How a count came to be accepted: lines put right by hand, the count of the rules
// confirmed as it was, or the second look's count taken as it was.
enum class Acceptance { kCorrected, kChecked, kSecondLook };

// A line a person accepted, in photo rows counted from the top, both ends included.
struct AcceptedLine {
    int top = 0;
    int bottom = 0;
    bool operator==(const AcceptedLine&) const = default;
};

// A board count a person accepted for a photo, beside the count the rules gave it.
struct Correction {
    std::string file;   // the photo's name in its folder
    int count = 0;      // the accepted count
    int counted = 0;    // what the rules counted; 0 when the file does not say
    std::string when;   // ISO 8601, as it was accepted
    Acceptance kind = Acceptance::kCorrected;
    // The lines on show when it was accepted, top first. Files written before they were
    // kept have none; neither has a second look's count.
    std::vector<AcceptedLine> lines = {};
    PhotoIdentity photo = {};  // the content it was accepted for; not known in older files

    // Whether the lines are the accepted count's own: one fewer than its boards.
    bool HasLines() const { return kind != Acceptance::kSecondLook && lines.size() + 1 == std::size_t(count); }
    bool operator==(const Correction&) const = default;
};

// The corrections of one folder: one per photo, in the order their photos were first
// accepted, found by name at once however many there are.
class CorrectionTable {
public:
    // In place of the photo's row, or at the end.
    void Put(Correction correction);
    const Correction* Find(const std::string& file) const;
    const std::vector<Correction>& Rows() const { return rows; }
    // The rows, taken out: the table is empty afterwards.
    std::vector<Correction> TakeRows();

private:
    std::vector<Correction> rows;
    std::unordered_map<std::string, std::size_t> rowOf;
};

// The file as it is kept: a header row "file,count,counted,when,kind,lines,bytes,
// fingerprint", then one row per photo, CR LF line ends, fields quoted as RFC 4180
// asks. Kinds are "corrected", "checked" and "second look"; lines are "top-bottom" or
// a single row, separated by spaces. `tamrex-count calibrate --known-csv` reads it, as
// its header names the file and count columns.
std::string CorrectionsText(const std::vector<Correction>& corrections);

// The rows of a corrections file, by its header: "file" and "count" must be named, the
// others may be, so files of earlier versions still read. A photo named twice keeps its
// last row. Takes time in step with the file's length. `fileName` is what messages call
// the file.
Expected<std::vector<Correction>> ParseCorrections(std::string_view text, const std::string& fileName);

// No file yet is no corrections yet; a file that cannot be read or makes no sense fails
// with the file, the line and what to do.
Expected<std::vector<Correction>> ReadCorrections(const std::filesystem::path& file);

// Writes the file whole or not at all.
Outcome WriteCorrections(const std::filesystem::path& file, const std::vector<Correction>& corrections);

}  // namespace tamrex
