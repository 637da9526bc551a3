#include "counting/BoardCounter.h"
#include "counting/CountObserver.h"
#include "tests/fixtures/OneBitPicture.h"
#include "tests/fixtures/ScratchFolder.h"
#include "tools/photo/StackPhoto.h"

#include <gtest/gtest.h>

namespace tamrex {
namespace {

using testing::ReadFile;
using testing::RowKinds;
using testing::ScratchFolder;
using testing::StackPhotoRecipe;

// A stack whose gaps are 5 rows, so no pass mistakes them for noise.
StackPhotoRecipe PlainStack() {
    StackPhotoRecipe recipe;
    recipe.boards = 18;
    recipe.boardRows = 20;
    recipe.gapRows = 5;
    return recipe;
}

CounterSettings SettingsFor(const StackPhotoRecipe& recipe) {
    return {static_cast<std::int16_t>(recipe.width / 2), 110,
            static_cast<std::int16_t>(recipe.boardRows + recipe.gapRows)};
}

std::filesystem::path Photo(const ScratchFolder& folder, const StackPhotoRecipe& recipe,
                            const std::string& name = "stack.jpg") {
    std::string error;
    const auto path = folder / name;
    EXPECT_TRUE(testing::WriteStackPhoto(recipe, path.string(), error)) << error;
    return path;
}

BitmapHandle LoadBmp(const std::filesystem::path& path) {
    return BitmapHandle(FreeImage_Load(FIF_BMP, path.c_str(), 0));
}

int BlackRuns(const std::string& rowKinds) {
    int runs = 0;
    for (std::size_t row = 0; row < rowKinds.size(); ++row) {
        if (rowKinds[row] == 'B' && (row == 0 || rowKinds[row - 1] != 'B')) ++runs;
    }
    return runs;
}

TEST(CountBoards, CountsTheBoardsOfAPlainStackAndWritesItsLineMap) {
    ScratchFolder folder;
    const StackPhotoRecipe recipe = PlainStack();
    BoardCounter counter;
    const Expected<CountResult> result =
        counter.CountBoards({Photo(folder, recipe), SettingsFor(recipe), folder / "map.bmp"});
    ASSERT_TRUE(result.has_value()) << result.error().message;
    EXPECT_EQ(result->count(), recipe.boards);
    EXPECT_EQ(result->passLines[0] + result->passLines[1] + result->passLines[2] + result->passLines[3],
              result->lineTotal);
    EXPECT_EQ(result->stripWidth, recipe.width - 4);

    BitmapHandle map = LoadBmp(folder / "map.bmp");
    ASSERT_TRUE(map);
    EXPECT_EQ(FreeImage_GetBPP(map.get()), 1u);
    EXPECT_EQ(static_cast<int>(FreeImage_GetWidth(map.get())), result->stripWidth);
    EXPECT_EQ(static_cast<int>(FreeImage_GetHeight(map.get())), result->stripHeight);
    const std::string kinds = RowKinds(map.get());
    EXPECT_EQ(kinds.find('M'), std::string::npos) << "every row wholly black or white";
    EXPECT_EQ(BlackRuns(kinds), result->lineTotal);
}

TEST(CountBoards, ThePhotoAndSettingsAloneDecideTheResult) {
    ScratchFolder folder;
    StackPhotoRecipe faded = PlainStack();
    faded.fadedGaps = 3;
    faded.seed = 5;
    StackPhotoRecipe other = PlainStack();
    other.boards = 9;
    other.boardRows = 40;
    const auto fadedPhoto = Photo(folder, faded, "faded.jpg");
    const auto otherPhoto = Photo(folder, other, "other.jpg");

    BoardCounter fresh;
    const Expected<CountResult> first = fresh.CountBoards({fadedPhoto, SettingsFor(faded), folder / "first->bmp"});
    BoardCounter used;
    used.CountBoards({otherPhoto, SettingsFor(other), folder / "other.bmp"});
    const Expected<CountResult> second = used.CountBoards({fadedPhoto, SettingsFor(faded), folder / "second->bmp"});
    ASSERT_TRUE(first.has_value() && second.has_value());
    EXPECT_EQ(first->passLines, second->passLines);
    EXPECT_EQ(ReadFile(folder / "first->bmp"), ReadFile(folder / "second->bmp"));
}

TEST(CountBoards, TheThicknessSplitFindsGapsTheSearchesMissed) {
    ScratchFolder folder;
    StackPhotoRecipe recipe = PlainStack();
    recipe.fadedGaps = 2;
    recipe.seed = 2;  // puts both faded gaps between boards; above the top line nothing is split
    CounterSettings settings = SettingsFor(recipe);
    BoardCounter counter;
    const Expected<CountResult> split = counter.CountBoards({Photo(folder, recipe), settings, {}});
    ASSERT_TRUE(split.has_value()) << split.error().message;
    EXPECT_GT(split->passLines[3], 0);
    EXPECT_EQ(split->count(), recipe.boards);

    settings.pWidth = 0;  // no thickness: pass 4 adds nothing, and nothing divides by it
    const Expected<CountResult> unsplit = counter.CountBoards({folder / "stack.jpg", settings, {}});
    ASSERT_TRUE(unsplit.has_value()) << unsplit.error().message;
    EXPECT_EQ(unsplit->passLines[3], 0);
    EXPECT_EQ(unsplit->count(), recipe.boards - recipe.fadedGaps);
}

TEST(CountBoards, CountsPhotosTallerThanTheClassicLimitAndGreyPhotos) {
    ScratchFolder folder;
    StackPhotoRecipe tall = PlainStack();
    tall.width = 500;
    tall.height = 1000;
    tall.boards = 34;
    StackPhotoRecipe grey = PlainStack();
    grey.greyscale = true;
    for (const StackPhotoRecipe& recipe : {tall, grey}) {
        BoardCounter counter;
        const Expected<CountResult> result = counter.CountBoards({Photo(folder, recipe), SettingsFor(recipe), {}});
        ASSERT_TRUE(result.has_value()) << result.error().message;
        EXPECT_EQ(result->count(), recipe.boards);
    }
}

struct Recorder : CountObserver {
    void ShowSourcePicture(const std::string& photo) override { events += "source:" + photo + ";"; }
    void ShowResult(const Expected<CountResult>& result) override {
        events += result.has_value() ? "result;" : "failure;";
    }
    std::string events;
};

TEST(CountBoards, ShowsThePhotoBeforeTheResultAndReportsFailuresToo) {
    ScratchFolder folder;
    const StackPhotoRecipe recipe = PlainStack();
    const auto photo = Photo(folder, recipe);
    Recorder recorder;
    BoardCounter counter;
    counter.CountBoards({photo, SettingsFor(recipe), {}}, &recorder);
    EXPECT_EQ(recorder.events, "source:" + photo.string() + ";result;");
    recorder.events.clear();
    counter.CountBoards({folder / "absent.jpg", SettingsFor(recipe), {}}, &recorder);
    EXPECT_EQ(recorder.events, "failure;");
}

Expected<CountResult> CountWith(const std::filesystem::path& photo, CounterSettings settings,
                      const std::filesystem::path& lineMap = {}) {
    BoardCounter counter;
    return counter.CountBoards({photo, settings, lineMap});
}

void ExpectError(const Expected<CountResult>& result, const std::string& part) {
    ASSERT_FALSE(result.has_value());
    EXPECT_NE(result.error().message.find(part), std::string::npos) << result.error().message;
}

TEST(CountBoards, RefusesAThresholdOutsideAByteNamingIt) {
    ScratchFolder folder;
    const auto photo = Photo(folder, PlainStack());
    for (std::int16_t threshold : {-1, 256, 300}) {
        ExpectError(CountWith(photo, {100, threshold, 20}), "THRESHOLD is " + std::to_string(threshold));
    }
    EXPECT_TRUE(CountWith(photo, {100, 0, 20}).has_value());
    EXPECT_TRUE(CountWith(photo, {100, 255, 20}).has_value());
}

std::filesystem::path SavedJpeg(const ScratchFolder& folder, const std::string& name,
                                const std::vector<std::string>& rowsTopDown) {
    BitmapHandle picture(FreeImage_ConvertTo24Bits(testing::PictureFromRows(rowsTopDown).get()));
    FreeImage_Save(FIF_JPEG, picture.get(), (folder / name).c_str(), JPEG_QUALITYSUPERB);
    return folder / name;
}

TEST(CountBoards, RefusesPicturesWithoutAStackBand) {
    ScratchFolder folder;
    const CounterSettings settings{10, 128, 20};
    const std::string dark(40, '#');
    const std::string light(40, '.');
    const std::vector<std::string> oneLightRow{dark, dark, dark, light, dark, dark, dark, dark};
    ExpectError(CountWith(SavedJpeg(folder, "band.jpg", oneLightRow), settings), "no stack band found");
    ExpectError(CountWith(SavedJpeg(folder, "narrow.jpg", {"....", "....", "...."}), settings),
                "no stack band found");
}

// The count stands when its line map cannot be written: both are reported.
void ExpectCountedWithoutMap(const Expected<CountResult>& result, const std::string& part, int boards) {
    ASSERT_TRUE(result.has_value()) << result.error().message;
    EXPECT_EQ(result->count(), boards);
    ASSERT_FALSE(result->lineMapWrite.has_value());
    EXPECT_NE(result->lineMapWrite.error().message.find(part), std::string::npos)
        << result->lineMapWrite.error().message;
}

TEST(CountBoards, ReplacesTheLineMapWholeOrReportsThatItCouldNot) {
    ScratchFolder folder;
    const StackPhotoRecipe recipe = PlainStack();
    const auto photo = Photo(folder, recipe);
    const auto map = folder / "test.bmp";
    folder.WriteFile("test.bmp", "an older map");
    ASSERT_TRUE(CountWith(photo, SettingsFor(recipe), map).has_value());
    EXPECT_EQ(ReadFile(map).substr(0, 2), "BM");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 2)
        << "no temporary file left beside the map";

    ExpectCountedWithoutMap(CountWith(photo, SettingsFor(recipe), folder / "missing" / "test.bmp"),
                            "cannot write line map '" + (folder / "missing" / "test.bmp").string() + "'",
                            recipe.boards);
    ExpectCountedWithoutMap(CountWith(photo, SettingsFor(recipe), folder / "." / "stack.jpg"),
                            "it is the photo being counted", recipe.boards);
    EXPECT_EQ(ReadFile(photo).substr(0, 2), "\xFF\xD8") << "the photo is still the photo";
    std::filesystem::create_directory(folder / "taken.bmp");
    ExpectCountedWithoutMap(CountWith(photo, SettingsFor(recipe), folder / "taken.bmp"), "cannot write line map",
                            recipe.boards);
}

}  // namespace
}  // namespace tamrex
