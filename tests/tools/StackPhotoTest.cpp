#include "tools/photo/StackPhoto.h"

#include "image/Bitmap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <unistd.h>

namespace tamrex::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kThreshold = 110;  // the counter's default: below it a pixel is dark

BitmapHandle GreyOf(FIBITMAP* bitmap) { return BitmapHandle(FreeImage_ConvertToGreyscale(bitmap)); }

BitmapHandle DrawnGrey(const StackPhotoRecipe& recipe) {
    const BitmapHandle drawn(DrawStackPhoto(recipe));
    EXPECT_NE(drawn, nullptr) << ValidateStackPhotoRecipe(recipe);
    return drawn ? GreyOf(drawn.get()) : nullptr;
}

// Mean grey of a strip of columns around the middle, where the layout holds under tilt.
double MiddleLevel(FIBITMAP* grey, int y) {
    const int width = static_cast<int>(FreeImage_GetWidth(grey));
    const BYTE* line = FreeImage_GetScanLine(grey, y);
    const int from = width / 2 - 12, to = width / 2 + 12;
    double sum = 0;
    for (int x = from; x < to; ++x) sum += line[x];
    return sum / (to - from);
}

double DarkShare(FIBITMAP* grey, int y) {
    const int width = static_cast<int>(FreeImage_GetWidth(grey));
    const BYTE* line = FreeImage_GetScanLine(grey, y);
    int dark = 0;
    for (int x = 0; x < width; ++x) dark += line[x] < kThreshold;
    return static_cast<double>(dark) / width;
}

StackPhotoRecipe Tilted() {
    StackPhotoRecipe recipe;
    recipe.boards = 24;
    recipe.boardRows = 16;
    recipe.tilt = 6;
    return recipe;
}

StackPhotoRecipe ThickGreyWithEvenGaps() {
    StackPhotoRecipe recipe;
    recipe.boards = 10;
    recipe.boardRows = 36;
    recipe.gapRows = 4;
    recipe.greyscale = true;
    return recipe;
}

TEST(StackPhotoDrawing, GapsAreDarkAndBoardsLightWhereTheLayoutPutsThem) {
    for (const StackPhotoRecipe& recipe : {StackPhotoRecipe{}, Tilted(), ThickGreyWithEvenGaps()}) {
        const BitmapHandle grey = DrawnGrey(recipe);
        ASSERT_NE(grey, nullptr);
        const StackPhotoLayout layout = LayoutOf(recipe);
        ASSERT_EQ(layout.gapCentreRows.size(), static_cast<std::size_t>(recipe.boards - 1));
        for (int gap : layout.gapCentreRows) {
            EXPECT_LT(MiddleLevel(grey.get(), gap), kThreshold) << "gap at row " << gap;
            const int boardMiddle = gap - recipe.gapRows / 2 - recipe.boardRows / 2;
            EXPECT_GT(MiddleLevel(grey.get(), boardMiddle), 150) << "board at row " << boardMiddle;
        }
        EXPECT_GT(MiddleLevel(grey.get(), layout.firstBoardRow), kThreshold);
        EXPECT_GT(MiddleLevel(grey.get(), layout.lastBoardRow), kThreshold);
        EXPECT_LT(MiddleLevel(grey.get(), layout.firstBoardRow - 1), kThreshold);
        EXPECT_LT(MiddleLevel(grey.get(), layout.lastBoardRow + 1), kThreshold);
    }
}

TEST(StackPhotoLayout, ThinStackIsCentredAndAFullOneKeepsItsMargins) {
    StackPhotoRecipe thin;
    thin.boards = 10;
    const StackPhotoLayout centred = LayoutOf(thin);
    EXPECT_EQ(centred.lastBoardRow - centred.firstBoardRow + 1, 10 * 20 + 9 * 3);
    EXPECT_EQ(thin.height - 1 - centred.lastBoardRow, centred.firstBoardRow + 1)
        << "the odd spare row goes to the top";

    StackPhotoRecipe full;
    full.marginTop = 10;
    full.marginBottom = 566 - (20 * 20 + 19 * 3);
    EXPECT_EQ(LayoutOf(full).firstBoardRow, full.marginBottom);
}

TEST(StackPhotoDrawing, BoardsSpanNearlyTheWholeWidth) {
    const StackPhotoRecipe recipe;
    const BitmapHandle grey = DrawnGrey(recipe);
    ASSERT_NE(grey, nullptr);
    const int lastGap = LayoutOf(recipe).gapCentreRows.back();
    EXPECT_LT(DarkShare(grey.get(), lastGap + recipe.boardRows / 2), 0.05);
    EXPECT_GT(DarkShare(grey.get(), lastGap), 0.95);
}

TEST(StackPhotoDrawing, FadedGapsReadAsBoardToAStrictCount) {
    StackPhotoRecipe recipe;
    recipe.fadedGaps = 3;
    const BitmapHandle grey = DrawnGrey(recipe);
    ASSERT_NE(grey, nullptr);
    int missed = 0;
    for (int gap : LayoutOf(recipe).gapCentreRows) {
        missed += MiddleLevel(grey.get(), gap) > kThreshold;
    }
    EXPECT_EQ(missed, 3);
}

