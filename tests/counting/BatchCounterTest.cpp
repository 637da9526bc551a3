#include "counting/BatchCounter.h"
#include "tests/fixtures/ScratchFolder.h"
#include "tools/photo/StackPhoto.h"

#include <gtest/gtest.h>

namespace tamrex {
namespace {

using testing::ScratchFolder;

// Photos of different stacks, and one that cannot be read, so that a result
// delivered for the wrong photo or out of order shows.
std::vector<CountRequest> MixedBatch(const ScratchFolder& folder) {
    std::vector<CountRequest> requests;
    for (int boards = 6; boards <= 13; ++boards) {
        testing::StackPhotoRecipe recipe;
        recipe.width = 400;
        recipe.height = 420;
        recipe.boards = boards;
        recipe.boardRows = 16;
        recipe.gapRows = 5;
        recipe.seed = static_cast<unsigned>(boards);
        const auto photo = folder / ("stack" + std::to_string(boards) + ".jpg");
        std::string error;
        EXPECT_TRUE(testing::WriteStackPhoto(recipe, photo.string(), error)) << error;
        requests.push_back({photo, {200, 110, 21}, folder / ("map" + std::to_string(boards) + ".bmp")});
    }
    requests.insert(requests.begin() + 3, CountRequest{folder / "absent.jpg", {200, 110, 21}, {}});
    return requests;
}

std::vector<CountResult> CountAll(const std::vector<CountRequest>& requests, unsigned jobs) {
    std::vector<CountResult> results;
    CountInOrder(requests, jobs, [&](const CountResult& result) { results.push_back(result); });
    return results;
}

TEST(CountInOrder, ManyThreadsGiveWhatOneThreadGivesInTheOrderAsked) {
    ScratchFolder folder;
    const std::vector<CountRequest> requests = MixedBatch(folder);
    const std::vector<CountResult> alone = CountAll(requests, 1);
    ASSERT_EQ(alone.size(), requests.size());
    for (std::size_t index = 0; index < requests.size(); ++index) {
        EXPECT_EQ(alone[index].photo, requests[index].photo.string());
    }
    EXPECT_FALSE(alone[3].ok());
    EXPECT_EQ(alone[0].count(), 6);
    EXPECT_EQ(alone.back().count(), 13);

    for (unsigned jobs : {2u, 3u, 64u}) {
        const std::vector<CountResult> together = CountAll(requests, jobs);
        ASSERT_EQ(together.size(), alone.size());
        for (std::size_t index = 0; index < alone.size(); ++index) {
            EXPECT_EQ(together[index].photo, alone[index].photo) << jobs;
            EXPECT_EQ(together[index].error, alone[index].error) << jobs;
            EXPECT_EQ(together[index].passLines, alone[index].passLines) << jobs;
            EXPECT_EQ(together[index].lineRuns, alone[index].lineRuns) << jobs;
        }
    }
}

TEST(CountInOrder, AnEmptyBatchDeliversNothing) {
    EXPECT_TRUE(CountAll({}, 4).empty());
}

}  // namespace
}  // namespace tamrex
