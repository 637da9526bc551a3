#include "calibration/BandHeights.h"
#include "calibration/Calibrate.h"
#include "calibration/SearchMemory.h"
#include "calibration/SettingsSweep.h"
#include "calibration/StripHeights.h"
#include "counting/BoardCounter.h"
#include "image/LoadPhoto.h"
#include "tests/fixtures/ScratchFolder.h"
#include "tools/photo/StackPhoto.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

namespace tamrex {
namespace {

using ::testing::StartsWith;
using testing::ScratchFolder;
using testing::StackPhotoRecipe;

std::filesystem::path Photo(const ScratchFolder& folder, const StackPhotoRecipe& recipe,
                            const std::string& name) {
    std::string error;
    const auto path = folder / name;
    EXPECT_TRUE(testing::WriteStackPhoto(recipe, path.string(), error)) << error;
    return path;
}

// The narrowest and widest stretch between neighbouring lines of a full count run,
// worked out from its line runs without the sweep's walk.
GapSpan GapsOf(const CountResult& result) {
    std::vector<double> ends = {-0.5, result.stripHeight - 0.5};
    for (const std::vector<LineRun>& pass : result.lineRuns)
        for (const LineRun& run : pass) ends.push_back((run.firstRow + run.lastRow) / 2.0);
    std::sort(ends.begin(), ends.end());
    GapSpan gaps{1e9, 0};
    for (std::size_t i = 1; i < ends.size(); ++i) {
        gaps.narrowest = std::min(gaps.narrowest, ends[i] - ends[i - 1]);
        gaps.widest = std::max(gaps.widest, ends[i] - ends[i - 1]);
    }
    return gaps;
}

BitmapHandle GreyOf(const std::filesystem::path& photo) {
    const Expected<LoadedPhoto> loaded = LoadJpeg(photo);
    EXPECT_TRUE(loaded.has_value()) << loaded.error().message;
    return loaded ? BitmapHandle(FreeImage_ConvertToGreyscale(loaded->bitmap.get())) : nullptr;
}

// Photos on which settings disagree: faint gaps only a high threshold or the split
// finds, a tilt that spreads each gap over more rows, and a grey photo.
std::vector<StackPhotoRecipe> DifficultRecipes() {
    StackPhotoRecipe faded;
    faded.boards = 22;
    faded.boardRows = 17;
    faded.fadedGaps = 3;
    faded.tilt = 2.5;
    faded.seed = 7;
    StackPhotoRecipe grey = faded;
    grey.greyscale = true;
    grey.noise = 20;
    grey.seed = 8;
    return {faded, grey};
}

// Every count the sweep gives must be the count a full run gives for the same
// settings, with its lines in the same places.
TEST(SettingsSweep, CountsWhatACountRunCountsForEverySetting) {
    ScratchFolder folder;
    const std::vector<int> bdLines = {1, 60, 240, 790, 1200};
    const std::vector<int> pWidths = {0, 2, 19, 20, 40};
    int recipeNumber = 0;
    for (const StackPhotoRecipe& recipe : DifficultRecipes()) {
        const auto photo = Photo(folder, recipe, "photo" + std::to_string(recipeNumber++) + ".jpg");
        const BitmapHandle grey = GreyOf(photo);
        SettingsSweep sweep(grey.get());
        BoardCounter counter;
        std::vector<SweptCount> counts;
        const std::vector<int> thresholds = {0, 110, 170, 185, 200, 255};
        const std::vector<int> stripHeights = BandHeights(grey.get(), thresholds);
        for (std::size_t t = 0; t < thresholds.size(); ++t) {
            const int threshold = thresholds[t];
            const bool band = sweep.CountAt(threshold, bdLines, pWidths, counts);
            ASSERT_EQ(stripHeights[t] > 0, band) << "THRESHOLD=" << threshold;
            for (std::size_t b = 0; b < bdLines.size(); ++b) {
                for (std::size_t p = 0; p < pWidths.size(); ++p) {
                    const CounterSettings settings{static_cast<std::int16_t>(bdLines[b]),
                                                   static_cast<std::int16_t>(threshold),
                                                   static_cast<std::int16_t>(pWidths[p])};
                    const Expected<CountResult> run = counter.CountBoards({photo, settings, {}});
                    const std::string where =
                        photo.filename().string() + " at THRESHOLD=" + std::to_string(threshold) +
                        " BDLINE=" + std::to_string(bdLines[b]) + " PWIDTH=" + std::to_string(pWidths[p]);
                    ASSERT_EQ(band, run.has_value()) << where;
                    if (!band) continue;
                    const SweptCount& swept = counts[b * pWidths.size() + p];
                    ASSERT_EQ(swept.count, run->count()) << where;
                    ASSERT_EQ(swept.splitLines, run->passLines[3]) << where;
                    ASSERT_EQ(stripHeights[t], run->stripHeight) << where;
                    ASSERT_EQ(sweep.StripHeight(), run->stripHeight) << where;
                    ASSERT_DOUBLE_EQ(swept.gaps.narrowest, GapsOf(*run).narrowest) << where;
                    ASSERT_DOUBLE_EQ(swept.gaps.widest, GapsOf(*run).widest) << where;
                }
            }
        }
    }
}

// A station: one camera, light and kind of board; the stacks differ in height. The
// photos are small to keep the search short.
StackPhotoRecipe StationPhoto(int boards, unsigned seed) {
    StackPhotoRecipe recipe;
    recipe.width = 480;
    recipe.height = 360;
    recipe.marginTop = recipe.marginBottom = 24;
    recipe.boards = boards;
    recipe.boardRows = 12;
    recipe.gapRows = 3;
    recipe.tilt = 2;
    recipe.fadedGaps = 1;
    recipe.noise = 14;
    recipe.seed = seed;
    return recipe;
}

int CountOf(const std::filesystem::path& photo, const CounterSettings& settings) {
    BoardCounter counter;
    const Expected<CountResult> result = counter.CountBoards({photo, settings, {}});
    return result ? result->count() : 0;
}

class Station : public ::testing::Test {
protected:
    KnownCount Photo(int boards, unsigned seed) {
        const StackPhotoRecipe recipe = StationPhoto(boards, seed);
        return {tamrex::Photo(folder_, recipe, "s" + std::to_string(seed) + ".jpg"), boards};
    }

