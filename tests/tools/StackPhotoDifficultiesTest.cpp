#include "tools/photo/StackPhoto.h"

#include "image/Bitmap.h"
#include "tests/tools/PhotoPixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>

namespace tamrex::testing {
namespace {

constexpr int kThreshold = 110;  // the counter's default: below it a pixel is dark

// FNV-1a over every pixel byte, scanline padding left out.
std::uint64_t PixelChecksum(const StackPhotoRecipe& recipe) {
    const BitmapHandle photo(DrawStackPhoto(recipe));
    std::uint64_t hash = 1469598103934665603ULL;
    const unsigned bytes = FreeImage_GetWidth(photo.get()) * FreeImage_GetBPP(photo.get()) / 8;
    for (unsigned y = 0; y < FreeImage_GetHeight(photo.get()); ++y) {
        const BYTE* line = FreeImage_GetScanLine(photo.get(), y);
        for (unsigned index = 0; index < bytes; ++index) hash = (hash ^ line[index]) * 1099511628211ULL;
    }
    return hash;
}

// The checksums were taken from the generator as it was before it could draw any
// difficulty; tests and samples rely on those photos staying as they are.
TEST(StackPhotoCompatibility, RecipesWithoutDifficultiesDrawTheSamePixelsAsBefore) {
    const StackPhotoRecipe tilted{.boards = 24, .boardRows = 16, .tilt = 6, .fadedGaps = 2, .seed = 7};
    const StackPhotoRecipe grey{
        .boards = 10, .boardRows = 36, .gapRows = 4, .noise = 30, .tilt = -3.5, .greyscale = true};
    const StackPhotoRecipe wide{.width = 1333,
                                .height = 901,
                                .boards = 30,
                                .boardRows = 22,
                                .gapRows = 5,
                                .marginTop = 0,
                                .marginBottom = 3,
                                .tilt = 2};
    EXPECT_EQ(PixelChecksum(StackPhotoRecipe{}), 0x51c3a5919a087c2eULL);
    EXPECT_EQ(PixelChecksum(tilted), 0x135e9eed02960c14ULL);
    EXPECT_EQ(PixelChecksum(grey), 0xd4a0f8dd9b8eeed3ULL);
    EXPECT_EQ(PixelChecksum(wide), 0xa3569bd7fa924adcULL);
}

// A grey photo without noise, so levels can be read exactly.
StackPhotoRecipe Clean() {
    StackPhotoRecipe recipe;
    recipe.greyscale = true;
    recipe.noise = 0;
    return recipe;
}

struct Confined {
    const char* name;
    std::function<void(StackPhotoRecipe&)> apply;
    std::function<bool(const StackPhotoLayout&, int x, int y)> mayChange;
};

bool InGap(const StackPhotoLayout& layout, int y, std::size_t gap) {
    return std::abs(y - layout.gapCentreRows[gap]) <= 1;
}

bool InAnyGap(const StackPhotoLayout& layout, int y) {
    for (std::size_t gap = 0; gap < layout.gapCentreRows.size(); ++gap) {
        if (InGap(layout, y, gap)) return true;
    }
    return false;
}

// Each difficulty draws from its own random stream, so it changes what it draws and
// leaves every other pixel of the photo as it was.
TEST(StackPhotoDifficulties, EachChangesOnlyWhatItDraws) {
    const Confined difficulties[] = {
        {"faded top gap", [](StackPhotoRecipe& r) { r.fadedTopGap = true; },
         [](const StackPhotoLayout& l, int, int y) { return InGap(l, y, l.gapCentreRows.size() - 1); }},
        {"broken gaps", [](StackPhotoRecipe& r) { r.brokenGaps = 4; },
         [](const StackPhotoLayout& l, int, int y) { return InAnyGap(l, y); }},
        {"missing segments", [](StackPhotoRecipe& r) { r.missingSegments = 3; },
         [](const StackPhotoLayout& l, int, int y) { return InAnyGap(l, y); }},
        {"straps", [](StackPhotoRecipe& r) { r.straps = 2; },
         [](const StackPhotoLayout& l, int, int y) {
             return y >= l.firstBoardRow - 2 && y <= l.lastBoardRow + 2;
         }},
        {"bottom blur", [](StackPhotoRecipe& r) { r.bottomBlur = 6; },
         [](const StackPhotoLayout& l, int, int y) { return std::abs(y - l.firstBoardRow) <= 3; }},
        {"light slope", [](StackPhotoRecipe& r) { r.lightSlope = 30; },
         [](const StackPhotoLayout&, int x, int) { return x > 0; }},
    };
    StackPhotoRecipe plain;
    plain.greyscale = true;
    const BitmapHandle before = Drawn(plain);
    const StackPhotoLayout layout = LayoutOf(plain);
    for (const Confined& difficulty : difficulties) {
        StackPhotoRecipe recipe = plain;
        difficulty.apply(recipe);
        const BitmapHandle after = Drawn(recipe);
        const auto [changed, stray] =
            ChangesBetween(before.get(), after.get(), [&](int x, int y) { return difficulty.mayChange(layout, x, y); });
        EXPECT_GT(changed, 0) << difficulty.name << " drew nothing";
        EXPECT_EQ(stray, 0) << difficulty.name << " changed pixels it should not";
    }
}

// The row, near `expected`, where column x is darkest.
int DarkestRowNear(FIBITMAP* photo, int x, double expected, int reach) {
    const int centre = static_cast<int>(std::lround(expected));
    int darkest = centre;
    for (int y = centre - reach; y <= centre + reach; ++y) {
        if (Level(photo, x, y) < Level(photo, x, darkest)) darkest = y;
    }
    return darkest;
}

TEST(StackPhotoDifficulties, BowMovesTheEndsAndKeepsTheMiddle) {
    for (const double bow : {9.0, -7.0}) {
        StackPhotoRecipe recipe = Clean();
        recipe.bow = bow;
        const BitmapHandle photo = Drawn(recipe);
        const StackPhotoLayout layout = LayoutOf(recipe);
        const int nearEnd = recipe.width / 25;
        const double u = (nearEnd - (recipe.width - 1) / 2.0) / ((recipe.width - 1) / 2.0);
        for (int gap : layout.gapCentreRows) {
            EXPECT_EQ(DarkestRowNear(photo.get(), recipe.width / 2, gap, 4), gap) << "bow " << bow;
            EXPECT_NEAR(DarkestRowNear(photo.get(), nearEnd, gap + bow * u * u, 4), gap + bow * u * u, 1.0)
                << "bow " << bow << ", gap " << gap;
        }
    }
}

TEST(StackPhotoDifficulties, UnevenBoardsKeepTheLayoutTrue) {
    StackPhotoRecipe recipe = Clean();
    recipe.boardRows = 18;
    recipe.thicknessJitter = 3;
    const StackPhotoLayout layout = LayoutOf(recipe);
    ASSERT_EQ(layout.boardRows.size(), static_cast<std::size_t>(recipe.boards));
    EXPECT_NE(*std::min_element(layout.boardRows.begin(), layout.boardRows.end()),
              *std::max_element(layout.boardRows.begin(), layout.boardRows.end()));
    int rows = 0;
    for (int board : layout.boardRows) {
        EXPECT_GE(board, 15);
        EXPECT_LE(board, 21);
        rows += board + recipe.gapRows;
    }
    EXPECT_EQ(layout.lastBoardRow - layout.firstBoardRow + 1, rows - recipe.gapRows);
    const BitmapHandle photo = Drawn(recipe);
    int bottom = layout.firstBoardRow;
    for (std::size_t board = 0; board < layout.boardRows.size(); ++board) {
        EXPECT_GT(Level(photo.get(), recipe.width / 2, bottom + layout.boardRows[board] / 2), kThreshold)
            << board;
        if (board < layout.gapCentreRows.size()) {
            EXPECT_LT(Level(photo.get(), recipe.width / 2, layout.gapCentreRows[board]), kThreshold) << board;
        }
        bottom += layout.boardRows[board] + recipe.gapRows;
    }
}

struct LightStretches {
    int count = 0, longest = 0, pixels = 0;
};

// The stretches of light pixels along a gap's middle row, within the columns the
// boards cover.
LightStretches LightAlong(FIBITMAP* photo, const StackPhotoRecipe& recipe, int y) {
    LightStretches stretches;
    int run = 0;
    for (int x = recipe.width / 50; x < recipe.width - recipe.width / 50; ++x) {
        const bool light = Level(photo, x, y) > kThreshold;
        stretches.count += light && run == 0;
        run = light ? run + 1 : 0;
        stretches.pixels += light;
        stretches.longest = std::max(stretches.longest, run);
    }
    return stretches;
}

TEST(StackPhotoDifficulties, BrokenAndMissingGapsShowBoardOverPartOfTheirWidth) {
    for (const bool missing : {false, true}) {
        StackPhotoRecipe recipe = Clean();
        (missing ? recipe.missingSegments : recipe.brokenGaps) = 3;
        const BitmapHandle photo = Drawn(recipe);
        int interrupted = 0;
        for (int gap : LayoutOf(recipe).gapCentreRows) {
            const LightStretches light = LightAlong(photo.get(), recipe, gap);
            if (light.count == 0) continue;
            ++interrupted;
            EXPECT_LT(light.pixels, recipe.width / 2) << "gap " << gap << " hardly shows";
            if (missing) {
                EXPECT_EQ(light.count, 1) << "gap " << gap;
                EXPECT_GE(light.longest, recipe.width / 10) << "gap " << gap;
            } else {
                EXPECT_GE(light.count, 2) << "gap " << gap;
            }
        }
        EXPECT_EQ(interrupted, 3) << (missing ? "missing segments" : "broken gaps");
    }
}

TEST(StackPhotoDifficulties, FadedTopGapIsTheOnlyFaintOne) {
    StackPhotoRecipe recipe = Clean();
    recipe.fadedTopGap = true;
    const BitmapHandle photo = Drawn(recipe);
    const StackPhotoLayout layout = LayoutOf(recipe);
    for (std::size_t gap = 0; gap < layout.gapCentreRows.size(); ++gap) {
        const int level = Level(photo.get(), recipe.width / 2, layout.gapCentreRows[gap]);
        if (gap + 1 == layout.gapCentreRows.size()) {
            EXPECT_GT(level, kThreshold);
        } else {
            EXPECT_LT(level, kThreshold) << "gap " << gap;
        }
    }
}

struct Lamp {
    const char* name;
    std::function<void(StackPhotoRecipe&)> apply;
    std::function<double(double u, double v)> light;  // u, v: -1..1 from left to right, bottom to top
};

TEST(StackPhotoDifficulties, UnevenLightFallsAsAsked) {
    const Lamp lamps[] = {
        {"slope", [](StackPhotoRecipe& r) { r.lightSlope = 30; },
         [](double u, double) { return 1 - 0.3 * (u + 1) / 2; }},
        {"slope leftward", [](StackPhotoRecipe& r) { r.lightSlope = -20; },
         [](double u, double) { return 1 - 0.2 * (1 - u) / 2; }},
        {"fall", [](StackPhotoRecipe& r) { r.lightFall = 25; },
         [](double, double v) { return 1 - 0.25 * (v + 1) / 2; }},
        {"vignette", [](StackPhotoRecipe& r) { r.vignette = 40; },
         [](double u, double v) { return 1 - 0.4 * (u * u + v * v) / 2; }},
    };
    const StackPhotoRecipe even = Clean();
    const BitmapHandle evenPhoto = Drawn(even);
    const StackPhotoLayout layout = LayoutOf(even);
    const int middleOf = even.boardRows / 2 + even.gapRows / 2 + 1;  // rows below a gap's centre
    const int boardRows[] = {layout.gapCentreRows.front() - middleOf,
                             layout.gapCentreRows[even.boards / 2] - middleOf,
                             layout.gapCentreRows.back() + middleOf};
    for (const Lamp& lamp : lamps) {
        StackPhotoRecipe recipe = even;
        lamp.apply(recipe);
        const BitmapHandle photo = Drawn(recipe);
        for (int x : {recipe.width / 20, recipe.width / 2, recipe.width - recipe.width / 20}) {
            for (int y : boardRows) {
                const double u = 2.0 * x / (recipe.width - 1) - 1, v = 2.0 * y / (recipe.height - 1) - 1;
                const double ratio =
                    static_cast<double>(Level(photo.get(), x, y)) / Level(evenPhoto.get(), x, y);
                EXPECT_NEAR(ratio, lamp.light(u, v), 0.02) << lamp.name << " at " << x << ", " << y;
            }
        }
    }
}

TEST(StackPhotoDifficulties, StrapsCrossTheStackAndNotTheSurroundings) {
    StackPhotoRecipe recipe = Clean();
    const BitmapHandle plain = Drawn(recipe);
    recipe.straps = 1;
    const BitmapHandle photo = Drawn(recipe);
    const StackPhotoLayout layout = LayoutOf(recipe);
    const int boardMiddle = layout.firstBoardRow + recipe.boardRows / 2;
    int dark = 0;
    for (int x = recipe.width / 50; x < recipe.width - recipe.width / 50; ++x) {
        if (Level(photo.get(), x, boardMiddle) >= kThreshold) continue;
        ++dark;
        EXPECT_EQ(Level(photo.get(), x, layout.firstBoardRow - 5),
                  Level(plain.get(), x, layout.firstBoardRow - 5))
            << "column " << x;
        EXPECT_LT(Level(photo.get(), x, layout.lastBoardRow - 2), kThreshold) << "column " << x;
    }
    EXPECT_GE(dark, recipe.width / 50);
    EXPECT_LE(dark, recipe.width / 25 + 1);
}

TEST(StackPhotoDifficulties, BlurredBottomEdgeRampsUpWhereTheSharpOneSteps) {
    StackPhotoRecipe recipe = Clean();
    recipe.bottomBlur = 8;
    const BitmapHandle photo = Drawn(recipe);
    const int first = LayoutOf(recipe).firstBoardRow, x = recipe.width / 2;
    EXPECT_EQ(Level(photo.get(), x, first - 5), recipe.marginLevel);
    for (int y = first - 4; y < first + 4; ++y)
        EXPECT_GT(Level(photo.get(), x, y), Level(photo.get(), x, y - 1)) << y;
    const int halfway = (recipe.marginLevel + recipe.boardLevel) / 2;
    EXPECT_LT(Level(photo.get(), x, first - 2), halfway);
    EXPECT_GT(Level(photo.get(), x, first + 1), halfway);
}

struct Refusal {
    const char* why;
    std::function<void(StackPhotoRecipe&)> spoil;
};

TEST(StackPhotoRecipeCheck, RefusesDifficultiesThatCannotBeDrawnAndSaysWhy) {
    const Refusal refusals[] = {
        {"thickness jitter", [](StackPhotoRecipe& r) { r.thicknessJitter = r.boardRows; }},
        {"broken gaps", [](StackPhotoRecipe& r) { r.brokenGaps = r.boards; }},
        {"missing segments", [](StackPhotoRecipe& r) { r.missingSegments = -1; }},
        {"straps", [](StackPhotoRecipe& r) { r.straps = 21; }},
        {"light slope", [](StackPhotoRecipe& r) { r.lightSlope = 91; }},
        {"light fall", [](StackPhotoRecipe& r) { r.lightFall = -91; }},
        {"vignette", [](StackPhotoRecipe& r) { r.vignette = -5; }},
        {"bottom blur", [](StackPhotoRecipe& r) { r.bottomBlur = r.boardRows + 1; }},
        {"bow", [](StackPhotoRecipe& r) { r.bow = 70; }},
        {"bow",
         [](StackPhotoRecipe& r) {
             r.bow = -50;
             r.tilt = 30;
         }},
        {"bow", [](StackPhotoRecipe& r) { r.bow = std::numeric_limits<double>::infinity(); }},
        // No jitter can thin 20 boards of 20 rows by 101 rows.
        {"give or take",
         [](StackPhotoRecipe& r) {
             r.marginTop = r.marginBottom = 110;
             r.thicknessJitter = 5;
         }},
        {"left end first",
         [](StackPhotoRecipe& r) {
             r.leftEnd = 500;
             r.rightEnd = 400;
         }},
        {"none of the stack",
         [](StackPhotoRecipe& r) {
             r.leftEnd = 800;
             r.rightEnd = 900;
         }},
        {"free columns", [](StackPhotoRecipe& r) { r.neighbour = Neighbour::Pallet; }},
        {"10 plies need boards of at least 22 rows",
         [](StackPhotoRecipe& r) {
             r.face = BoardFace::Plies;
             r.plies = 10;
         }},
        {"flutes need boards of at least 9",
         [](StackPhotoRecipe& r) {
             r.face = BoardFace::DoubleFlutes;
             r.mixedRows = {12, 8};
         }},
        {"keystone must be", [](StackPhotoRecipe& r) { r.keystoneVertical = -61; }},
        {"past the photo's",
         [](StackPhotoRecipe& r) {
             r.boards = 22;
             r.marginTop = r.marginBottom = 10;
             r.keystone = 40;
         }},
        {"not on both",
         [](StackPhotoRecipe& r) {
             r.bearers = 2;
             r.onPallet = true;
         }},
        {"mixed board rows", [](StackPhotoRecipe& r) { r.mixedRows = {12, 0}; }},
        {"thickness jitter",
         [](StackPhotoRecipe& r) {
             r.mixedRows = {6};
             r.thicknessJitter = 6;
         }},
        {"boards of 20, 30 or 40 rows", [](StackPhotoRecipe& r) { r.mixedRows = {30, 40}; }},
    };
    for (const Refusal& refusal : refusals) {
        StackPhotoRecipe recipe;
        refusal.spoil(recipe);
        const std::string problem = ValidateStackPhotoRecipe(recipe);
        EXPECT_NE(problem.find(refusal.why), std::string::npos)
            << "expected a complaint about " << refusal.why << ", got '" << problem << "'";
        EXPECT_EQ(BitmapHandle(DrawStackPhoto(recipe)), nullptr) << refusal.why;
    }
}

}  // namespace
}  // namespace tamrex::testing
