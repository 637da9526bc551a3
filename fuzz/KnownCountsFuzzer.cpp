// Any bytes at all, given to calibration as its --known-csv file, and any text as a
// --known argument: they must give known counts or be refused with a message naming
// the file, and what they give must read back the same once written as CSV.
#include "calibration/CsvRecords.h"
#include "calibration/KnownCounts.h"
#include "fuzz/FuzzCheck.h"
#include "tests/fixtures/ScratchFolder.h"

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace tamrex::fuzz {
namespace {

const std::filesystem::path& Folder() {
    static const testing::ScratchFolder folder;
    return folder.path();
}

// A new file each time: ext4 flushes a file rewritten in place to disk on close.
std::filesystem::path Written(const std::string& name, const std::string& bytes) {
    const std::filesystem::path file = Folder() / name;
    std::filesystem::remove(file);
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    Require(out.good(), "cannot write " + file.string());
    return file;
}

void CheckCounts(const std::vector<KnownCount>& known) {
    Require(!known.empty(), "a list without photos was accepted");
    for (const KnownCount& one : known) {
        Require(!one.photo.empty(), "a photo without a name");
        Require(one.boards >= 1 && one.boards <= 32767, "a count of " + std::to_string(one.boards));
    }
}

// Written as --csv and the corrections file write their rows, the photos read back as they were.
void CheckWrittenReadsBack(const std::vector<KnownCount>& known) {
    std::string text = "file,count\r\n";
    for (const KnownCount& one : known) text += CsvField(one.photo.string()) + "," + std::to_string(one.boards) + "\r\n";
    const Expected<std::vector<KnownCount>> again = ReadKnownCounts(Written("again.csv", text));
    Require(again.has_value(), "the counts written again are refused: " + (again ? "" : again.error().message));
    Require(again->size() == known.size(), "the counts written again are another number of photos");
    for (std::size_t i = 0; i < known.size(); ++i)
        Require((*again)[i].photo == known[i].photo && (*again)[i].boards == known[i].boards,
                "photo " + std::to_string(i) + " reads back as another photo or count");
}

void CheckArgument(const std::string& bytes) {
    const Expected<KnownCount> known = ParseKnownCount(bytes);
    if (!known) return;
    const Expected<KnownCount> again = ParseKnownCount(known->photo.string() + "=" + std::to_string(known->boards));
    Require(again && again->photo == known->photo && again->boards == known->boards,
            "FILE=COUNT written again reads as something else");
}

void CheckOneInput(const std::string& bytes) {
    CheckArgument(bytes);
    const std::filesystem::path file = Written("known.csv", bytes);
    const Expected<std::vector<KnownCount>> known = ReadKnownCounts(file);
    if (!known) {
        Require(known.error().message.find(file.string()) != std::string::npos,
                "the message does not name the file: " + known.error().message);
        return;
    }
    Require(ParseCsv(bytes).has_value(), "counts were read from text that is no CSV");
    CheckCounts(*known);
    CheckWrittenReadsBack(*known);
}

}  // namespace
}  // namespace tamrex::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tamrex::fuzz::CheckOneInput(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