TEST(StackPhotoDrawing, GreyscaleRecipeGivesEightBitGreyAndOthersColour) {
    StackPhotoRecipe recipe;
    recipe.greyscale = true;
    const BitmapHandle grey(DrawStackPhoto(recipe));
    ASSERT_NE(grey, nullptr);
    EXPECT_EQ(FreeImage_GetBPP(grey.get()), 8u);
    EXPECT_EQ(FreeImage_GetColorType(grey.get()), FIC_MINISBLACK);
    EXPECT_EQ(FreeImage_GetBPP(BitmapHandle(DrawStackPhoto(StackPhotoRecipe{})).get()), 24u);
}

struct Refusal {
    const char* why;
    void (*spoil)(StackPhotoRecipe&);
};

TEST(StackPhotoRecipeCheck, RefusesWhatCannotBeDrawnAndSaysWhy) {
    EXPECT_EQ(ValidateStackPhotoRecipe(StackPhotoRecipe{}), "");
    const Refusal refusals[] = {
        {"width", [](StackPhotoRecipe& r) { r.width = 0; }},
        {"boards", [](StackPhotoRecipe& r) { r.boards = -3; }},
        {"gap level", [](StackPhotoRecipe& r) { r.gapLevel = 256; }},
        {"faded gaps", [](StackPhotoRecipe& r) { r.fadedGaps = r.boards; }},
        {"quality", [](StackPhotoRecipe& r) { r.quality = 0; }},
        {"need", [](StackPhotoRecipe& r) { r.boards = 30; }},
        {"tilt", [](StackPhotoRecipe& r) { r.tilt = -120; }},
        {"tilt", [](StackPhotoRecipe& r) { r.tilt = std::numeric_limits<double>::quiet_NaN(); }},
    };
    for (const Refusal& refusal : refusals) {
        StackPhotoRecipe recipe;
        refusal.spoil(recipe);
        EXPECT_NE(ValidateStackPhotoRecipe(recipe).find(refusal.why), std::string::npos)
            << "expected a complaint about " << refusal.why << ", got '"
            << ValidateStackPhotoRecipe(recipe) << "'";
        EXPECT_EQ(BitmapHandle(DrawStackPhoto(recipe)), nullptr) << refusal.why;
    }
}

class StackPhotoFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("tamrex-stack-photo-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    fs::path Written(const StackPhotoRecipe& recipe, const std::string& name) {
        const fs::path path = folder / name;
        std::string error;
        EXPECT_TRUE(WriteStackPhoto(recipe, path.string(), error)) << error;
        return path;
    }

    fs::path folder;
};

std::string BytesOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(StackPhotoFile, SameSeedGivesTheSameBytesAndAnotherSeedDoesNot) {
    StackPhotoRecipe recipe = Tilted();
    recipe.fadedGaps = 2;
    const std::string first = BytesOf(Written(recipe, "first.jpg"));
    const std::string again = BytesOf(Written(recipe, "again.jpg"));
    recipe.seed = 2;
    const std::string other = BytesOf(Written(recipe, "other.jpg"));
    ASSERT_GT(first.size(), 1000u);
    EXPECT_EQ(first, again);
    EXPECT_NE(first, other);
}

TEST_F(StackPhotoFile, MarginRowsStayMostlyDarkAfterJpeg) {
    StackPhotoRecipe noisy = Tilted();
    noisy.noise = 30;
    noisy.quality = 50;
    for (const StackPhotoRecipe& recipe : {StackPhotoRecipe{}, noisy}) {
        const fs::path path = Written(recipe, "margins.jpg");
        const BitmapHandle loaded(FreeImage_Load(FIF_JPEG, path.c_str(), JPEG_ACCURATE));
        ASSERT_NE(loaded, nullptr);
        const BitmapHandle grey = GreyOf(loaded.get());
        const StackPhotoLayout layout = LayoutOf(recipe);
        const int reach = static_cast<int>(std::ceil(std::abs(recipe.tilt) / 2));
        for (int y = 0; y < recipe.height; ++y) {
            if (y >= layout.firstBoardRow - reach && y <= layout.lastBoardRow + reach) continue;
            EXPECT_GT(DarkShare(grey.get(), y), 0.7) << "margin row " << y;
        }
    }
}

TEST_F(StackPhotoFile, FailureNamesTheFileAndLeavesNothingBehind) {
    StackPhotoRecipe tooTall;
    tooTall.boards = 40;
    const fs::path refused = folder / "refused.jpg";
    const fs::path unreachable = folder / "missing" / "photo.jpg";
    for (const auto& [recipe, path] :
         {std::pair{tooTall, refused}, std::pair{StackPhotoRecipe{}, unreachable}}) {
        std::string error;
        EXPECT_FALSE(WriteStackPhoto(recipe, path.string(), error));
        EXPECT_NE(error.find(path.string()), std::string::npos) << error;
        EXPECT_FALSE(fs::exists(path));
    }
}

}  // namespace
}  // namespace tamrex::testing
