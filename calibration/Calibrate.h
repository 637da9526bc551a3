#pragma once

#include "base/Expected.h"
#include "calibration/CalibrationGrid.h"
#include "calibration/LookLearning.h"
#include "counting/CounterSettings.h"
#include "calibration/RobustChoice.h"
#include "counting/MemoryBudget.h"
#include "image/LoadPhoto.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <filesystem>
#include <string>
#include <vector>

namespace tamrex {

// A photo whose boards someone counted by hand.
struct KnownCount {
    std::filesystem::path photo;
    int boards = 0;
};

// What to calibrate on, and how.
struct CalibrationRequest {
    std::vector<KnownCount> photos;
    unsigned threads = 1;  // at most; fewer when the machine's cores or the memory budget say so
    std::uint64_t pixelLimit = kDefaultPixelLimit;  // bigger photos are refused, as a count would
    // Told how many of the steps of the search are done, on the thread that called
    // Calibrate, as they finish.
    std::function<void(std::size_t done, std::size_t total)> progress;
    // Set from any thread to stop the search; Calibrate then fails with kCalibrationCancelled.
    const std::atomic<bool>* cancel = nullptr;
    // The grey copies kept for the search take no more than this; a photo that would
    // pass it is left out, and said so. The search runs on no more threads than the
    // room left beside them holds (see SearchThreads).
    std::uint64_t memoryBudget = DefaultMemoryBudget();
    // Where the stack lies in every photo, when a person framed it: the second look
    // learns inside it.
    std::optional<PhotoFrame> frame{};
};

inline constexpr const char* kCalibrationCancelled = "the calibration was cancelled";

struct Calibration {
    CalibrationGrid grid;
    CounterSettings settings;  // the chosen settings
    // The board thickness learned from the known photos, in pixel rows with decimals,
    // for the check on every count and as the second look's hint: its pitch where it
    // found the stacks, else the strips' height over the count; 0 when it could not be
    // learned.
    double thickness = 0;
    LookLearning secondLook;  // what the second look learned and how it counts the photos with it
    std::optional<PhotoFrame> frame;  // the frame it was learned in, to keep with the settings
    RobustChoice choice;       // their score and plateau, in grid positions
    // Why each photo the search had to leave out was left out, in the order given.
    std::vector<Failure> leftOut;
};

// Finds the settings most likely to count further photos of the station exactly.
// From the strips the photos show at the middle threshold at which every one has a
// band, it learns how thick a board is, and fits the grid's PWIDTH to that; then it
// keeps the settings that count the most photos exactly and picks among them as
// ChooseMostRobust does: settings whose neighbours count the photos too, with lines
// one board apart. Loads each photo once and shares the work of a count between
// settings (see SettingsSweep); the thresholds are shared out over the request's
// threads. A photo that cannot be read, is bigger than the pixel limit or shows no
// stack band at any threshold is left out, with the reason in `leftOut`; the search
// fails when no photo is left, or when no threshold shows every photo's band.
Expected<Calibration> Calibrate(const CalibrationRequest& request);

}  // namespace tamrex
