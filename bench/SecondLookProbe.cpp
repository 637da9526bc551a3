// second-look-probe: the second count of each photo given, and its time, as JSON lines,
// for bench/second_look_accuracy.py. The time covers the count from the decoded photo
// (the median of several rounds), not the decoding, which the count of the rules and
// the second look share.
#include "counting/SecondLook.h"

#include <FreeImage.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Photo = std::unique_ptr<FIBITMAP, decltype(&FreeImage_Unload)>;

struct Options {
    double thickness = 0;
    int rounds = 5;
    std::vector<std::string> photos;
};

std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (char letter : text) {
        if (letter == '"' || letter == '\\') quoted += '\\';
        quoted += static_cast<unsigned char>(letter) < 0x20 ? ' ' : letter;
    }
    return quoted + "\"";
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int index = 1; index < argc; ++index) {
        const std::string argument = argv[index];
        if ((argument == "--thickness" || argument == "--rounds") && index + 1 < argc) {
            char* end = nullptr;
            const double value = std::strtod(argv[++index], &end);
            if (*end != '\0' || value < 0) return false;
            if (argument == "--thickness") {
                options.thickness = value;
            } else {
                options.rounds = std::max(1, static_cast<int>(value));
            }
        } else if (argument.starts_with("-")) {
            return false;
        } else {
            options.photos.push_back(argument);
        }
    }
    return !options.photos.empty();
}

void Probe(const std::string& file, const Options& options) {
    const Photo photo(FreeImage_Load(FreeImage_GetFileType(file.c_str()), file.c_str()), &FreeImage_Unload);
    if (!photo) {
        std::cout << "{\"file\":" << Quoted(file) << ",\"error\":\"cannot read the photo\"}\n";
        return;
    }
    std::vector<double> times;
    tamrex::Expected<tamrex::SecondCount> count = tamrex::Fail("not counted");
    for (int round = 0; round < options.rounds; ++round) {
        const auto start = Clock::now();
        count = tamrex::LookAgain(photo.get(), options.thickness);
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    std::cout << "{\"file\":" << Quoted(file);
    if (count) {
        std::cout << ",\"boards\":" << count->boards << ",\"thickness\":" << count->thickness;
    } else {
        std::cout << ",\"error\":" << Quoted(count.error().message);
    }
    std::cout << ",\"ms\":" << times[times.size() / 2] << "}\n";
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::cerr << "usage: second-look-probe [--thickness ROWS] [--rounds N] PHOTO...\n"
                     "Prints one JSON line per photo: its second count, the board pitch it used\n"
                     "and the median time of N rounds (default 5) in ms.\n";
        return 2;
    }
    for (const std::string& file : options.photos) Probe(file, options);
    return 0;
}
