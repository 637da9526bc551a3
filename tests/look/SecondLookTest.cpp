#include "look/SecondLook.h"

#include "image/Bitmap.h"
#include "look/MiddleHalf.h"
#include "look/Pitch.h"
#include "look/SeamChain.h"
#include "look/Valleys.h"
#include "tools/photo/StackPhoto.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <cmath>
#include <limits>
#include <numbers>
#include <numeric>
#include <random>
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
    // calibrated on boards of a quarter, half, twice or four times the thickness, which
    // the seams outvote: the photo may be at another scale than the calibration's.
    const double pitch = PitchOf(recipe);
    for (const double prior : {0.0, pitch, 0.96 * pitch, 1.04 * pitch, 0.5 * pitch, 2 * pitch, 0.25 * pitch, 4 * pitch}) {
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
    // The boards' ends are ragged in the outermost columns, where a seam is a guess.
    const auto inside = [&](const SeamPoint& point) { return point.column > 16 && point.column < recipe.width - 16; };
    for (std::size_t seam = 0; seam < count->seams.size(); ++seam) {
        ASSERT_GE(count->seams[seam].size(), 8u) << "seam " << seam << " followed across too few strips";
        for (const SeamPoint& point : count->seams[seam]) {
            if (!inside(point)) continue;
            EXPECT_NEAR(point.row, Shifted(recipe, layout.gapCentreRows[seam], point.column), 1.0)
                << "seam " << seam << " at column " << point.column;
        }
    }
    for (const SeamPoint& point : count->bottomEdge) {
        if (!inside(point)) continue;
        EXPECT_NEAR(point.row, Shifted(recipe, layout.firstBoardRow - 0.5, point.column), 1.0)
            << point.column;
    }
    for (const SeamPoint& point : count->topEdge) {
        if (!inside(point)) continue;
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

void ExpectRefusal(FIBITMAP* photo, double prior, const std::string& reason, const std::string& what = "") {
    const Expected<SecondCount> count = LookAgain(photo, prior);
    ASSERT_FALSE(count) << what << ": counted " << count->boards << ", not refused for " << reason;
    EXPECT_NE(count.error().message.find(reason), std::string::npos) << count.error().message;
}

TEST(SecondLookRefusal, APhotoWithoutAStackIsNotCounted) {
    for (const int level : {20, 128, 230}) {
        const std::string what = "grey level " + std::to_string(level);
        ExpectRefusal(PhotoOf(Featureless(level)).get(), 0, "no stack", what);
        ExpectRefusal(PhotoOf(Featureless(level)).get(), 23, "no stack", what + " with a thickness");
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
    ExpectRefusal(photo.get(), 0, "seams too faint");
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

// A photo of `width` x `height` pixels of ground: grey pebbles of a few sizes strewn
// over grit, which line up from one column to the next no more than a real yard's do.
BitmapHandle Ground(int width, int height, int level, unsigned seed) {
    BitmapHandle ground(FreeImage_Allocate(width, height, 24));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> grit(-10, 10), shade(-45, 45), size(2, 9), column(0, width - 1),
        row(0, height - 1);
    for (int y = 0; y < height; ++y) {
        BYTE* line = FreeImage_GetScanLine(ground.get(), y);
        for (int x = 0; x < width; ++x) line[3 * x] = line[3 * x + 1] = line[3 * x + 2] = static_cast<BYTE>(std::clamp(level + grit(random), 0, 255));
    }
    for (int pebble = 0; pebble < width * height / 40; ++pebble) {
        const int x0 = column(random), y0 = row(random), radius = size(random);
        const BYTE value = static_cast<BYTE>(std::clamp(level + shade(random), 0, 255));
        for (int y = std::max(0, y0 - radius); y < std::min(height, y0 + radius); ++y) {
            BYTE* line = FreeImage_GetScanLine(ground.get(), y);
            for (int x = std::max(0, x0 - radius); x < std::min(width, x0 + radius); ++x) {
                if ((x - x0) * (x - x0) + (y - y0) * (y - y0) <= radius * radius) line[3 * x] = line[3 * x + 1] = line[3 * x + 2] = value;
            }
        }
    }
    return ground;
}

// `stack` pasted onto `ground` with its top left corner at (left, top).
BitmapHandle Pasted(BitmapHandle ground, FIBITMAP* stack, int left, int top) {
    const BitmapHandle colour(FreeImage_ConvertTo24Bits(stack));
    EXPECT_TRUE(FreeImage_Paste(ground.get(), colour.get(), left, top, 256));
    return ground;
}

int CountOf(FIBITMAP* photo, const LookRequest& request = {}) {
    const Expected<SecondCount> count = LookAgain(photo, request);
    EXPECT_TRUE(count) << count.error().message;
    return count ? count->boards : -1;
}

// Ground or a wall beside the stack, of any brightness, is no part of it: the stack is
// found where its seams line up from one strip to the next, and counted there alone.
TEST(SecondLookFinding, FindsAStackThatDoesNotFillThePhoto) {
    StackPhotoRecipe recipe;
    recipe.width = 420;
    recipe.height = 330;
    recipe.boards = 11;
    recipe.marginTop = recipe.marginBottom = 20;
    recipe.tilt = 9;
    const BitmapHandle stack = PhotoOf(recipe);
    for (const int level : {25, 110, 215}) {
        const BitmapHandle photo = Pasted(Ground(1000, 760, level, 7), stack.get(), 360, 250);
        const Expected<SecondCount> count = LookAgain(photo.get(), 0);
        ASSERT_TRUE(count) << "ground " << level << ": " << count.error().message;
        EXPECT_EQ(count->boards, recipe.boards) << "ground " << level;
        ASSERT_FALSE(count->seams.empty());
        EXPECT_NEAR(count->seams.front().front().column, 360, 40) << "the stack's left end, ground " << level;
        EXPECT_NEAR(count->seams.front().back().column, 780, 40) << "the stack's right end, ground " << level;
        EXPECT_FALSE(count->PastFrame());
    }
}

// Cut out of the middle of a stack: the boards wholly or mostly in the photo count,
// and the result says that the stack runs on past its edges.
TEST(SecondLookFinding, CountsAStackThatRunsPastThePhotosEdges) {
    StackPhotoRecipe recipe;
    recipe.height = 700;
    recipe.boards = 24;
    recipe.boardRows = 18;
    recipe.gapRows = 4;
    const testing::StackPhotoLayout layout = testing::LayoutOf(recipe);
    const BitmapHandle photo = PhotoOf(recipe);
    // Seams 3 to 19 in the photo, 16 boards between them; four fifths of the board
    // below and a quarter of the board above them show.
    const int bottom = layout.gapCentreRows[2] + 5, top = layout.gapCentreRows[19] + 6;
    const BitmapHandle cut(FreeImage_Copy(photo.get(), 0, recipe.height - 1 - top, recipe.width, recipe.height - bottom));
    const Expected<SecondCount> count = LookAgain(cut.get(), 0);
    ASSERT_TRUE(count) << count.error().message;
    EXPECT_EQ(count->boards, 17) << "the four fifths of a board at the bottom count, the quarter at the top not";
    EXPECT_TRUE(count->pastBottom && count->pastTop);
    EXPECT_TRUE(count->bottomEdge.empty() && count->topEdge.empty()) << "no end is drawn where the photo cuts the stack";
}

// Two stacks side by side: the operator's frame decides which is counted.
TEST(SecondLookFinding, CountsInsideTheFrameItIsGiven) {
    StackPhotoRecipe left, right;
    left.width = right.width = 400;
    left.height = right.height = 500;
    left.boards = 9;
    left.boardRows = 30;
    right.boards = 19;
    right.boardRows = 14;
    right.seed = 5;
    BitmapHandle photo = Pasted(Ground(900, 560, 60, 3), PhotoOf(left).get(), 20, 30);
    photo = Pasted(std::move(photo), PhotoOf(right).get(), 480, 30);
    EXPECT_EQ(CountOf(photo.get(), {0, PhotoFrame{20, 30, 400, 500}}), left.boards);
    EXPECT_EQ(CountOf(photo.get(), {0, PhotoFrame{480, 30, 400, 500}}), right.boards);
    EXPECT_EQ(CountOf(photo.get(), {0, PhotoFrame{480, 30, 900, 900}}), right.boards) << "a frame cut to the photo";
    const Expected<SecondCount> outside = LookAgain(photo.get(), {0, PhotoFrame{950, 10, 40, 40}});
    ASSERT_FALSE(outside);
    EXPECT_NE(outside.error().message.find("does not lie on the photo"), std::string::npos) << outside.error().message;
}

// What operators photograph, each kind on its own: the stack beside others and on a busy
// ground, boards whose faces have a texture of their own, thin sheets under wrap,
// outdoor light, a camera at an angle, a stack that runs past the photo.
const std::vector<Difficulty>& OperatorsPhotos() {
    static const std::vector<Difficulty> photos{
        {"beside a pallet, on bearers, before a wall",
         {.width = 1000, .height = 750, .boards = 18, .boardRows = 22, .gapRows = 4, .leftEnd = 180, .rightEnd = 640,
          .backdrop = testing::Backdrop::Wall, .floorLevel = 110, .bearers = 3, .neighbour = testing::Neighbour::Pallet}},
        {"beside another stack in a dark frame",
         {.width = 1000, .height = 750, .boards = 9, .boardRows = 36, .gapRows = 6, .marginLevel = 18, .leftEnd = 200,
          .rightEnd = 560, .neighbour = testing::Neighbour::Stack}},
        {"plywood plies", {.boards = 16, .boardRows = 26, .face = testing::BoardFace::Plies, .plies = 6}},
        {"double-wall corrugated board",
         {.boards = 12, .boardRows = 32, .gapRows = 4, .boardLevel = 150, .gapLevel = 12,
          .face = testing::BoardFace::DoubleFlutes, .fluteEnds = true}},
        {"folded boxes", {.boards = 10, .boardRows = 40, .gapRows = 6, .face = testing::BoardFace::Rounded}},
        {"thin sheets under wrap", {.width = 1000, .height = 750, .boards = 90, .boardRows = 5, .gapRows = 1,
                                    .marginTop = 80, .marginBottom = 80, .wrap = 35}},
        {"outdoors", {.width = 1000, .height = 750, .boards = 20, .boardRows = 22, .gapRows = 4, .lightSlope = 30,
                      .leftEnd = 80, .rightEnd = 900, .backdrop = testing::Backdrop::Gravel, .floorLevel = 140,
                      .sky = 12, .shadow = 40}},
        {"seen at an angle", {.boards = 20, .boardRows = 16, .leftEnd = 80, .rightEnd = 720, .keystone = 25}},
        {"seen from above", {.leftEnd = 120, .rightEnd = 680, .keystoneVertical = -20}},
    };
    return photos;
}

TEST(SecondLookCount, IsExactOnOperatorsPhotos) {
    for (const Difficulty& photo : OperatorsPhotos()) {
        ASSERT_EQ(testing::ValidateStackPhotoRecipe(photo.recipe), "") << photo.name;
        const BitmapHandle picture = PhotoOf(photo.recipe);
        EXPECT_EQ(CountOf(picture.get()), photo.recipe.boards) << photo.name;
        EXPECT_EQ(CountOf(picture.get(), {PitchOf(photo.recipe), std::nullopt}), photo.recipe.boards)
            << photo.name << ", calibrated";
    }
}

// Sheets whose edges are not flat lie unevenly: every clear seam is a seam however far
// it lies from the next, while the calibrated thickness still only hints.
TEST(SecondLookCount, CountsUnevenlyThickBoards) {
    for (unsigned seed = 1; seed <= 4; ++seed) {
        StackPhotoRecipe recipe;
        recipe.boards = 26;
        recipe.boardRows = 12;
        recipe.gapRows = 3;
        recipe.thicknessJitter = 4;
        recipe.seed = seed;
        const BitmapHandle photo = PhotoOf(recipe);
        EXPECT_EQ(CountOf(photo.get()), recipe.boards) << "seed " << seed;
        EXPECT_EQ(CountOf(photo.get(), {PitchOf(recipe), std::nullopt}), recipe.boards) << "seed " << seed;
    }
}

// The valleys a profile shows: a seam every pitch from step `first` on, and shallow
// noise dips every few steps.
struct SeamProfile {
    int boards = 20;
    double pitch = 23.4, first = 30;
    std::vector<Valley> valleys;

    double SeamAt(int seam) const { return first + seam * pitch; }

    explicit SeamProfile(double seamDepth = 150) {
        for (double noise = 2.5; noise < SeamAt(boards); noise += 4.7) valleys.push_back({noise, 3.0, 1.0});
        for (int seam = 0; seam < boards - 1; ++seam) valleys.push_back({SeamAt(seam), seamDepth, 3.0});
        Sort();
    }

    void Sort() {
        std::sort(valleys.begin(), valleys.end(), [](const Valley& a, const Valley& b) { return a.position < b.position; });
    }

    // Takes away every valley within `reach` steps of `position`.
    void Clear(double position, double reach) {
        std::erase_if(valleys, [&](const Valley& valley) { return std::abs(valley.position - position) <= reach; });
    }

    void Add(double position, double depth) {
        valleys.push_back({position, depth, 3.0});
        Sort();
    }

    // Boards between the chain's first and last seam, and where those lie.
    SeamChain Chain(double pitch) const {
        const int last = static_cast<int>(SeamAt(boards));
        const SeamLook seam = TypicalSeam(valleys, 0, last, pitch, 200);
        return ChainOfSeams(valleys, 0, last, pitch, seam);
    }
    int BoardsBetween(double pitch) const {
        const std::vector<int> boards = Chain(pitch).boards;
        return std::accumulate(boards.begin(), boards.end(), 0);
    }
};

TEST(SecondLookChain, CountsEverySeamTheSpacingCallsFor) {
    const int between = SeamProfile{}.boards - 2;  // boards between the first and the last of 19 seams
    SeamProfile clean;
    EXPECT_EQ(clean.BoardsBetween(clean.pitch), between);

    SeamProfile twoMissing;  // two seams in a row that do not show, in a span a little short of three boards
    twoMissing.Clear(twoMissing.SeamAt(8), twoMissing.pitch + 5);
    twoMissing.Add(twoMissing.SeamAt(9) - 2, 150);
    EXPECT_EQ(twoMissing.BoardsBetween(twoMissing.pitch), between) << "two seams missing in a row";
    const SeamChain bridged = twoMissing.Chain(twoMissing.pitch);
    const auto link = std::find(bridged.boards.begin(), bridged.boards.end(), 3);
    ASSERT_NE(link, bridged.boards.end()) << "one link spans the three boards";
    EXPECT_NEAR(bridged.seams[link - bridged.boards.begin()], twoMissing.SeamAt(6), 0.5) << "from the seam below the gap";

    SeamProfile stain(20);  // faint seams, and a crack far darker than any in the middle of a board
    stain.Add(stain.SeamAt(5) + stain.pitch / 2, 150);
    EXPECT_EQ(stain.BoardsBetween(stain.pitch), between) << "a dark line in the middle of a board";

    SeamProfile plies;  // a ply line a third of the way into every board, a fifth as deep as a seam
    for (int seam = 0; seam + 1 < plies.boards - 1; ++seam) plies.Add(plies.SeamAt(seam) + plies.pitch / 3, 30);
    EXPECT_EQ(plies.BoardsBetween(plies.pitch), between) << "plies inside the boards";
}

TEST(SecondLookChain, AChainAtTwiceOrHalfThePitchScoresWorse) {
    const SeamProfile profile;
    const double right = profile.Chain(profile.pitch).score;
    EXPECT_GT(right, profile.Chain(2 * profile.pitch).score) << "every other seam unearned";
    EXPECT_GT(right, profile.Chain(profile.pitch / 2).score) << "a seam missing on every board";
}

// A profile of boards `pitch` steps apart (a fraction allowed), each seam three steps
// dark, every other one faint when `alternate` is set.
std::vector<double> BoardsOf(int boards, double pitch, bool alternate) {
    std::vector<double> profile(static_cast<std::size_t>(std::ceil(boards * pitch)), 200.0);
    for (int seam = 1; seam < boards; ++seam) {
        const int at = static_cast<int>(std::lround(seam * pitch)) - 3;
        std::fill_n(profile.begin() + at, 3, alternate && seam % 2 == 0 ? 170.0 : 40.0);
    }
    return profile;
}

TEST(SecondLookPitch, FindsThePitchBetweenWholeRowsAndOffersItsParts) {
    // The last stack is taller than the autocorrelation is taken over in single rows.
    const struct {
        int boards;
        double pitch;
    } stacks[] = {{30, 17.3}, {30, 23.5}, {30, 31.8}, {90, 47.6}};
    for (const auto& stack : stacks) {
        const std::vector<double> profile = BoardsOf(stack.boards, stack.pitch, false);
        const std::vector<double> pitches = CandidatePitches(profile, 0, static_cast<int>(profile.size()) - 1, 0);
        ASSERT_FALSE(pitches.empty());
        EXPECT_NEAR(pitches.front(), stack.pitch, 0.15) << "pitch " << stack.pitch;
    }
    const std::vector<double> faint = BoardsOf(24, 21, true);
    const std::vector<double> pitches = CandidatePitches(faint, 0, static_cast<int>(faint.size()) - 1, 33);
    ASSERT_GE(pitches.size(), 3u);
    EXPECT_NEAR(pitches.front(), 42, 1) << "the best repeat is every other seam";
    EXPECT_TRUE(std::any_of(pitches.begin(), pitches.end(), [](double pitch) { return std::abs(pitch - 21) < 1; }));
    EXPECT_EQ(pitches.back(), 33) << "the calibrated pitch is always offered";
    const std::vector<double> flat(300, 200.0);
    EXPECT_EQ(CandidatePitches(flat, 0, 299, 0), std::vector<double>{}) << "a profile without seams";
}

TEST(SecondLookValleys, OneDipPerSeamAndNoneWhereOneBoardIsDarker) {
    std::vector<double> profile(120, 200.0);
    std::fill(profile.begin() + 60, profile.end(), 150.0);  // a darker board from step 60 on
    profile[60] = 148;                                      // whose first step dips a little
    for (int step = 88; step <= 94; ++step) profile[step] = step % 2 ? 40.0 : 42.0;  // a wide seam, noisy floor
    const std::vector<Valley> valleys = FindValleys(profile, 12);
    ASSERT_EQ(valleys.size(), 2u);
    EXPECT_NEAR(valleys[0].position, 60, 0.5);
    EXPECT_LE(valleys[0].depth, 2.0) << "measured from the light board above the step";
    EXPECT_NEAR(valleys[1].position, 91, 0.5);
    EXPECT_NEAR(valleys[1].depth, 110, 0.5);
    EXPECT_EQ(valleys[1].width, 7);
}

// Up to a quarter of the strips may be off either way without moving the level.
TEST(SecondLookProfile, AFewStrapsOrBrokenSeamsDoNotPullTheLevel) {
    std::vector<float> strips(40, 200.0f);
    for (std::size_t strip = 0; strip < strips.size(); strip += 5) strips[strip] = 60;    // dark straps
    for (std::size_t strip = 2; strip < strips.size(); strip += 5) strips[strip] = 255;  // glare
    EXPECT_NEAR(MiddleHalfMean(strips.data(), strips.size()), 200, 0.01);
    float one = 90;
    EXPECT_EQ(MiddleHalfMean(&one, 1), 90);
}
}  // namespace
}  // namespace tamrex
