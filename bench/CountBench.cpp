// Measures a count run against its floor, the image library work no count can avoid:
// decoding the JPEG, thresholding it once and saving a 1-bit BMP. Both are timed in
// one process, alternating, so that a busy machine slows both alike.
#include "counting/BoardCounter.h"
#include "image/ImageLibrary.h"
#include "image/LoadPhoto.h"
#include "settings/LoadSettings.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsOf(const auto& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void Floor(const std::string& photo, int threshold, const std::string& output) {
    FIBITMAP* source = FreeImage_Load(FIF_JPEG, photo.c_str(), JPEG_DEFAULT);
    FIBITMAP* binary = FreeImage_Threshold(source, static_cast<BYTE>(threshold));
    FreeImage_Save(FIF_BMP, binary, output.c_str(), BMP_DEFAULT);
    FreeImage_Unload(binary);
    FreeImage_Unload(source);
}

// The second look alone on the decoded photo: the part of a count it adds.
double SecondLookMilliseconds(const std::string& photo, int rounds) {
    const tamrex::Expected<tamrex::LoadedPhoto> loaded = tamrex::LoadJpeg(photo);
    if (!loaded) return 0;
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round)
        times.push_back(MillisecondsOf([&] { (void)tamrex::LookAgain(loaded->bitmap.get(), 0); }));
    return Median(times);
}

int Usage() {
    std::cerr << "usage: tamrex-bench [--ini FILE] [--rounds N] PHOTO...\n"
                 "Prints, per photo, the median floor and count times and their ratio, and the\n"
                 "second look's time as a share of the count,\n"
                 "then 'worst ratio R'.\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::filesystem::path settingsFile = tamrex::DefaultSettingsFile();
    int rounds = 15;
    std::vector<std::string> photos;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--ini" && i + 1 < argc) {
            settingsFile = argv[++i];
        } else if (argument == "--rounds" && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else if (argument.starts_with("-")) {
            return Usage();
        } else {
            photos.push_back(argument);
        }
    }
    if (photos.empty()) return Usage();
    const tamrex::Expected<tamrex::CounterSettings> settings = tamrex::LoadSettings(settingsFile);
    if (!settings) {
        std::cerr << "tamrex-bench: " << settings.error().message << "\n";
        return 1;
    }
    tamrex::EnsureImageLibrary();
    const auto scratch = std::filesystem::temp_directory_path();
    const std::string floorMap = (scratch / "tamrex-bench-floor.bmp").string();
    const std::string countMap = (scratch / "tamrex-bench-count.bmp").string();

    double worst = 0;
    tamrex::BoardCounter counter;
    for (const std::string& photo : photos) {
        std::vector<double> floorTimes, countTimes;
        tamrex::Expected<tamrex::CountResult> last = tamrex::Fail("not counted");
        for (int round = 0; round < rounds; ++round) {
            floorTimes.push_back(MillisecondsOf([&] { Floor(photo, settings->threshold, floorMap); }));
            countTimes.push_back(MillisecondsOf([&] { last = counter.CountBoards({photo, *settings, countMap}); }));
        }
        if (!last) {
            std::cerr << "tamrex-bench: " << last.error().message << "\n";
            return 1;
        }
        const double floor = Median(floorTimes), count = Median(countTimes);
        worst = std::max(worst, count / floor);
        const double second = SecondLookMilliseconds(photo, rounds);
        std::printf("%s: floor %.2f ms, count %.2f ms, ratio %.3f (count %d); second look %.2f ms, %.3f of the "
                    "count (second count %d)\n",
                    photo.c_str(), floor, count, count / floor, last->count(), second, second / count,
                    last->secondLook ? last->secondLook->boards : 0);
    }
    std::filesystem::remove(floorMap);
    std::filesystem::remove(countMap);
    std::printf("worst ratio %.3f\n", worst);
    return 0;
}
