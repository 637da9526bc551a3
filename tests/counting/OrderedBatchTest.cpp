#include "counting/CountInOrder.h"
#include "counting/OrderedBatch.h"
#include "tests/fixtures/ScratchFolder.h"
#include "tools/photo/StackPhoto.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <new>
#include <stdexcept>

namespace tamrex {
namespace {

// How many more threads the system gives; -1: as many as asked.
std::atomic<int> threadsLeft{-1};

}  // namespace
}  // namespace tamrex

// Stands in for the C library's, which it calls unless the threads a test allows are used up.
extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attributes, void* (*start)(void*),
                              void* argument) {
    using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
    static const auto real = reinterpret_cast<Create>(::dlsym(RTLD_NEXT, "pthread_create"));
    int left = tamrex::threadsLeft.load();
    while (left >= 0) {
        if (left == 0) return EAGAIN;
        if (tamrex::threadsLeft.compare_exchange_weak(left, left - 1)) break;
    }
    return real(thread, attributes, start, argument);
}

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

std::vector<Expected<CountResult>> CountAll(const std::vector<CountRequest>& requests, unsigned jobs) {
    std::vector<Expected<CountResult>> results;
    CountInOrder(
        requests, jobs,
        [&](std::size_t index, const Expected<CountResult>& result) {
            EXPECT_EQ(index, results.size());
            results.push_back(result);
        },
        DefaultMemoryBudget());
    return results;
}

TEST(CountInOrder, ManyThreadsGiveWhatOneThreadGivesInTheOrderAsked) {
    ScratchFolder folder;
    const std::vector<CountRequest> requests = MixedBatch(folder);
    const std::vector<Expected<CountResult>> alone = CountAll(requests, 1);
    ASSERT_EQ(alone.size(), requests.size());
    for (std::size_t index = 0; index < requests.size(); ++index) {
        if (alone[index]) {
            EXPECT_EQ(alone[index]->photo, requests[index].photo.string());
        }
    }
    ASSERT_FALSE(alone[3].has_value());
    EXPECT_EQ(alone[0]->count(), 6);
    EXPECT_EQ(alone.back()->count(), 13);

    for (unsigned jobs : {2u, 3u, 64u}) {
        const std::vector<Expected<CountResult>> together = CountAll(requests, jobs);
        ASSERT_EQ(together.size(), alone.size());
        for (std::size_t index = 0; index < alone.size(); ++index) {
            ASSERT_EQ(together[index].has_value(), alone[index].has_value()) << jobs;
            if (!alone[index]) {
                EXPECT_EQ(together[index].error().message, alone[index].error().message) << jobs;
                continue;
            }
            EXPECT_EQ(together[index]->photo, alone[index]->photo) << jobs;
            EXPECT_EQ(together[index]->passLines, alone[index]->passLines) << jobs;
            EXPECT_EQ(together[index]->lineRuns, alone[index]->lineRuns) << jobs;
        }
    }
}

TEST(CountInOrder, AnEmptyBatchDeliversNothing) {
    EXPECT_TRUE(CountAll({}, 4).empty());
}

struct Worker {
    int items = 0;
};

// What a library written in C or a third party's code may throw: no std::exception.
struct ForeignError {};

// A worker whose setting up runs out of memory the first time.
struct FailsFirstSetUp {
    static inline std::atomic<bool> triedOnce{false};
    FailsFirstSetUp() {
        if (!triedOnce.exchange(true)) throw std::bad_alloc();
    }
};

// Items 2, 5 and 6 fail the way a worker can: memory running out, a standard exception,
// and anything else thrown.
std::vector<Expected<int>> RunWithFaults(unsigned jobs) {
    std::vector<Expected<int>> results;
    RunInOrder<Worker, int>(
        8, jobs,
        [](Worker& worker, std::size_t index) -> Expected<int> {
            ++worker.items;
            if (index == 2) throw std::bad_alloc();
            if (index == 5) throw std::runtime_error("the disk went away");
            if (index == 6) throw ForeignError();
            return static_cast<int>(index * 10);
        },
        [](std::size_t index) { return "item " + std::to_string(index); },
        [&](std::size_t index, Expected<int> result) {
            EXPECT_EQ(index, results.size());
            results.push_back(std::move(result));
        });
    return results;
}

