#include "counting/BoardCounter.h"
#include "calibration/Calibrate.h"
#include "image/LoadPhoto.h"
#include "calibration/SettingsSweep.h"
#include "tests/fixtures/ScratchFolder.h"
#include "tools/photo/StackPhoto.h"

#include <gtest/gtest.h>

namespace tamrex {
namespace {

using testing::ScratchFolder;
using testing::StackPhotoRecipe;

std::filesystem::path Photo(const ScratchFolder& folder, const StackPhotoRecipe& recipe,
                            const std::string& name) {
    std::string error;
    const auto path = folder / name;
    EXPECT_TRUE(testing::WriteStackPhoto(recipe, path.string(), error)) << error;
    return path;
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

// Every count the sweep gives must be the count a full run gives for the same settings.
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
        for (int threshold : {0, 110, 170, 185, 200, 255}) {
            const bool band = sweep.CountAt(threshold, bdLines, pWidths, counts);
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
                    if (band) {
                        ASSERT_EQ(counts[b * pWidths.size() + p].count, run->count()) << where;
                        ASSERT_EQ(counts[b * pWidths.size() + p].splitLines, run->passLines[3]) << where;
                    }
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

TEST(Calibrate, FindsSettingsThatCountTheStationsPhotos) {
    ScratchFolder folder;
    std::vector<KnownCount> known;
    std::vector<KnownCount> heldOut;
    const int boards[] = {19, 15, 17, 14, 18, 16};
    for (unsigned i = 0; i < 6; ++i) {
        const StackPhotoRecipe recipe = StationPhoto(boards[i], 40 + i);
        (i < 3 ? known : heldOut)
            .push_back({Photo(folder, recipe, "s" + std::to_string(i) + ".jpg"), recipe.boards});
    }
    // The settings the other tests count with miss this station's faint gaps.
    const CounterSettings untuned{400, 110, 0};
    ASSERT_NE(CountOf(known[0].photo, untuned), known[0].boards);

    const Expected<Calibration> found = Calibrate({known, 2, kDefaultPixelLimit, {}, nullptr});
    ASSERT_TRUE(found.has_value()) << found.error().message;
    const Calibration& calibration = *found;
    EXPECT_EQ(calibration.choice.score.exact, 3);
    for (const KnownCount& photo : known) EXPECT_EQ(CountOf(photo.photo, calibration.settings), photo.boards);
    for (const KnownCount& photo : heldOut) {
        EXPECT_EQ(CountOf(photo.photo, calibration.settings), photo.boards) << photo.photo << " was held out";
    }
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_LT(calibration.choice.plateau[axis].first, calibration.choice.position[axis])
            << "axis " << axis;
        EXPECT_GT(calibration.choice.plateau[axis].last, calibration.choice.position[axis])
            << "axis " << axis;
    }
}

TEST(Calibrate, StopsOnAPhotoItCannotRead) {
    ScratchFolder folder;
    const auto good = Photo(folder, StationPhoto(20, 1), "good.jpg");
    folder.WriteFile("bad.jpg", "not a photo");
    const Expected<Calibration> calibration = Calibrate({{{good, 20}, {folder / "bad.jpg", 20}}, 1, kDefaultPixelLimit, {}, nullptr});
    ASSERT_FALSE(calibration.has_value());
    EXPECT_EQ(calibration.error().message.rfind("cannot read photo '" + (folder / "bad.jpg").string() + "': not a JPEG file", 0),
              0u)
        << calibration.error().message;
    EXPECT_FALSE(Calibrate(CalibrationRequest{}).has_value());
}

TEST(Calibrate, RefusesAPhotoOverThePixelLimitAsACountWould) {
    ScratchFolder folder;
    const auto photo = Photo(folder, StationPhoto(20, 1), "big.jpg");
    const Expected<Calibration> calibration = Calibrate({{{photo, 20}}, 1, 1000, {}, nullptr});
    ASSERT_FALSE(calibration.has_value());
    EXPECT_NE(calibration.error().message.find("more than the limit of 0.0 megapixels"), std::string::npos)
        << calibration.error().message;
}

TEST(CalibrationGrid, StaysWithinWhatThePhotosCanUse) {
    const CalibrationGrid grid = GridFor({{800, 576, 20}, {640, 480, 30}});
    EXPECT_EQ(grid.bdLines.back(), 796) << "a row of the widest strip holds at most 796 dark pixels";
    EXPECT_EQ(grid.pWidths.back(), 16) << "480 rows hold 30 boards of at most 16 rows";
    EXPECT_EQ(grid.pWidths.front(), 1);
    for (const auto* values : {&grid.thresholds, &grid.bdLines, &grid.pWidths}) {
        EXPECT_TRUE(std::is_sorted(values->begin(), values->end()));
        EXPECT_EQ(std::adjacent_find(values->begin(), values->end()), values->end())
            << "no value tried twice";
    }
    EXPECT_GE(grid.thresholds.front(), 0);
    EXPECT_LE(grid.thresholds.back(), 255);

    const CalibrationGrid narrow = GridFor({{10, 100, 1}});
    EXPECT_EQ(narrow.bdLines, (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(narrow.pWidths.size(), 48u) << "up to 100 rows thick, in 48 steps";
    EXPECT_EQ(narrow.pWidths.back(), 100);
}

}  // namespace
}  // namespace tamrex
