#include "calibration/Calibrate.h"

#include "base/Quoted.h"
#include "calibration/BandHeights.h"
#include "calibration/SearchMemory.h"
#include "calibration/SettingsSweep.h"
#include "calibration/StripHeights.h"
#include "counting/OrderedBatch.h"
#include "image/LoadPhoto.h"

#include <malloc.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <thread>

namespace tamrex {
namespace {

struct GreyPhoto {
    std::filesystem::path photo;
    BitmapHandle grey;
    int boards = 0;
};

// The photos a search runs on, and why the others were left out.
struct SearchedPhotos {
    std::vector<GreyPhoto> photos;
    std::vector<Failure> leftOut;

    std::vector<int> Boards() const {
        std::vector<int> boards;
        for (const GreyPhoto& photo : photos) boards.push_back(photo.boards);
        return boards;
    }
};

Expected<GreyPhoto> LoadGreyPhoto(const KnownCount& known, std::uint64_t pixelLimit) {
    Expected<LoadedPhoto> photo = LoadJpeg(known.photo, pixelLimit);
    if (!photo) return Fail("cannot read photo " + Quoted(known.photo) + ": " + photo.error().message);
    // Thresholding turns a colour photo into this very grey picture before it
    // compares levels, so the grey copy thresholds to the same bits.
    BitmapHandle grey(FreeImage_ConvertToGreyscale(photo->bitmap.get()));
    if (!grey) return Fail("not enough memory for photo " + Quoted(known.photo));
    return GreyPhoto{known.photo, std::move(grey), known.boards};
}

std::uint64_t BytesOf(const GreyPhoto& photo) {
    return static_cast<std::uint64_t>(FreeImage_GetPitch(photo.grey.get())) * FreeImage_GetHeight(photo.grey.get());
}

Failure OverBudget(const KnownCount& photo, std::uint64_t budget) {
    return Failure{"photo " + Quoted(photo.photo) + " is left out: with it the photos kept for the search would take "
                   "more than the memory budget of " + std::to_string(budget >> 20) +
                   " MiB; calibrate on fewer or smaller photos, or raise --memory-budget"};
}

// Decoded one at a time; only the grey copies stay, within the memory budget.
SearchedPhotos LoadGreyPhotos(const CalibrationRequest& request) {
    SearchedPhotos searched;
    std::uint64_t kept = 0;
    for (const KnownCount& photo : request.photos) {
        Expected<GreyPhoto> loaded = LoadGreyPhoto(photo, request.pixelLimit);
        if (!loaded) {
            searched.leftOut.push_back(loaded.error());
        } else if (kept + BytesOf(*loaded) > request.memoryBudget) {
            searched.leftOut.push_back(OverBudget(photo, request.memoryBudget));
        } else {
            kept += BytesOf(*loaded);
            searched.photos.push_back(std::move(*loaded));
        }
    }
    return searched;
}

// A thread of the search keeps nothing between thresholds: it counts one photo at a
// time, so that what it holds does not grow with the photos.
struct SearchThread {};

// Runs work(t) for every threshold, sharing the thresholds out over `threads`, and
// hands each result to take(t, result) on this thread.
template <typename Result>
Outcome OverThresholds(const std::vector<int>& thresholds, unsigned threads, const CalibrationRequest& request,
                       const std::function<Result(std::size_t)>& work,
                       const std::function<void(std::size_t, Result&)>& take) {
    Outcome outcome;
    RunInOrder<SearchThread, Result>(
        thresholds.size(), threads,
        [&](SearchThread&, std::size_t t) -> Expected<Result> {
            if (request.cancel && *request.cancel) return Fail(kCalibrationCancelled);
            return work(t);
        },
        [&](std::size_t t) { return "the search at THRESHOLD " + std::to_string(thresholds[t]); },
        [&](std::size_t t, Expected<Result> result) {
            if (!result && outcome) outcome = tl::unexpected(result.error());
            if (result && outcome) take(t, *result);
        });
    return outcome;
}

Expected<StripHeights> MeasureStrips(const std::vector<int>& thresholds, const std::vector<GreyPhoto>& photos,
                                     const CalibrationRequest& request) {
    StripHeights heights;
    heights.rows.resize(thresholds.size());
    for (const GreyPhoto& photo : photos) {
        if (request.cancel && *request.cancel) return Fail(kCalibrationCancelled);
        const std::vector<int> photoHeights = BandHeights(photo.grey.get(), thresholds);
        for (std::size_t t = 0; t < thresholds.size(); ++t) heights.rows[t].push_back(photoHeights[t]);
    }
    return heights;
}

// A photo without a band at any level has no strip to count: nothing can be learned from it.
void LeaveOutBandless(SearchedPhotos& searched, StripHeights& heights) {
    for (std::size_t photo = 0; photo < searched.photos.size();) {
        if (heights.EverBanded(photo)) {
            ++photo;
            continue;
        }
        searched.leftOut.push_back({"no stack band found in " + Quoted(searched.photos[photo].photo) +
                                    " at any THRESHOLD: the photo needs dark margins above and below the stack"});
        searched.photos.erase(searched.photos.begin() + static_cast<std::ptrdiff_t>(photo));
        heights.Drop(photo);
    }
}

// How far the lines of a count stray from being one board apart.
double GapDeviation(const GapSpan& gaps, int stripHeight, int boards) {
    const double board = static_cast<double>(stripHeight) / boards;
    return std::max(std::abs(gaps.widest - board), std::abs(gaps.narrowest - board)) / board;
}

// Scores every setting of one threshold on every photo.
void ScoreThreshold(const CalibrationGrid& grid, std::size_t t, const std::vector<GreyPhoto>& photos,
                    ScoreGrid& scores) {
    std::vector<SweptCount> counts;
    for (std::size_t photo = 0; photo < photos.size(); ++photo) {
        SettingsSweep sweep(photos[photo].grey.get());
        // A photo without a band has no count; it is as wrong as a count of 0, and has no gaps.
        if (!sweep.CountAt(grid.thresholds[t], grid.bdLines, grid.pWidths, counts)) continue;
        const int stripHeight = sweep.StripHeight();
        for (std::size_t cell = 0; cell < counts.size(); ++cell) {
            scores[scores.IndexOf(static_cast<int>(t), 0, 0) + cell].Add(
                counts[cell].count, photos[photo].boards,
                GapDeviation(counts[cell].gaps, stripHeight, photos[photo].boards), counts[cell].splitLines);
        }
    }
}

std::vector<PictureSize> SizesOf(const std::vector<GreyPhoto>& photos) {
    std::vector<PictureSize> sizes;
    for (const GreyPhoto& photo : photos)
        sizes.push_back({static_cast<int>(FreeImage_GetWidth(photo.grey.get())),
                         static_cast<int>(FreeImage_GetHeight(photo.grey.get()))});
    return sizes;
}

std::uint64_t KeptBytes(const std::vector<GreyPhoto>& photos) {
    std::uint64_t kept = 0;
    for (const GreyPhoto& photo : photos) kept += BytesOf(photo);
    return kept;
}

// Each threshold is scored by one thread, so each score is written by one thread. The
// threads are as many as the cores and the memory budget have room for, whatever the
// request asks.
Outcome ScoreAll(const CalibrationGrid& grid, const std::vector<GreyPhoto>& photos,
                 const CalibrationRequest& request, ScoreGrid& scores) {
    struct Scored {};
    const unsigned threads = SearchThreads(request.threads, std::thread::hardware_concurrency(), request.memoryBudget,
                                           KeptBytes(photos), SearchMemoryFor(grid, SizesOf(photos)));
    return OverThresholds<Scored>(
        grid.thresholds, threads, request,
        [&](std::size_t t) {
            ScoreThreshold(grid, t, photos, scores);
            return Scored{};
        },
        [&](std::size_t t, Scored&) {
            if (request.progress) request.progress(t + 1, grid.thresholds.size());
        });
}

CounterSettings SettingsAt(const CalibrationGrid& grid, const std::array<int, 3>& position) {
    return {static_cast<std::int16_t>(grid.bdLines[position[1]]),
            static_cast<std::int16_t>(grid.thresholds[position[0]]),
            static_cast<std::int16_t>(grid.pWidths[position[2]])};
}

int WidestOf(const std::vector<GreyPhoto>& photos) {
    int widest = 0;
    for (const GreyPhoto& photo : photos)
        widest = std::max(widest, static_cast<int>(FreeImage_GetWidth(photo.grey.get())));
    return widest;
}

Failure NothingToSearch(const std::vector<Failure>& leftOut) {
    if (leftOut.size() == 1) return leftOut.front();
    std::string reasons;
    for (const Failure& failure : leftOut) reasons += (reasons.empty() ? "" : "; ") + failure.message;
    return Failure{"none of the " + std::to_string(leftOut.size()) + " photos can be calibrated on: " + reasons};
}

std::vector<CountedPhoto> CountedPhotos(const std::vector<GreyPhoto>& photos) {
    std::vector<CountedPhoto> counted;
    for (const GreyPhoto& photo : photos) counted.push_back({photo.grey.get(), photo.boards});
    return counted;
}

// THRESHOLD 16 levels either way (8 steps of 2), BDLINE 2 steps, PWIDTH a tenth of a
// board, in the grid's steps of PWIDTH.
std::array<int, 3> NeighbourhoodReach(int boardRows, const std::vector<int>& pWidths) {
    const double step =
        pWidths.size() < 2 ? 1.0 : static_cast<double>(pWidths.back() - pWidths.front()) / (pWidths.size() - 1);
    return {8, 2, std::max(1, static_cast<int>(std::lround(0.1 * boardRows / step)))};
}

Expected<Calibration> Search(SearchedPhotos searched, StripHeights heights, const CalibrationRequest& request) {
    const std::optional<std::size_t> middle = MiddleBandedThreshold(heights);
    if (!middle)
        return Fail("no THRESHOLD shows the stack band in every photo: calibrate on photos of one station, "
                    "with the same camera and light");
    const std::vector<int> boards = searched.Boards();
    const int boardRows = std::max(1, static_cast<int>(std::lround(MedianBoardRows(heights.rows[*middle], boards))));

    Calibration calibration;
    calibration.grid = GridFor(WidestOf(searched.photos), boardRows);
    const CalibrationGrid& grid = calibration.grid;
    ScoreGrid scores(static_cast<int>(grid.thresholds.size()), static_cast<int>(grid.bdLines.size()),
                     static_cast<int>(grid.pWidths.size()));
    if (Outcome scored = ScoreAll(grid, searched.photos, request, scores); !scored)
        return tl::unexpected(scored.error());
    const ChoiceBasis basis{static_cast<int>(searched.photos.size()), std::accumulate(boards.begin(), boards.end(), 0),
                            NeighbourhoodReach(boardRows, grid.pWidths)};
    calibration.choice = ChooseMostRobust(scores, basis);
    calibration.settings = SettingsAt(grid, calibration.choice.position);
    calibration.secondLook = LearnForSecondLook(CountedPhotos(searched.photos), request.frame);
    calibration.frame = request.frame;
    calibration.thickness = calibration.secondLook.pitch > 0
                                ? calibration.secondLook.pitch
                                : MedianBoardRows(heights.rows[calibration.choice.position[0]], boards);
    calibration.leftOut = std::move(searched.leftOut);
    return calibration;
}

}  // namespace

Expected<Calibration> Calibrate(const CalibrationRequest& request) {
    if (request.photos.empty()) return Fail("no photos with known counts to calibrate on");
    SearchedPhotos searched = LoadGreyPhotos(request);
    if (searched.photos.empty()) return tl::unexpected(NothingToSearch(searched.leftOut));
    Expected<StripHeights> heights = MeasureStrips(SearchedThresholds(), searched.photos, request);
    if (!heights) return tl::unexpected(heights.error());
    LeaveOutBandless(searched, *heights);
    if (searched.photos.empty()) return tl::unexpected(NothingToSearch(searched.leftOut));
    Expected<Calibration> found = Search(std::move(searched), std::move(*heights), request);
    // The search's threads leave what they freed with the allocator, which keeps it from
    // whatever runs next (the confirming counts): it goes back to the system here.
    ::malloc_trim(0);
    return found;
}

}  // namespace tamrex
