#include "calibration/Calibrate.h"

#include "image/ImageLibrary.h"
#include "calibration/SettingsSweep.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>

namespace tamrex {
namespace {

struct GreyPhoto {
    BitmapHandle grey;
    int boards = 0;
};

std::string LoadGreyPhotos(const std::vector<KnownCount>& photos, std::vector<GreyPhoto>& loaded) {
    for (const KnownCount& known : photos) {
        LoadedPhoto photo = LoadJpeg(known.photo);
        if (!photo.bitmap) return "cannot read photo '" + known.photo.string() + "': " + photo.error;
        // Thresholding turns a colour photo into this very grey picture before it
        // compares levels, so the grey copy thresholds to the same bits.
        BitmapHandle grey(FreeImage_ConvertToGreyscale(photo.bitmap.get()));
        if (!grey) return "not enough memory for photo '" + known.photo.string() + "'";
        loaded.push_back({std::move(grey), known.boards});
    }
    return {};
}

std::vector<PhotoExtent> ExtentsOf(const std::vector<GreyPhoto>& photos) {
    std::vector<PhotoExtent> extents;
    for (const GreyPhoto& photo : photos) {
        extents.push_back({static_cast<int>(FreeImage_GetWidth(photo.grey.get())),
                           static_cast<int>(FreeImage_GetHeight(photo.grey.get())), photo.boards});
    }
    return extents;
}

// Scores every setting of one threshold on every photo.
void ScoreThreshold(const CalibrationGrid& grid, std::size_t t, std::vector<SettingsSweep>& sweeps,
                    const std::vector<GreyPhoto>& photos, ScoreGrid& scores) {
    std::vector<SweptCount> counts;
    for (std::size_t photo = 0; photo < photos.size(); ++photo) {
        const bool counted = sweeps[photo].CountAt(grid.thresholds[t], grid.bdLines, grid.pWidths, counts);
        for (std::size_t b = 0; b < grid.bdLines.size(); ++b) {
            for (std::size_t p = 0; p < grid.pWidths.size(); ++p) {
                // A photo without a band has no count; it is as wrong as a count of 0.
                const SweptCount count = counted ? counts[b * grid.pWidths.size() + p] : SweptCount{};
                scores[scores.IndexOf(static_cast<int>(t), static_cast<int>(b), static_cast<int>(p))].Add(
                    count.count, photos[photo].boards, count.splitLines);
            }
        }
    }
}

// Each thread takes the next threshold not yet taken, so each score is written by one thread.
void ScoreAll(const CalibrationGrid& grid, const std::vector<GreyPhoto>& photos, unsigned threads,
              ScoreGrid& scores) {
    std::atomic<std::size_t> next{0};
    std::exception_ptr failure;
    std::mutex failureMutex;
    auto work = [&] {
        try {
            std::vector<SettingsSweep> sweeps;
            for (const GreyPhoto& photo : photos) sweeps.emplace_back(photo.grey.get());
            for (std::size_t t = next++; t < grid.thresholds.size(); t = next++) {
                ScoreThreshold(grid, t, sweeps, photos, scores);
            }
        } catch (...) {
            const std::lock_guard lock(failureMutex);
            failure = std::current_exception();
            next = grid.thresholds.size();
        }
    };
    {
        std::vector<std::jthread> workers;
        const unsigned count =
            std::clamp<unsigned>(threads, 1, static_cast<unsigned>(grid.thresholds.size()));
        for (unsigned worker = 0; worker < count; ++worker) workers.emplace_back(work);
    }
    if (failure) std::rethrow_exception(failure);
}

CounterSettings SettingsAt(const CalibrationGrid& grid, const std::array<int, 3>& position) {
    return {static_cast<std::int16_t>(grid.bdLines[position[1]]),
            static_cast<std::int16_t>(grid.thresholds[position[0]]),
            static_cast<std::int16_t>(grid.pWidths[position[2]])};
}

}  // namespace

Calibration Calibrate(const std::vector<KnownCount>& photos, unsigned threads) {
    Calibration calibration;
    if (photos.empty()) {
        calibration.error = "no photos with known counts to calibrate on";
        return calibration;
    }
    std::vector<GreyPhoto> loaded;
    calibration.error = LoadGreyPhotos(photos, loaded);
    if (!calibration.error.empty()) return calibration;

    calibration.grid = GridFor(ExtentsOf(loaded));
    const CalibrationGrid& grid = calibration.grid;
    ScoreGrid scores(static_cast<int>(grid.thresholds.size()), static_cast<int>(grid.bdLines.size()),
                     static_cast<int>(grid.pWidths.size()));
    try {
        ScoreAll(grid, loaded, threads, scores);
    } catch (const std::bad_alloc&) {
        calibration.error = "not enough memory to count the photos: calibrate on fewer or smaller photos";
        return calibration;
    }
    calibration.choice = ChooseMostRobust(scores);
    calibration.settings = SettingsAt(grid, calibration.choice.position);
    return calibration;
}

}  // namespace tamrex
