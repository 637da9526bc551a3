#include "calibration/Calibrate.h"

#include "base/Quoted.h"
#include "calibration/SettingsSweep.h"
#include "counting/OrderedBatch.h"
#include "image/LoadPhoto.h"

#include <algorithm>

namespace tamrex {
namespace {

struct GreyPhoto {
    BitmapHandle grey;
    int boards = 0;
};

Expected<std::vector<GreyPhoto>> LoadGreyPhotos(const std::vector<KnownCount>& photos, std::uint64_t pixelLimit) {
    std::vector<GreyPhoto> loaded;
    for (const KnownCount& known : photos) {
        Expected<LoadedPhoto> photo = LoadJpeg(known.photo, pixelLimit);
        if (!photo) return Fail("cannot read photo " + Quoted(known.photo) + ": " + photo.error().message);
        // Thresholding turns a colour photo into this very grey picture before it
        // compares levels, so the grey copy thresholds to the same bits.
        BitmapHandle grey(FreeImage_ConvertToGreyscale(photo->bitmap.get()));
        if (!grey) return Fail("not enough memory for photo " + Quoted(known.photo));
        loaded.push_back({std::move(grey), known.boards});
    }
    return loaded;
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

// The sweeps of one thread: one per photo, each keeping its working state between thresholds.
using PhotoSweeps = std::vector<SettingsSweep>;
struct Scored {};

// Each thread takes the next threshold not yet taken, so each score is written by one thread.
Outcome ScoreAll(const CalibrationGrid& grid, const std::vector<GreyPhoto>& photos,
                 const CalibrationRequest& request, ScoreGrid& scores) {
    Outcome outcome;
    RunInOrder<PhotoSweeps, Scored>(
        grid.thresholds.size(), request.threads,
        [&](PhotoSweeps& sweeps, std::size_t t) -> Expected<Scored> {
            if (request.cancel && *request.cancel) return Fail(kCalibrationCancelled);
            if (sweeps.empty())
                for (const GreyPhoto& photo : photos) sweeps.emplace_back(photo.grey.get());
            ScoreThreshold(grid, t, sweeps, photos, scores);
            return Scored{};
        },
        [&](std::size_t t) { return "the search at THRESHOLD " + std::to_string(grid.thresholds[t]); },
        [&](std::size_t t, Expected<Scored> scored) {
            if (!scored && outcome) outcome = tl::unexpected(scored.error());
            if (request.progress) request.progress(t + 1, grid.thresholds.size());
        });
    return outcome;
}

CounterSettings SettingsAt(const CalibrationGrid& grid, const std::array<int, 3>& position) {
    return {static_cast<std::int16_t>(grid.bdLines[position[1]]),
            static_cast<std::int16_t>(grid.thresholds[position[0]]),
            static_cast<std::int16_t>(grid.pWidths[position[2]])};
}

}  // namespace

Expected<Calibration> Calibrate(const CalibrationRequest& request) {
    if (request.photos.empty()) return Fail("no photos with known counts to calibrate on");
    Expected<std::vector<GreyPhoto>> loaded = LoadGreyPhotos(request.photos, request.pixelLimit);
    if (!loaded) return tl::unexpected(loaded.error());

    Calibration calibration;
    calibration.grid = GridFor(ExtentsOf(*loaded));
    const CalibrationGrid& grid = calibration.grid;
    ScoreGrid scores(static_cast<int>(grid.thresholds.size()), static_cast<int>(grid.bdLines.size()),
                     static_cast<int>(grid.pWidths.size()));
    if (Outcome scored = ScoreAll(grid, *loaded, request, scores); !scored) return tl::unexpected(scored.error());
    calibration.choice = ChooseMostRobust(scores);
    calibration.settings = SettingsAt(grid, calibration.choice.position);
    return calibration;
}

}  // namespace tamrex
