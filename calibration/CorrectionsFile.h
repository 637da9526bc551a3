#pragma once

#include "base/Expected.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tamrex {

// The name the window gives the corrections file in a folder of photos.
inline constexpr char kCorrectionsFileName[] = "tamrex-corrections.csv";

// A board count a person accepted for a photo, beside the count the rules gave it.
struct Correction {
    std::string file;   // the photo's name in its folder
    int count = 0;      // the accepted count
    int counted = 0;    // what the rules counted; 0 when the file does not say
    std::string when;   // ISO 8601, as it was accepted
    bool operator==(const Correction&) const = default;
};

// The file as it is kept: a header row "file,count,counted,when", then one row per photo,
// CR LF line ends, fields quoted as RFC 4180 asks. `tamrex-count calibrate --known-csv`
// reads it, as its header names the file and count columns.
std::string CorrectionsText(const std::vector<Correction>& corrections);

// The rows of a corrections file, by its header: "file" and "count" must be named,
// "counted" and "when" may be. A photo named twice keeps its last row. `fileName` is
// what messages call the file.
Expected<std::vector<Correction>> ParseCorrections(std::string_view text, const std::string& fileName);

// No file yet is no corrections yet; a file that cannot be read or makes no sense fails
// with the file, the line and what to do.
Expected<std::vector<Correction>> ReadCorrections(const std::filesystem::path& file);

// Writes the file whole or not at all.
Outcome WriteCorrections(const std::filesystem::path& file, const std::vector<Correction>& corrections);

// Puts `correction` in place of the row of its photo, or adds it at the end.
void PutCorrection(std::vector<Correction>& corrections, Correction correction);

}  // namespace tamrex
