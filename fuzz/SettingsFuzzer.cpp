// Any bytes at all, given to the settings reader as its file: it must load them or
// refuse them with a message naming the file, and what it loads must read back the same.
#include "fuzz/FuzzCheck.h"
#include "tests/fixtures/ScratchFolder.h"
#include "settings/LoadSettings.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace tamrex::fuzz {
namespace {

const std::filesystem::path& Folder() {
    static const testing::ScratchFolder folder;
    return folder.path();
}

// A new file each time: ext4 flushes a file rewritten in place to disk on close,
// which would cost more than everything the reader does.
void WriteFile(const std::filesystem::path& file, const std::string& bytes) {
    std::filesystem::remove(file);
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    Require(out.good(), "cannot write " + file.string());
}

std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Describe(const CounterSettings& settings) {
    return std::to_string(settings.bdLine) + "/" + std::to_string(settings.threshold) + "/" +
           std::to_string(settings.pWidth);
}

// The settings, written in the plainest form the file has, must load unchanged.
void CheckRewrittenReadsBack(const CounterSettings& settings) {
    char text[96];
    std::snprintf(text, sizeof text, "BDLINE=%d\r\nTHRESHOLD=%d\r\nPWIDTH=%d\r\n", settings.bdLine,
                  settings.threshold, settings.pWidth);
    const Expected<CounterSettings> again = ParseSettings(text, "Rewritten.ini");
    Require(again.has_value(), "the rewritten settings are refused: " + (again ? "" : again.error().message));
    Require(*again == settings, "rewritten " + Describe(settings) + " reads back as " + Describe(*again));
}

// A line added at the end overrides that key and leaves the others alone.
void CheckLastLineWins(const std::string& bytes, const CounterSettings& settings) {
    const Expected<CounterSettings> appended = ParseSettings(bytes + "\nbdline= -7.5 \n", "Appended.ini");
    CounterSettings expected = settings;
    expected.bdLine = -8;
    Require(appended.has_value(),
            "a valid line appended to valid settings is refused: " + (appended ? "" : appended.error().message));
    Require(*appended == expected, "appending bdline= -7.5 gives " + Describe(*appended) + ", not " + Describe(expected));
}

void CheckOneInput(const std::string& bytes) {
    const std::filesystem::path file = Folder() / "Tamrex.ini";
    WriteFile(file, bytes);
    const Expected<CounterSettings> load = LoadSettings(file);
    Require(ReadFile(file) == bytes, "the settings file changed while it was read");
    if (!load) {
        Require(load.error().message.find(file.string()) != std::string::npos,
                "the message does not name the file: " + load.error().message);
        return;
    }
    CheckRewrittenReadsBack(*load);
    CheckLastLineWins(bytes, *load);
}

}  // namespace
}  // namespace tamrex::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tamrex::fuzz::CheckOneInput(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
