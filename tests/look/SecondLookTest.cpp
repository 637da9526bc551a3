#include "look/SecondLook.h"

#include "look/SecondLookChain.h"
#include "look/SecondLookPitch.h"
#include "look/SecondLookProfile.h"
#include "look/SecondLookValleys.h"
#include "image/Bitmap.h"
#include "tools/photo/StackPhoto.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

namespace tamrex {
namespace {

using testing::StackPhotoRecipe;

const double kThreeDegrees = std::tan(3.0 * std::numbers::pi / 180) * 800;  // rows over an 800-pixel photo

// The photo as a camera would hand it over: through the JPEG codec at the recipe's quality.
BitmapHandle PhotoOf(const StackPhotoRecipe& recipe) {
    const BitmapHandle drawn(testing::DrawStackPhoto(recipe));
    if (!drawn) return nullptr;
    FIMEMORY* memory = FreeImage_OpenMemory();
    FreeImage_SaveToMemory(FIF_JPEG, drawn.get(), memory, recipe.quality);
    FreeImage_SeekMemory(memory, 0, SEEK_SET);
    BitmapHandle photo(FreeImage_LoadFromMemory(FIF_JPEG, memory));
    FreeImage_CloseMemory(memory);
    return photo;
}

double PitchOf(const StackPhotoRecipe& recipe) { return recipe.boardRows + recipe.gapRows; }

struct Difficulty {
    const char* name;
    StackPhotoRecipe recipe;
};

// Designated fields follow the recipe's order of declaration.
const std::vector<Difficulty>& Difficulties() {
    static const std::vector<Difficulty> difficulties{
        {"level stack", {}},
        {"tilted up 3 degrees", {.tilt = kThreeDegrees}},
        {"tilted down 3 degrees", {.tilt = -kThreeDegrees}},
        {"sagging", {.bow = 10}},
        {"bulging and tilted", {.tilt = 15, .bow = -8}},
        {"faint seams", {.fadedGaps = 4}},
        {"faint seam under the top board", {.fadedTopGap = true}},
        {"broken seams", {.brokenGaps = 5}},
        {"seams missing over a stretch", {.missingSegments = 4}},
        {"uneven light", {.lightSlope = 35, .lightFall = -25, .vignette = 30}},
        {"JPEG quality 70", {.noise = 20, .quality = 70}},
        {"boards of uneven thickness", {.thicknessJitter = 2}},
        {"straps", {.straps = 3}},
        {"blurred bottom edge", {.bottomBlur = 6}},
        {"grey photo", {.greyscale = true}},
        {"thin boards", {.boards = 30, .boardRows = 12, .gapRows = 2}},
        {"two boards", {.boards = 2, .boardRows = 60, .tilt = 20}},
        {"three boards", {.boards = 3, .boardRows = 40, .fadedGaps = 1}},
        {"small photo",
         {.width = 300,
          .height = 200,
          .boards = 6,
          .boardRows = 14,
          .marginTop = 30,
          .marginBottom = 30,
          .tilt = 8}},
        {"large photo of thick boards",
         {.width = 1600, .height = 1200, .boards = 14, .boardRows = 70, .gapRows = 7, .tilt = 60, .bow = 12}},
        {"everything at once",
         {.noise = 18,
          .tilt = 30,
          .fadedGaps = 2,
          .bow = 6,
          .fadedTopGap = true,
          .thicknessJitter = 2,
          .brokenGaps = 3,
          .missingSegments = 2,
          .straps = 2,
          .lightSlope = -30,
          .lightFall = 20,
          .vignette = 25,
          .bottomBlur = 4,
          .quality = 75}},
    };
    return difficulties;
}

StackPhotoRecipe WithSeed(StackPhotoRecipe recipe, unsigned seed) {
    recipe.seed = seed;
    return recipe;
}

void ExpectExactCounts(const StackPhotoRecipe& recipe, const std::string& name) {
    ASSERT_EQ(testing::ValidateStackPhotoRecipe(recipe), "") << name;
    const BitmapHandle photo = PhotoOf(recipe);
    ASSERT_NE(photo, nullptr) << name;
    // Unknown, calibrated, calibrated on boards a few percent thinner or thicker, and
    // calibrated on boards of half or twice the thickness, which the seams outvote.
    const double pitch = PitchOf(recipe);
    for (const double prior : {0.0, pitch, 0.96 * pitch, 1.04 * pitch, 0.5 * pitch, 2 * pitch}) {
        const Expected<SecondCount> count = LookAgain(photo.get(), prior);
        ASSERT_TRUE(count) << name << ", prior " << prior << ": " << count.error().message;
        EXPECT_EQ(count->boards, recipe.boards) << name << ", prior " << prior << ", seed " << recipe.seed;
    }
}

TEST(SecondLookCount, IsExactOnEveryDifficultyWithOrWithoutAPrior) {
    for (const Difficulty& difficulty : Difficulties()) ExpectExactCounts(difficulty.recipe, difficulty.name);
}

TEST(SecondLookCount, IsExactOnHardPhotosWhateverTheSeed) {
    const Difficulty& everything = Difficulties().back();
    for (unsigned seed = 2; seed <= 6; ++seed)
        ExpectExactCounts(WithSeed(everything.recipe, seed), everything.name);
}

// Turned upside down, the faint seam under the top board becomes one over the bottom board.
TEST(SecondLookCount, CountsAStackUpsideDownAlike) {
    StackPhotoRecipe recipe;
    recipe.fadedTopGap = true;
    recipe.bottomBlur = 5;
    recipe.tilt = 25;
    const BitmapHandle photo = PhotoOf(recipe);
    const BitmapHandle turned(FreeImage_Rotate(photo.get(), 180));
    ASSERT_NE(turned, nullptr);
    for (FIBITMAP* picture : {photo.get(), turned.get()}) {
        const Expected<SecondCount> count = LookAgain(picture, 0);
        ASSERT_TRUE(count) << count.error().message;
        EXPECT_EQ(count->boards, recipe.boards);
    }
}

// Where the generator puts a row of the middle column in column `x`.
double Shifted(const StackPhotoRecipe& recipe, double row, double x) {
    const double middle = (recipe.width - 1) / 2.0;
    const double u = (x - middle) / middle;
    return row + recipe.tilt / 2 * u + recipe.bow * u * u;
}

TEST(SecondLookGeometry, SeamsAndEdgesFollowATiltedBowedStack) {
    StackPhotoRecipe recipe;
    recipe.boards = 17;
    recipe.gapRows = 5;  // odd, so that the layout's gap rows are the seams' middles
    recipe.tilt = 30;
    recipe.bow = 8;
    const testing::StackPhotoLayout layout = testing::LayoutOf(recipe);
    const Expected<SecondCount> count = LookAgain(PhotoOf(recipe).get(), 0);
    ASSERT_TRUE(count) << count.error().message;
    EXPECT_NEAR(count->thickness, PitchOf(recipe), 0.02 * PitchOf(recipe));
    ASSERT_EQ(count->seams.size(), layout.gapCentreRows.size());
    for (std::size_t seam = 0; seam < count->seams.size(); ++seam) {
        ASSERT_GE(count->seams[seam].size(), 8u) << "seam " << seam << " followed across too few sections";
        for (const SeamPoint& point : count->seams[seam]) {
            EXPECT_NEAR(point.row, Shifted(recipe, layout.gapCentreRows[seam], point.column), 1.0)
                << "seam " << seam << " at column " << point.column;
        }
    }
    for (const SeamPoint& point : count->bottomEdge) {
        EXPECT_NEAR(point.row, Shifted(recipe, layout.firstBoardRow - 0.5, point.column), 1.0)
            << point.column;
    }
    for (const SeamPoint& point : count->topEdge) {
        EXPECT_NEAR(point.row, Shifted(recipe, layout.lastBoardRow + 0.5, point.column), 1.0) << point.column;
    }
}

TEST(SecondLookGeometry, PolylinesRunLeftToRightAndSeamsBottomUp) {
    StackPhotoRecipe recipe;
    recipe.tilt = -kThreeDegrees;
    const Expected<SecondCount> count = LookAgain(PhotoOf(recipe).get(), 0);
    ASSERT_TRUE(count) << count.error().message;
    std::vector<std::vector<SeamPoint>> lines = count->seams;
    lines.insert(lines.begin(), count->bottomEdge);
    lines.push_back(count->topEdge);
    for (std::size_t line = 0; line < lines.size(); ++line) {
        ASSERT_FALSE(lines[line].empty());
        for (std::size_t point = 1; point < lines[line].size(); ++point) {
            EXPECT_GT(lines[line][point].column, lines[line][point - 1].column) << "line " << line;
        }
        if (line > 0) {
            EXPECT_GT(lines[line].front().row, lines[line - 1].front().row) << "line " << line;
        }
    }
}

TEST(SecondLookPixels, EveryPixelFormatCountsAlike) {
    StackPhotoRecipe recipe;
    recipe.tilt = 20;
    recipe.fadedGaps = 2;
    const BitmapHandle photo = PhotoOf(recipe);
    const BitmapHandle grey(FreeImage_ConvertTo8Bits(photo.get()));
    const BitmapHandle formats[] = {
        BitmapHandle(FreeImage_ConvertTo32Bits(photo.get())),
        BitmapHandle(FreeImage_ConvertTo8Bits(photo.get())),
        BitmapHandle(FreeImage_ColorQuantize(photo.get(), FIQ_WUQUANT)),
        BitmapHandle(FreeImage_ConvertToRGB16(photo.get())),
        BitmapHandle(FreeImage_ConvertToUINT16(grey.get())),
    };
    for (const BitmapHandle& format : formats) {
        ASSERT_NE(format, nullptr);
        const Expected<SecondCount> count = LookAgain(format.get(), 0);
        ASSERT_TRUE(count) << FreeImage_GetBPP(format.get()) << " bits: " << count.error().message;
        EXPECT_EQ(count->boards, recipe.boards) << FreeImage_GetBPP(format.get()) << " bits";
    }
}

// A recipe whose boards, gaps and surroundings share one grey level: noise and nothing else.
StackPhotoRecipe Featureless(int level) {
    StackPhotoRecipe recipe;
    recipe.boardLevel = recipe.gapLevel = recipe.marginLevel = level;
    return recipe;
}

void ExpectRefusal(FIBITMAP* photo, double prior, const std::string& reason) {
    const Expected<SecondCount> count = LookAgain(photo, prior);
    ASSERT_FALSE(count) << reason << ": counted " << count->boards;
    EXPECT_NE(count.error().message.find(reason), std::string::npos) << count.error().message;
}

TEST(SecondLookRefusal, APhotoWithoutAStackIsNotCounted) {
    for (const int level : {20, 128, 230}) {
        ExpectRefusal(PhotoOf(Featureless(level)).get(), 0, "no stack");
        ExpectRefusal(PhotoOf(Featureless(level)).get(), 23, "no stack");
    }
    StackPhotoRecipe tiny;
    tiny.width = tiny.height = 12;
    tiny.boards = 1;
    tiny.boardRows = 4;
    tiny.marginTop = tiny.marginBottom = 2;
    ExpectRefusal(PhotoOf(tiny).get(), 0, "too small");
    ExpectRefusal(nullptr, 0, "no pixels");
}

TEST(SecondLookRefusal, ASingleBoardNeedsItsThickness) {
    StackPhotoRecipe single;
    single.boards = 1;
    single.boardRows = 120;
    const BitmapHandle photo = PhotoOf(single);
    ExpectRefusal(photo.get(), 0, "no seams");
    const Expected<SecondCount> counted = LookAgain(photo.get(), 118);
    ASSERT_TRUE(counted) << counted.error().message;
    EXPECT_EQ(counted->boards, 1);
    EXPECT_TRUE(counted->seams.empty());
}

TEST(SecondLookRefusal, AThicknessNoBoardCouldHaveIsRefused) {
    const BitmapHandle photo = PhotoOf(StackPhotoRecipe{});
    for (const double prior :
         {-23.0, 0.5, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        ExpectRefusal(photo.get(), prior, "board thickness");
    }
}

// The valleys a profile of `boards` boards shows: a seam every pitch, from the one
// half a seam below the bottom board on, and shallow noise dips every few steps.
struct SeamProfile {
    int boards = 20;
    double pitch = 23, seamWidth = 3;
    std::vector<Valley> valleys;

    int Steps() const { return static_cast<int>(std::lround(boards * pitch - seamWidth)); }
    double SeamAt(int seam) const { return -0.5 - seamWidth / 2 + seam * pitch; }

    explicit SeamProfile(double seamDepth = 150) {
        for (double noise = 2.5; noise < Steps(); noise += 4.7) valleys.push_back({noise, 3.0, 1.0});
        for (int seam = 1; seam < boards; ++seam) valleys.push_back({SeamAt(seam), seamDepth, seamWidth});
        Sort();
    }

    void Sort() {
        std::sort(valleys.begin(), valleys.end(),
                  [](const Valley& a, const Valley& b) { return a.position < b.position; });
    }

    // Takes away every valley within `reach` steps of `position`.
    void Clear(double position, double reach) {
        std::erase_if(valleys,
                      [&](const Valley& valley) { return std::abs(valley.position - position) <= reach; });
    }

    void Add(double position, double depth) {
        valleys.push_back({position, depth, seamWidth});
        Sort();
    }

    int Count(const std::vector<double>& pitches) const {
        const SeamLook seam = TypicalSeam(valleys, Steps(), pitches.front(), 200);
        return ChainOfSeams(valleys, Steps(), pitches, seam).boards;
    }
};

TEST(SecondLookChain, CountsEverySeamTheSpacingCallsFor) {
    SeamProfile clean;
    EXPECT_EQ(clean.Count({clean.pitch}), clean.boards);

    SeamProfile invisible;  // not even noise between the seams on either side of the missing one
    invisible.Clear(invisible.SeamAt(7), invisible.pitch - 2);
    EXPECT_EQ(invisible.Count({invisible.pitch}), invisible.boards) << "a seam that does not show at all";

    SeamProfile fadedTop;
    fadedTop.Clear(fadedTop.SeamAt(fadedTop.boards - 1), 1);
    fadedTop.Add(fadedTop.SeamAt(fadedTop.boards - 1), 25);
    EXPECT_EQ(fadedTop.Count({fadedTop.pitch}), fadedTop.boards) << "a faint seam under the top board";

    SeamProfile stain(20);  // faint seams, and a crack far darker than any in the middle of a board
    stain.Add(stain.SeamAt(5) + stain.pitch / 2, 150);
    EXPECT_EQ(stain.Count({stain.pitch}), stain.boards) << "a dark line in the middle of a board";
}

TEST(SecondLookChain, SettlesOnTheTruePitchFromOneThatIsOff) {
    SeamProfile profile;  // every other seam faint, so that two boards look like one
    for (int seam = 2; seam < profile.boards; seam += 2) {
        profile.Clear(profile.SeamAt(seam), 1);
        profile.Add(profile.SeamAt(seam), 30);
    }
    for (const double factor : {0.8, 0.9, 0.96, 1.04, 1.1, 1.25}) {
        EXPECT_EQ(profile.Count({factor * profile.pitch}), profile.boards) << "pitch x " << factor;
    }
    // The autocorrelation's candidates: the true pitch wins over its multiples and parts.
    const double pitch = profile.pitch;
    EXPECT_EQ(profile.Count({2 * pitch, pitch, 3 * pitch, pitch / 2, pitch / 3}), profile.boards);
}

// A profile of boards `pitch` steps apart, with a seam of three steps between each,
// every other one faint.
std::vector<double> AlternatelyFaint(int boards, int pitch) {
    std::vector<double> profile(static_cast<std::size_t>(boards * pitch - 3), 200.0);
    for (int seam = 1; seam < boards; ++seam) {
        std::fill_n(profile.begin() + seam * pitch - 3, 3, seam % 2 ? 40.0 : 170.0);
    }
    return profile;
}

TEST(SecondLookPitch, OffersTheBoardPitchWhenTwoBoardsRepeatBetter) {
    const std::vector<double> pitches = RepeatingPitches(AlternatelyFaint(24, 21));
    ASSERT_FALSE(pitches.empty());
    EXPECT_NEAR(pitches.front(), 42, 1) << "the best repeat is every other seam";
    EXPECT_TRUE(
        std::any_of(pitches.begin(), pitches.end(), [](double pitch) { return std::abs(pitch - 21) < 1; }));
    EXPECT_TRUE(RepeatingPitches(std::vector<double>(300, 200.0)).empty()) << "a profile without seams";
}

TEST(SecondLookValleys, OneDipPerSeamAndNoneWhereOneBoardIsDarker) {
    std::vector<double> profile(120, 200.0);
    std::fill(profile.begin() + 60, profile.end(), 150.0);  // a darker board from step 60 on
    profile[60] = 148;                                      // whose first step dips a little
    for (int step = 88; step <= 94; ++step)
        profile[step] = step % 2 ? 40.0 : 42.0;  // a wide seam, noisy floor
    const std::vector<Valley> valleys = FindValleys(profile, 12);
    ASSERT_EQ(valleys.size(), 2u);
    EXPECT_NEAR(valleys[0].position, 60, 0.5);
    EXPECT_LE(valleys[0].depth, 2.0) << "measured from the light board above the step";
    EXPECT_NEAR(valleys[1].position, 91, 0.5);
    EXPECT_NEAR(valleys[1].depth, 110, 0.5);
    EXPECT_EQ(valleys[1].width, 7);
}

// Columns of a flat stack, rows bottom-up, with one seam, and edges along the photo's
// bottom and top.
struct FlatStack {
    static constexpr int kHeight = 200, kColumns = 64, kSeamRow = 100;
    GreyColumns columns{kColumns * 10, kHeight, {}, std::vector<float>(kColumns* kHeight, 200.0f)};
    StackEdges edges{{0, 0, 0, kColumns * 5.0, kColumns * 5.0},
                     {kHeight, 0, 0, kColumns * 5.0, kColumns * 5.0},
                     0,
                     kColumns};

    FlatStack() {
        for (int column = 0; column < kColumns; ++column) {
            columns.centres.push_back(column * 10 + 5);
            Paint(column, kSeamRow, kSeamRow + 1, 40);
        }
    }

    void Paint(int column, int fromRow, int toRow, float level) {
        std::fill(columns.values.begin() + column * kHeight + fromRow,
                  columns.values.begin() + column * kHeight + toRow, level);
    }
};

// Up to a quarter of the columns may be off either way; here a fifth are, spread out.
TEST(SecondLookProfile, PaintAndBrokenSeamsInAFewColumnsDoNotPullIt) {
    FlatStack stack;
    for (int column = 0; column < FlatStack::kColumns; column += 5) {
        stack.Paint(column, 40, 60, 60);                                         // a dark mark on the boards
        stack.Paint(column, FlatStack::kSeamRow, FlatStack::kSeamRow + 1, 200);  // boards touching
    }
    const std::vector<double> profile = RectifiedProfile(stack.columns, stack.edges, FlatStack::kHeight);
    ASSERT_EQ(profile.size(), static_cast<std::size_t>(FlatStack::kHeight));
    for (int step = 40; step < 60; ++step) EXPECT_NEAR(profile[step], 200, 1) << "step " << step;
    EXPECT_NEAR(profile[FlatStack::kSeamRow], 40, 1);
}

}  // namespace
}  // namespace tamrex
