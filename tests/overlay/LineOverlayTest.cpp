#include "counting/BoardCounter.h"
#include "image/ImageLibrary.h"
#include "image/LoadPhoto.h"
#include "overlay/LineOverlay.h"
#include "tests/fixtures/ScratchFolder.h"
#include "tools/photo/StackPhoto.h"

#include <gtest/gtest.h>

#include <set>

namespace tamrex {
namespace {

using testing::ScratchFolder;

constexpr Rgb kPhotoGrey{120, 110, 100};

BitmapHandle PlainPhoto(int width, int height) {
    BitmapHandle photo(FreeImage_Allocate(width, height, 24));
    const RGBQUAD grey{kPhotoGrey.blue, kPhotoGrey.green, kPhotoGrey.red, 0};
    FreeImage_FillBackground(photo.get(), &grey);
    return photo;
}

Rgb ColourAt(FIBITMAP* picture, int x, int y) {
    RGBQUAD colour{};
    FreeImage_GetPixelColor(picture, static_cast<unsigned>(x), static_cast<unsigned>(y), &colour);
    return {colour.rgbRed, colour.rgbGreen, colour.rgbBlue};
}

// A count of a 200 x 150 photo whose strip starts 20 rows up, with lines of every pass.
CountResult HandMadeCount() {
    CountResult result;
    result.photo = "plain.jpg";
    result.stripWidth = 196;
    result.stripHeight = 100;
    result.bandOffset = 20;
    result.lineRuns[0] = {{10, 12}, {40, 40}};
    result.lineRuns[1] = {{25, 27}};
    result.lineRuns[2] = {{55, 58}};
    result.lineRuns[3] = {{70, 72}, {0, 0}};
    for (int pass = 0; pass < 4; ++pass)
        result.passLines[pass] = static_cast<int>(result.lineRuns[pass].size());
    result.lineTotal = 6;
    return result;
}

// The pass whose line covers a photo row, or 0.
int PassAtPhotoRow(const CountResult& result, int y) {
    for (int pass = 0; pass < 4; ++pass) {
        for (const LineRun& run : result.lineRuns[pass]) {
            if (y >= result.bandOffset + run.firstRow && y <= result.bandOffset + run.lastRow)
                return pass + 1;
        }
    }
    return 0;
}

TEST(LineOverlay, PaintsTheStripRowsOfEachLineOnThePhotoRowsTheyStandFor) {
    const BitmapHandle photo = PlainPhoto(200, 150);
    const CountResult result = HandMadeCount();
    const BitmapHandle overlay = DrawLineOverlay(photo.get(), result);
    ASSERT_TRUE(overlay);
    ASSERT_EQ(FreeImage_GetBPP(overlay.get()), 24u);
    // The right half of the strip below the count panel holds neither labels nor panel.
    for (int y = 0; y < result.bandOffset + result.stripHeight; ++y) {
        const int pass = PassAtPhotoRow(result, y);
        const Rgb expected = pass ? PassColour(pass) : kPhotoGrey;
        for (int x : {100, 150, 199}) {
            ASSERT_EQ(ColourAt(overlay.get(), x, y), expected) << "column " << x << ", photo row " << y;
        }
        // The strip leaves out the photo's four leftmost columns, and so do its lines.
        for (int x = 0; x < 4; ++x) ASSERT_EQ(ColourAt(overlay.get(), x, y), kPhotoGrey) << "photo row " << y;
    }
    EXPECT_EQ(ColourAt(photo.get(), 100, result.bandOffset + 10), kPhotoGrey)
        << "the photo itself is left alone";
}

TEST(LineOverlay, EachPassHasAColourOfItsOwn) {
    std::set<std::tuple<int, int, int>> colours;
    for (int pass = 1; pass <= 4; ++pass) {
        const Rgb colour = PassColour(pass);
        colours.insert({colour.red, colour.green, colour.blue});
    }
    EXPECT_EQ(colours.size(), 4u);
}

TEST(LineOverlay, ShowsTheCountAndLabelsInTheirCorners) {
    const BitmapHandle photo = PlainPhoto(200, 150);
    const CountResult result = HandMadeCount();
    const BitmapHandle overlay = DrawLineOverlay(photo.get(), result);
    ASSERT_TRUE(overlay);
    // The count panel is dark, in the top-right corner; a label sits at each line's left end.
    EXPECT_NE(ColourAt(overlay.get(), 195, 145), kPhotoGrey);
    EXPECT_EQ(ColourAt(overlay.get(), 5, 145), kPhotoGrey);
    const int labelRow = result.bandOffset + 41;  // beside the one-row line at strip row 40
    EXPECT_NE(ColourAt(overlay.get(), 7, labelRow), kPhotoGrey);
    EXPECT_EQ(ColourAt(overlay.get(), 100, labelRow), kPhotoGrey);
}

// The second look's seams are dashed in white across the photo, wherever they run.
TEST(LineOverlay, DashesTheSecondLooksSeams) {
    const BitmapHandle photo = PlainPhoto(200, 150);
    CountResult result = HandMadeCount();
    // Photo row 52 lies between the lines and their labels.
    result.secondLook = SecondCount{.boards = 7, .thickness = 14.0, .seams = {{{30, 52.0}, {190, 52.0}}}};
    const BitmapHandle overlay = DrawLineOverlay(photo.get(), result);
    ASSERT_TRUE(overlay);
    const Rgb white{255, 255, 255};
    EXPECT_EQ(ColourAt(overlay.get(), 30, 52), white) << "a dash starts the seam";
    EXPECT_EQ(ColourAt(overlay.get(), 34, 52), kPhotoGrey) << "and a gap follows it";
    EXPECT_EQ(ColourAt(overlay.get(), 80, 52), white);
    EXPECT_EQ(ColourAt(overlay.get(), 80, 54), kPhotoGrey) << "one pixel thick at this size";
}

TEST(LineOverlay, DrawsNothingOnAPhotoOfAnotherSize) {
    const BitmapHandle photo = PlainPhoto(200, 150);
    CountResult wider = HandMadeCount();
    wider.stripWidth = 300;
    EXPECT_FALSE(DrawLineOverlay(photo.get(), wider));
    CountResult higher = HandMadeCount();
    higher.bandOffset = 60;  // the strip would reach past the photo's top row
    EXPECT_FALSE(DrawLineOverlay(photo.get(), higher));
}

// On a real count, the painted rows must be the photo's dark gap rows.
TEST(LineOverlay, LinesOfARealCountLieOnThePhotosGaps) {
    ScratchFolder folder;
    testing::StackPhotoRecipe recipe;
    recipe.boards = 12;
    recipe.gapRows = 5;
    recipe.marginBottom = 70;  // the band starts well above the photo's bottom row
    std::string error;
    ASSERT_TRUE(testing::WriteStackPhoto(recipe, (folder / "stack.jpg").string(), error)) << error;
    BoardCounter counter;
    const Expected<CountResult> counted = counter.CountBoards({folder / "stack.jpg", {300, 110, 25}, {}});
    ASSERT_TRUE(counted.has_value()) << counted.error().message;
    const CountResult& result = *counted;
    ASSERT_GT(result.bandOffset, 0);
    ASSERT_EQ(result.count(), recipe.boards);

    const LoadedPhoto photo = std::move(LoadJpeg(folder / "stack.jpg").value());
    const BitmapHandle overlay = DrawLineOverlay(photo.bitmap.get(), result);
    ASSERT_TRUE(overlay);
    const int middle = recipe.width / 2;
    for (int pass = 0; pass < 4; ++pass) {
        for (const LineRun& run : result.lineRuns[pass]) {
            for (int row = run.firstRow; row <= run.lastRow; ++row) {
                const int y = result.bandOffset + row;
                EXPECT_EQ(ColourAt(overlay.get(), middle, y), PassColour(pass + 1)) << "photo row " << y;
                // Synthetic lines of the thickness split need not lie on a visible gap.
                if (pass < 3) {
                    EXPECT_LT(ColourAt(photo.bitmap.get(), middle, y).green, 110) << "photo row " << y;
                }
            }
        }
    }
}

TEST(LineOverlay, WritesPngOrJpegByTheExtension) {
    EnsureImageLibrary();
    ScratchFolder folder;
    const BitmapHandle photo = PlainPhoto(200, 150);
    ASSERT_TRUE(FreeImage_Save(FIF_JPEG, photo.get(), (folder / "plain.jpg").c_str(), JPEG_QUALITYSUPERB));
    CountResult result = HandMadeCount();
    result.photo = (folder / "plain.jpg").string();

    ASSERT_TRUE(WriteLineOverlay(result, folder / "overlay.PNG").has_value());
    const BitmapHandle written(FreeImage_Load(FIF_PNG, (folder / "overlay.PNG").c_str(), PNG_DEFAULT));
    ASSERT_TRUE(written);
    EXPECT_EQ(ColourAt(written.get(), 100, result.bandOffset + 25), PassColour(2));

    ASSERT_TRUE(WriteLineOverlay(result, folder / "overlay.jpeg").has_value());
    EXPECT_EQ(FreeImage_GetFileType((folder / "overlay.jpeg").c_str(), 0), FIF_JPEG);
}

TEST(LineOverlay, SaysWhyItWroteNoOverlay) {
    ScratchFolder folder;
    CountResult result = HandMadeCount();
    result.photo = (folder / "plain.jpg").string();
    const auto problem = [&](const CountResult& count, const std::string& target) {
        const Outcome written = WriteLineOverlay(count, folder / target);
        return written ? std::string() : written.error().message;
    };
    EXPECT_NE(problem(result, "overlay.bmp").find("name it .png or .jpg"), std::string::npos);
    EXPECT_NE(problem(result, "overlay.png").find("cannot read photo '" + (folder / "plain.jpg").string()),
              std::string::npos);

    EnsureImageLibrary();
    const BitmapHandle photo = PlainPhoto(240, 150);
    ASSERT_TRUE(FreeImage_Save(FIF_JPEG, photo.get(), (folder / "plain.jpg").c_str(), 0));
    EXPECT_NE(problem(result, "overlay.png").find("count it again"), std::string::npos);
    EXPECT_NE(problem(result, "plain.jpg").find("it is the photo being counted"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(folder / "overlay.png"));
}

}  // namespace
}  // namespace tamrex
