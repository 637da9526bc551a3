// tamrex-bench: where a count run spends its processor time. Times every stage of the
// count itself (the stages report their ends, see base/StageMark.h) and, alternating with
// it in the same process, the image library's floor: loading the JPEG, thresholding it,
// cropping the strip and saving it as a 1-bit BMP. Run under callgrind, it dumps the
// instructions of each stage separately instead (scripts/bench-stages.sh reads them).
#include "base/StageMark.h"
#include "counting/BoardCounter.h"
#include "image/ImageLibrary.h"
#include "settings/LoadSettings.h"

#include <valgrind/callgrind.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

double ProcessorMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The processor time of each stage of every round, by stage, in the order the stages
// first ended. Under callgrind each stage's instructions go to a dump of its own, named
// "WHAT: STAGE", unless `what` is empty.
class StageTimes : public tamrex::StageListener {
public:
    explicit StageTimes(std::string what = {}) : what_(std::move(what)) {}

    void Start() {
        CALLGRIND_ZERO_STATS;
        last_ = ProcessorMilliseconds();
    }

    void StageDone(std::string_view stage) override {
        const double now = ProcessorMilliseconds();
        const std::string name(stage);
        if (!times_.contains(name)) order_.push_back(name);
        times_[name].push_back(now - last_);
        if (!what_.empty()) {
            const std::string dump = what_ + ": " + name;
            CALLGRIND_DUMP_STATS_AT(dump.c_str());
        }
        last_ = ProcessorMilliseconds();
    }

    const std::vector<std::string>& Order() const { return order_; }
    double MedianOf(const std::string& stage) const { return Median(times_.at(stage)); }
    double MedianWhole() const {
        std::vector<double> wholes(times_.at(order_.front()).size(), 0.0);
        for (const auto& [stage, times] : times_) {
            for (std::size_t round = 0; round < wholes.size(); ++round) wholes[round] += times[round];
        }
        return Median(wholes);
    }

private:
    std::string what_;
    double last_ = 0;
    std::vector<std::string> order_;
    std::map<std::string, std::vector<double>> times_;
};

// Makes `times` hear the stages of this thread while it lives.
class Listening {
public:
    explicit Listening(StageTimes& times) { tamrex::stageListener = &times; }
    ~Listening() { tamrex::stageListener = nullptr; }
    Listening(const Listening&) = delete;
    Listening& operator=(const Listening&) = delete;
};

struct Strip {
    int width = 0;
    int height = 0;
};

// What the image library needs to make the count's strip: decode, threshold, crop a
// strip of the count's size beside the four columns the count leaves out, save.
void Floor(const std::string& photo, int threshold, Strip strip, const std::string& output, StageTimes& times) {
    times.Start();
    FIBITMAP* source = FreeImage_Load(FIF_JPEG, photo.c_str(), JPEG_DEFAULT);
    times.StageDone("load");
    FIBITMAP* binary = FreeImage_Threshold(source, static_cast<BYTE>(threshold));
    times.StageDone("threshold");
    FIBITMAP* cropped = FreeImage_Copy(binary, 4, 0, 4 + strip.width, strip.height);
    times.StageDone("crop");
    FreeImage_Save(FIF_BMP, cropped, output.c_str(), BMP_DEFAULT);
    times.StageDone("save");
    FreeImage_Unload(cropped);
    FreeImage_Unload(binary);
    FreeImage_Unload(source);
    times.StageDone("release");
}

tamrex::Expected<tamrex::CountResult> Count(tamrex::BoardCounter& counter, const tamrex::CountRequest& request,
                                            StageTimes& times) {
    const Listening listening(times);
    times.Start();
    tamrex::Expected<tamrex::CountResult> result = counter.CountBoards(request);
    times.StageDone("release");
    return result;
}

void PrintStages(const StageTimes& times, double whole) {
    for (const std::string& stage : times.Order()) {
        const double median = times.MedianOf(stage);
        std::printf("  %-16s %9.3f ms %6.1f%%\n", stage.c_str(), median, 100 * median / whole);
    }
}

int Usage() {
    std::cerr << "usage: tamrex-bench [--ini FILE] [--rounds N] PHOTO...\n"
                 "Prints, per photo, the processor time of each stage of a count and of the image\n"
                 "library's floor (load, threshold, crop, save), medians of N alternating rounds\n"
                 "(default 15), each stage's share of its whole, and the ratio count / floor.\n";
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
    if (RUNNING_ON_VALGRIND) rounds = 1;  // instructions do not vary from round to round
    tamrex::EnsureImageLibrary();
    const auto scratch = std::filesystem::temp_directory_path();
    const std::string floorMap = (scratch / "tamrex-bench-floor.bmp").string();
    const std::string countMap = (scratch / "tamrex-bench-count.bmp").string();

    tamrex::BoardCounter counter;
    for (const std::string& photo : photos) {
        const tamrex::CountRequest request{photo, *settings, countMap};
        // A first count outside the rounds: caches warm, and the strip's size for the floor.
        StageTimes warmUp;
        const tamrex::Expected<tamrex::CountResult> first = Count(counter, request, warmUp);
        if (!first) {
            std::cerr << "tamrex-bench: " << first.error().message << "\n";
            return 1;
        }
        const Strip strip{first->stripWidth, first->stripHeight};
        StageTimes floorTimes("floor"), countTimes("count");
        for (int round = 0; round < rounds; ++round) {
            Floor(photo, settings->threshold, strip, floorMap, floorTimes);
            (void)Count(counter, request, countTimes);
        }
        const double floor = floorTimes.MedianWhole(), count = countTimes.MedianWhole();
        std::printf("%s: count %d, strip %d x %d; processor time, medians of %d rounds\n", photo.c_str(),
                    first->count(), strip.width, strip.height, rounds);
        std::printf(" count\n");
        PrintStages(countTimes, count);
        std::printf("  %-16s %9.3f ms\n", "whole", count);
        std::printf(" floor\n");
        PrintStages(floorTimes, floor);
        std::printf("  %-16s %9.3f ms\n", "whole", floor);
        std::printf(" count / floor %.3f\n", count / floor);
    }
    std::filesystem::remove(floorMap);
    std::filesystem::remove(countMap);
    return 0;
}
