#include "counting/CountCheck.h"
#include "tests/fixtures/ScratchFolder.h"
#include "tools/photo/StackPhoto.h"

#include <gtest/gtest.h>

#include <set>

namespace tamrex {
namespace {

// A result as a count run leaves it: `lines` lines over a strip `stripHeight` rows high.
CountResult Counted(int lines, int stripHeight) {
    CountResult result;
    result.lineTotal = lines;
    result.passLines = {lines, 0, 0, 0};
    result.stripWidth = 796;
    result.stripHeight = stripHeight;
    return result;
}

CountRequest WithThickness(double thickness, int pWidth = 0) {
    CountRequest request;
    request.settings = {300, 110, static_cast<std::int16_t>(pWidth)};
    request.thickness = thickness;
    request.look.thicknessPrior = thickness;  // as a station's settings file gives it
    return request;
}

std::vector<std::string> FlagsOf(CountResult result, const CountRequest& request) {
    CheckCount(request, result);
    return result.flags;
}

TEST(CountCheck, FlagsACountMoreThanHalfABoardFromTheHeightInBoards) {
    CountResult regular = Counted(19, 408);  // 20 boards in a strip 20.4 boards high
    CheckCount(WithThickness(20), regular);
    ASSERT_TRUE(regular.heightBoards.has_value());
    EXPECT_DOUBLE_EQ(*regular.heightBoards, 20.4);
    EXPECT_TRUE(regular.flags.empty());
    EXPECT_EQ(regular.count(), 20) << "the check never changes the count";

    EXPECT_EQ(FlagsOf(Counted(20, 408), WithThickness(20)), std::vector<std::string>{"count-off-height"});
    EXPECT_EQ(FlagsOf(Counted(18, 408), WithThickness(20)), std::vector<std::string>{"count-off-height"});
    // Exactly half a board off is still the nearest count.
    EXPECT_TRUE(FlagsOf(Counted(19, 410), WithThickness(20)).empty());
    EXPECT_TRUE(FlagsOf(Counted(20, 410), WithThickness(20)).empty());
}

TEST(CountCheck, MeasuresWithPWidthWhenTheStationHasNoThicknessAndNotAtAllWithoutEither) {
    CountResult byPWidth = Counted(9, 250);
    CheckCount(WithThickness(0, 25), byPWidth);
    EXPECT_DOUBLE_EQ(byPWidth.heightBoards.value_or(0), 10.0);

    CountResult learnedFirst = Counted(9, 250);
    CheckCount(WithThickness(12.5, 25), learnedFirst);
    EXPECT_DOUBLE_EQ(learnedFirst.heightBoards.value_or(0), 20.0);
    EXPECT_EQ(learnedFirst.flags, std::vector<std::string>{"count-off-height"});

    for (int pWidth : {0, -4}) {
        CountResult unmeasured = Counted(2, 250);
        CheckCount(WithThickness(0, pWidth), unmeasured);
        EXPECT_FALSE(unmeasured.heightBoards.has_value()) << "PWIDTH " << pWidth;
        EXPECT_TRUE(unmeasured.flags.empty()) << "PWIDTH " << pWidth;
    }
}

TEST(CountCheck, FlagsACountWithoutAnyLineAndReplacesEarlierFlags) {
    EXPECT_EQ(FlagsOf(Counted(0, 30), WithThickness(30)), std::vector<std::string>{"no-line"});
    EXPECT_EQ(FlagsOf(Counted(0, 300), WithThickness(30)),
              (std::vector<std::string>{"count-off-height", "no-line"}));

    CountResult again = Counted(9, 300);
    again.flags = {"no-line"};
    again.heightBoards = 99;
    CheckCount(WithThickness(0), again);
    EXPECT_TRUE(again.flags.empty());
    EXPECT_FALSE(again.heightBoards.has_value());
}

CountResult WithSecondLook(CountResult result, int boards) {
    result.secondLook = SecondCount{.boards = boards, .thickness = 20.0, .height = double(result.stripHeight)};
    return result;
}

// Two independent counts that agree outweigh a height measured in PWIDTH, which may be
// a little off, but not one measured in a thickness learned on the station's stacks; a
// second look that disagrees is a reason of its own.
TEST(CountCheck, TheSecondLookConfirmsOrQuestionsTheCount) {
    EXPECT_TRUE(FlagsOf(WithSecondLook(Counted(20, 408), 21), WithThickness(0, 20)).empty())
        << "21 boards by both counts, though the strip is 20.4 boards of PWIDTH high";
    EXPECT_EQ(FlagsOf(WithSecondLook(Counted(20, 408), 21), WithThickness(20)),
              std::vector<std::string>{"count-off-height"})
        << "21 boards by both counts, but the stack is 20.4 boards of the learned thickness high";
    EXPECT_EQ(FlagsOf(WithSecondLook(Counted(19, 408), 21), WithThickness(20)),
              std::vector<std::string>{"second-count-differs"});
    EXPECT_EQ(FlagsOf(WithSecondLook(Counted(17, 408), 20), WithThickness(20)),
              (std::vector<std::string>{"second-count-differs", "count-off-height"}));
}

TEST(CountCheck, FlagsAPhotoThatWasTurnedUpright) {
    CountResult turned = Counted(19, 408);
    turned.orientation = 6;
    EXPECT_EQ(FlagsOf(turned, WithThickness(20)), std::vector<std::string>{"turned"});
}

TEST(FlagSentence, TellsAPersonWhatEachCodeMeansAndPassesUnknownCodesThrough) {
    std::set<std::string> sentences;
    for (const FlagText& flag : kFlagTexts) {
        const std::string sentence = FlagSentence(flag.code);
        EXPECT_NE(sentence, flag.code);
        EXPECT_EQ(sentence.back(), '.') << flag.code;
        sentences.insert(sentence);
    }
    EXPECT_EQ(sentences.size(), std::size(kFlagTexts)) << "every code has a sentence of its own";
    EXPECT_EQ(FlagSentence("from-a-newer-version"), "from-a-newer-version");
    for (const std::string& raised : FlagsOf(Counted(0, 300), WithThickness(30)))
        EXPECT_NE(FlagSentence(raised), raised) << "a raised code is in the table";
}

// The check runs at the end of every count run, with the request's thickness.
TEST(CountCheck, RunsOnEveryCount) {
    testing::ScratchFolder folder;
    testing::StackPhotoRecipe recipe;
    recipe.boards = 18;
    recipe.gapRows = 5;
    std::string error;
    ASSERT_TRUE(testing::WriteStackPhoto(recipe, (folder / "stack.jpg").string(), error)) << error;
    CountRequest request{folder / "stack.jpg", {400, 110, 25}, {}};
    BoardCounter counter;
    const Expected<CountResult> byPWidth = counter.CountBoards(request);
    ASSERT_TRUE(byPWidth.has_value()) << byPWidth.error().message;
    ASSERT_EQ(byPWidth->count(), 18);
    EXPECT_NEAR(byPWidth->heightBoards.value_or(0), 18, 0.5);
    EXPECT_TRUE(byPWidth->flags.empty());

    // A thickness learned too thin: the stack is 20 of them high, and that the second
    // look counts 18 as well does not silence the height.
    request.thickness = request.look.thicknessPrior = byPWidth->stripHeight / 20.0;
    const Expected<CountResult> tooThin = counter.CountBoards(request);
    ASSERT_TRUE(tooThin.has_value());
    EXPECT_EQ(tooThin->count(), 18);
    EXPECT_NEAR(tooThin->heightBoards.value_or(0), 20, 0.3);
    ASSERT_TRUE(tooThin->secondLook.has_value());
    EXPECT_EQ(tooThin->secondLook->boards, 18);
    EXPECT_EQ(tooThin->flags, std::vector<std::string>{"count-off-height"});
}

}  // namespace
}  // namespace tamrex