TEST(RunInOrder, AFailingItemBecomesItsFailureAndEveryOtherItemKeepsItsResult) {
    for (unsigned jobs : {1u, 2u, 8u}) {
        const std::vector<Expected<int>> results = RunWithFaults(jobs);
        ASSERT_EQ(results.size(), 8u) << jobs;
        for (std::size_t index = 0; index < results.size(); ++index) {
            if (index == 2 || index == 5 || index == 6) continue;
            ASSERT_TRUE(results[index].has_value()) << index;
            EXPECT_EQ(*results[index], static_cast<int>(index * 10));
        }
        ASSERT_FALSE(results[2].has_value());
        EXPECT_EQ(results[2].error().message, "cannot finish item 2: not enough memory");
        ASSERT_FALSE(results[5].has_value());
        EXPECT_EQ(results[5].error().message, "cannot finish item 5: the disk went away");
        ASSERT_FALSE(results[6].has_value());
        EXPECT_EQ(results[6].error().message, "cannot finish item 6: an unexpected error");
    }

    // A worker that cannot be set up fails the item it was set up for; the next item
    // sets one up again.
    FailsFirstSetUp::triedOnce = false;
    std::vector<Expected<int>> results;
    RunInOrder<FailsFirstSetUp, int>(
        3, 1, [](FailsFirstSetUp&, std::size_t index) -> Expected<int> { return static_cast<int>(index); },
        [](std::size_t index) { return "item " + std::to_string(index); },
        [&](std::size_t, Expected<int> result) { results.push_back(std::move(result)); });
    ASSERT_EQ(results.size(), 3u);
    ASSERT_FALSE(results[0].has_value());
    EXPECT_EQ(results[0].error().message, "cannot finish item 0: not enough memory");
    EXPECT_EQ(results[1].value_or(-1), 1);
    EXPECT_EQ(results[2].value_or(-1), 2);
}

// -j 1024 on a machine that gives a process a few hundred threads, or none at all.
TEST(RunInOrder, DeliversEveryItemWithWhateverThreadsTheSystemGives) {
    for (const int given : {3, 0}) {
        threadsLeft = given;
        std::vector<Expected<int>> results;
        RunInOrder<Worker, int>(
            50, 1024, [](Worker&, std::size_t index) -> Expected<int> { return static_cast<int>(index); },
            [](std::size_t index) { return "item " + std::to_string(index); },
            [&](std::size_t index, Expected<int> result) {
                EXPECT_EQ(index, results.size());
                results.push_back(std::move(result));
            });
        threadsLeft = -1;
        ASSERT_EQ(results.size(), 50u) << given << " threads";
        for (std::size_t index = 0; index < results.size(); ++index)
            EXPECT_EQ(results[index].value_or(-1), static_cast<int>(index)) << given << " threads";
    }
}

// Items hold their cost while they run; the most held at once must stay within the
// budget, and an item bigger than the whole budget must still run, alone.
TEST(RunInOrder, ItemsWaitForRoomInTheMemoryBudget) {
    const std::vector<std::uint64_t> costs{40, 40, 40, 500, 40, 40, 40, 40, 40, 40};
    MemoryBudget budget(100);
    std::mutex mutex;
    std::uint64_t held = 0, mostHeld = 0;
    std::vector<Expected<int>> results;
    RunInOrder<Worker, int>(
        costs.size(), 8,
        [&](Worker&, std::size_t index) -> Expected<int> {
            {
                const std::lock_guard lock(mutex);
                held += costs[index];
                mostHeld = std::max(mostHeld, held);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            const std::lock_guard lock(mutex);
            held -= costs[index];
            return static_cast<int>(index);
        },
        [](std::size_t index) { return "item " + std::to_string(index); },
        [&](std::size_t, Expected<int> result) { results.push_back(std::move(result)); },
        BatchMemory{&budget, [&](std::size_t index) { return costs[index]; }});
    ASSERT_EQ(results.size(), costs.size());
    for (std::size_t index = 0; index < costs.size(); ++index) EXPECT_EQ(results[index].value_or(-1), int(index));
    EXPECT_EQ(mostHeld, 500u) << "the big item ran alone, and no three small ones ran together";
}

}  // namespace
}  // namespace tamrex
