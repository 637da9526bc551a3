// Any bytes at all, as the window's corrections file: they must give corrections or be
// refused with a message naming the file; what they give must be written and read
// back unchanged, and calibration must find the same photos and counts in it.
#include "calibration/CorrectionsFile.h"
#include "calibration/KnownCounts.h"
#include "fuzz/FuzzCheck.h"
#include "tests/fixtures/ScratchFolder.h"

#include <cstdint>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace tamrex::fuzz {
namespace {

const std::string kName = "'tamrex-corrections.csv'";

const std::filesystem::path& Folder() {
    static const testing::ScratchFolder folder;
    return folder.path();
}

void CheckRows(const std::vector<Correction>& corrections) {
    std::set<std::string> photos;
    for (const Correction& row : corrections) {
        Require(!row.file.empty(), "a correction without a photo");
        Require(photos.insert(row.file).second, "two rows for one photo");
        Require(row.count >= 1 && row.count <= 32767, "an accepted count of " + std::to_string(row.count));
        Require(row.counted >= 0 && row.counted <= 32767, "a counted value of " + std::to_string(row.counted));
    }
}

// As the window writes the file and calibrate --known-csv reads it.
void CheckWrittenReadsBack(const std::vector<Correction>& corrections) {
    const std::string text = CorrectionsText(corrections);
    const Expected<std::vector<Correction>> again = ParseCorrections(text, kName);
    Require(again.has_value(), "the corrections written again are refused: " + (again ? "" : again.error().message));
    Require(*again == corrections, "the corrections written again read back otherwise");
    if (corrections.empty()) return;
    const std::filesystem::path file = Folder() / "tamrex-corrections.csv";
    std::filesystem::remove(file);
    std::ofstream(file, std::ios::binary) << text;
    const Expected<std::vector<KnownCount>> known = ReadKnownCounts(file);
    Require(known.has_value(), "calibration refuses a corrections file: " + (known ? "" : known.error().message));
    Require(known->size() == corrections.size(), "calibration finds another number of photos");
    for (std::size_t i = 0; i < corrections.size(); ++i)
        Require((*known)[i].photo == corrections[i].file && (*known)[i].boards == corrections[i].count,
                "calibration reads row " + std::to_string(i) + " as another photo or count");
}

void CheckOneInput(const std::string& bytes) {
    const Expected<std::vector<Correction>> corrections = ParseCorrections(bytes, kName);
    if (!corrections) {
        Require(corrections.error().message.find(kName) != std::string::npos,
                "the message does not name the file: " + corrections.error().message);
        return;
    }
    CheckRows(*corrections);
    CheckWrittenReadsBack(*corrections);
}

}  // namespace
}  // namespace tamrex::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tamrex::fuzz::CheckOneInput(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