    ScratchFolder folder_;
};

TEST_F(Station, CalibrationFindsSettingsThatCountPhotosItHasNotSeen) {
    const std::vector<KnownCount> known = {Photo(19, 40), Photo(15, 41), Photo(17, 42)};
    const std::vector<KnownCount> heldOut = {Photo(14, 43), Photo(18, 44), Photo(16, 45)};
    // The settings the other tests count with miss this station's faint gaps.
    const CounterSettings untuned{400, 110, 0};
    ASSERT_NE(CountOf(known[0].photo, untuned), known[0].boards);

    std::vector<std::size_t> steps;
    const Expected<Calibration> found = Calibrate(
        {known, 2, kDefaultPixelLimit, [&](std::size_t done, std::size_t total) { steps.push_back(total - done); },
         nullptr});
    ASSERT_TRUE(found.has_value()) << found.error().message;
    const Calibration& calibration = *found;
    EXPECT_EQ(calibration.choice.score.exact, 3);
    EXPECT_TRUE(calibration.leftOut.empty());
    for (const KnownCount& photo : known) EXPECT_EQ(CountOf(photo.photo, calibration.settings), photo.boards);
    // The report says the lines are one board apart to within the gap deviation: every
    // gap of every known photo, the narrowest as well as the widest, keeps to it.
    for (const KnownCount& photo : known) {
        BoardCounter counter;
        const Expected<CountResult> run = counter.CountBoards({photo.photo, calibration.settings, {}});
        ASSERT_TRUE(run.has_value());
        const double board = static_cast<double>(run->stripHeight) / photo.boards;
        const GapSpan gaps = GapsOf(*run);
        const double most = calibration.choice.score.gapDeviation * board + 1e-9;
        EXPECT_LE(board - gaps.narrowest, most) << photo.photo;
        EXPECT_LE(gaps.widest - board, most) << photo.photo;
    }
    for (const KnownCount& photo : heldOut) {
        EXPECT_EQ(CountOf(photo.photo, calibration.settings), photo.boards) << photo.photo << " was held out";
    }
    // Boards of 12 rows and gaps of 3: a strip of n boards is about 15 n rows high.
    EXPECT_NEAR(calibration.thickness, 15, 1);
    EXPECT_LE(calibration.grid.pWidths.front(), 15 / 2);
    EXPECT_GE(calibration.grid.pWidths.back(), 15 * 8 / 5);
    // Along each axis through the choice, every setting of the plateau reported counts
    // the known photos exactly, and the settings just past its ends do not.
    const CalibrationGrid& grid = calibration.grid;
    const auto countsEveryPhoto = [&](std::array<int, 3> position) {
        const CounterSettings settings{static_cast<std::int16_t>(grid.bdLines[position[1]]),
                                       static_cast<std::int16_t>(grid.thresholds[position[0]]),
                                       static_cast<std::int16_t>(grid.pWidths[position[2]])};
        return std::all_of(known.begin(), known.end(),
                           [&](const KnownCount& photo) { return CountOf(photo.photo, settings) == photo.boards; });
    };
    const std::array<std::size_t, 3> extents{grid.thresholds.size(), grid.bdLines.size(), grid.pWidths.size()};
    for (int axis = 0; axis < 3; ++axis) {
        const AxisSpan span = calibration.choice.plateau[axis];
        std::array<int, 3> position = calibration.choice.position;
        EXPECT_LE(span.first, position[axis]) << "axis " << axis;
        EXPECT_GE(span.last, position[axis]) << "axis " << axis;
        for (int at = span.first - 1; at <= span.last + 1; ++at) {
            if (at < 0 || at >= static_cast<int>(extents[axis])) continue;
            position[axis] = at;
            const bool inside = at >= span.first && at <= span.last;
            EXPECT_EQ(countsEveryPhoto(position), inside) << "axis " << axis << ", position " << at << " of "
                                                          << span.first << " to " << span.last;
        }
    }
    ASSERT_EQ(steps.size(), calibration.grid.thresholds.size()) << "one progress report per threshold";
    EXPECT_TRUE(std::is_sorted(steps.rbegin(), steps.rend())) << "steps left only go down";
    EXPECT_EQ(steps.back(), 0u);
}

TEST_F(Station, APhotoThatCannotBeUsedIsLeftOutWithTheReason) {
    const KnownCount good = Photo(16, 1);
    folder_.WriteFile("bad.jpg", "not a photo");
    // A photo no wider than the columns a strip leaves out has no band at any level.
    const BitmapHandle sliver(FreeImage_Allocate(4, 60, 24));
    ASSERT_TRUE(FreeImage_Save(FIF_JPEG, sliver.get(), (folder_ / "sliver.jpg").c_str(), 0));
    const KnownCount bad{folder_ / "bad.jpg", 20};
    const KnownCount bandless{folder_ / "sliver.jpg", 3};
    std::filesystem::copy_file(bandless.photo, folder_ / "sliver2.jpg");
    const KnownCount nextBandless{folder_ / "sliver2.jpg", 3};  // right after the first: both are left out

    const Expected<Calibration> found =
        Calibrate({{bad, good, bandless, nextBandless}, 1, kDefaultPixelLimit, {}, nullptr});
    ASSERT_TRUE(found.has_value()) << found.error().message;
    EXPECT_EQ(found->choice.score.exact, 1);
    ASSERT_EQ(found->leftOut.size(), 3u);
    EXPECT_THAT(found->leftOut[0].message, StartsWith("cannot read photo '" + bad.photo.string() + "': not a JPEG"));
    EXPECT_THAT(found->leftOut[1].message,
                StartsWith("no stack band found in '" + bandless.photo.string() + "' at any THRESHOLD"));
    EXPECT_THAT(found->leftOut[2].message, StartsWith("no stack band found in '" + nextBandless.photo.string()));

    const Expected<Calibration> nothing = Calibrate({{bad}, 1, kDefaultPixelLimit, {}, nullptr});
    ASSERT_FALSE(nothing.has_value());
    EXPECT_EQ(nothing.error().message, found->leftOut[0].message);
    const Expected<Calibration> neither = Calibrate({{bad, bandless}, 1, kDefaultPixelLimit, {}, nullptr});
    ASSERT_FALSE(neither.has_value());
    EXPECT_THAT(neither.error().message, StartsWith("none of the 2 photos can be calibrated on: cannot read photo"));
    EXPECT_FALSE(Calibrate(CalibrationRequest{}).has_value());
}

TEST_F(Station, APhotoOverThePixelLimitIsRefusedAsACountWouldRefuseIt) {
    const Expected<Calibration> calibration = Calibrate({{Photo(20, 1)}, 1, 1000, {}, nullptr});
    ASSERT_FALSE(calibration.has_value());
    EXPECT_NE(calibration.error().message.find("more than the limit of 0.0 megapixels"), std::string::npos)
        << calibration.error().message;
}

// The grey copies kept for the search stay within the memory budget: the photo that would
// pass it is left out by name, and the search goes on with the others.
TEST_F(Station, PhotosBeyondTheMemoryBudgetAreLeftOut) {
    const KnownCount first = Photo(16, 1);
    const KnownCount second = Photo(17, 2);
    const std::uint64_t onePhoto = 480 * 360 + 1000;  // room for the grey copy of one station photo
    const Expected<Calibration> found = Calibrate({{first, second}, 1, kDefaultPixelLimit, {}, nullptr, onePhoto});
    ASSERT_TRUE(found.has_value()) << found.error().message;
    ASSERT_EQ(found->leftOut.size(), 1u);
    EXPECT_THAT(found->leftOut[0].message, StartsWith("photo '" + second.photo.string() + "' is left out"));
    EXPECT_NE(found->leftOut[0].message.find("memory budget"), std::string::npos);
}

TEST_F(Station, ACancelledCalibrationStopsWithoutSettings) {
    const std::atomic<bool> cancel{true};
    const Expected<Calibration> calibration = Calibrate({{Photo(16, 1)}, 2, kDefaultPixelLimit, {}, &cancel});
    ASSERT_FALSE(calibration.has_value());
    EXPECT_EQ(calibration.error().message, kCalibrationCancelled);
}

TEST(CalibrationGrid, FitsPWidthToTheBoardsAndBdLineToTheWidestStrip) {
    const CalibrationGrid grid = GridFor(800, 19);
    EXPECT_EQ(grid.bdLines.size(), 48u);
    EXPECT_EQ(grid.bdLines.back(), 796) << "a row of the widest strip holds at most 796 dark pixels";
    EXPECT_EQ(grid.pWidths.front(), 9) << "half of 19, rounded down";
    EXPECT_EQ(grid.pWidths.back(), 31) << "1.6 times 19 is 30.4, rounded up";
    EXPECT_EQ(grid.pWidths.size(), 23u) << "every row in between";
    EXPECT_EQ(grid.thresholds.size(), 127u);
    EXPECT_EQ(grid.thresholds.front(), 2);
    EXPECT_EQ(grid.thresholds.back(), 254);
    for (const auto* values : {&grid.thresholds, &grid.bdLines, &grid.pWidths}) {
        EXPECT_TRUE(std::is_sorted(values->begin(), values->end()));
        EXPECT_EQ(std::adjacent_find(values->begin(), values->end()), values->end()) << "no value tried twice";
    }
    EXPECT_EQ(GridFor(800, 10).pWidths.back(), 16) << "1.6 times 10 is exactly 16";

    const CalibrationGrid tiny = GridFor(10, 1);
    EXPECT_EQ(tiny.bdLines, (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(tiny.pWidths, (std::vector<int>{1, 2})) << "a split of 0 rows is never tried";
}

// A count of 1 typed for a photo of 40 boards (a dropped digit) makes a board as thick as
// the strip: the thicknesses tried must not grow with it, or the search takes minutes
// and hundreds of megabytes for the scores of the grid alone.
TEST(CalibrationGrid, TriesNoMoreThicknessesForAThickBoardThanForAThinOne) {
    for (const int boardRows : {57, 58, 250, 3000, 32767}) {
        const std::vector<int> pWidths = GridFor(800, boardRows).pWidths;
        EXPECT_LE(pWidths.size(), 64u) << boardRows;
        EXPECT_EQ(pWidths.front(), boardRows / 2) << boardRows;
        EXPECT_EQ(pWidths.back(), std::min(32767, (16 * boardRows + 9) / 10)) << boardRows;
        EXPECT_TRUE(std::is_sorted(pWidths.begin(), pWidths.end())) << boardRows;
        EXPECT_EQ(std::adjacent_find(pWidths.begin(), pWidths.end()), pWidths.end()) << boardRows;
        for (std::size_t i = 1; i < pWidths.size(); ++i)
            EXPECT_LE(pWidths[i] - pWidths[i - 1], (pWidths.back() - pWidths.front()) / 63 + 1) << "spread evenly";
    }
    EXPECT_EQ(GridFor(800, 57).pWidths.size(), 64u) << "every row from 28 to 92";
}

// The search holds the grey copies, the scores, and per thread the working state of one
// count at a time: however many threads are asked for, those it runs on fit the budget.
TEST(SearchThreads, KeepTheSearchWithinTheMemoryBudgetWhateverIsAsked) {
    const CalibrationGrid grid = GridFor(1600, 16);
    const std::vector<PictureSize> photos(5, PictureSize{1600, 1200});
    const SearchMemory memory = SearchMemoryFor(grid, photos);
    EXPECT_GE(memory.perThread, 3u * 200 * 1200) << "the photo thresholded, its strip and the strip's copy";
    EXPECT_LT(memory.perThread, 5u * 200 * 1200) << "one photo at a time, not every photo";
    EXPECT_GE(memory.scores, grid.size() * sizeof(CalibrationScore));

    const std::uint64_t greys = 5ull * 1600 * 1200;
    const std::uint64_t budget = 32ull << 20;
    const unsigned threads = SearchThreads(127, 256, budget, greys, memory);
    EXPECT_GE(threads, 2u);
    EXPECT_LE(greys + memory.scores + threads * memory.perThread, budget) << threads << " threads";
    EXPECT_EQ(SearchThreads(127, 2, budget, greys, memory), 2u) << "no more than the cores";
    EXPECT_EQ(SearchThreads(4, 256, 1ull << 30, greys, memory), 4u) << "as many as asked when there is room";
    EXPECT_EQ(SearchThreads(127, 256, greys, greys, memory), 1u) << "one, when the photos fill the budget";
}

TEST(StripHeights, LearnsTheBoardFromTheMiddleThresholdThatBandsEveryPhoto) {
    StripHeights heights{{{0, 300}, {290, 310}, {280, 0}, {270, 300}, {260, 290}, {0, 0}}};
    EXPECT_EQ(MiddleBandedThreshold(heights), 3u) << "of thresholds 1, 3 and 4";
    EXPECT_TRUE(heights.EverBanded(1));
    heights.Drop(0);
    EXPECT_EQ(heights.rows[2], std::vector<int>{0});
    EXPECT_EQ(MiddleBandedThreshold(heights), 1u) << "the lower of the two middles of 0, 1, 3 and 4";
    EXPECT_EQ(MiddleBandedThreshold({{{1, 0}, {0, 1}}}), std::nullopt) << "no threshold bands both photos";
    EXPECT_FALSE((StripHeights{{{0, 5}, {0, 6}}}).EverBanded(0));

    EXPECT_DOUBLE_EQ(MedianBoardRows({300, 200, 330}, {20, 10, 30}), 15);
    EXPECT_DOUBLE_EQ(MedianBoardRows({300, 200, 0, 330, 240}, {20, 10, 5, 30, 20}), 13.5)
        << "the photo without a band is left out; 11, 12, 15 and 20 rows a board";
    EXPECT_DOUBLE_EQ(MedianBoardRows({0, 0}, {3, 4}), 0);
}

}  // namespace
}  // namespace tamrex
