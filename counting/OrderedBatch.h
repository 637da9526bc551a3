#pragma once

#include "base/Expected.h"
#include "counting/MemoryBudget.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace tamrex {

// Results of a batch, held until the caller's thread takes them in order.
template <typename Result>
class ResultSlots {
public:
    explicit ResultSlots(std::size_t count) : slots_(count) {}

    void Put(std::size_t index, Expected<Result> result) {
        {
            std::lock_guard lock(mutex_);
            slots_[index].emplace(std::move(result));
        }
        ready_.notify_one();
    }

    Expected<Result> Take(std::size_t index) {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [&] { return slots_[index].has_value(); });
        Expected<Result> result = std::move(*slots_[index]);
        slots_[index].reset();
        return result;
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::vector<std::optional<Expected<Result>>> slots_;
};

// Whatever one item throws becomes that item's failure, so that every other item of a
// batch still gets its result.
template <typename Result, typename Work>
Expected<Result> Guarded(Work& work, const std::string& what) {
    try {
        return work();
    } catch (const std::bad_alloc&) {
        return Fail("cannot finish " + what + ": not enough memory");
    } catch (const std::exception& error) {
        return Fail("cannot finish " + what + ": " + error.what());
    } catch (...) {
        return Fail("cannot finish " + what + ": an unexpected error");
    }
}

// What each item of a batch takes of a memory budget while it runs; no budget at all
// when `budget` is null.
struct BatchMemory {
    MemoryBudget* budget = nullptr;
    std::function<std::uint64_t(std::size_t)> costOf;
};

// Runs work(worker, index) for every index below `count` on up to `jobs` threads, each
// with a Worker of its own, and hands each result to deliver(index, result) on the
// calling thread in the order of the indexes, as soon as it and all before it are done.
// One thread gives exactly what the items run one after the other give, and is the
// calling thread itself. `nameOf` names an item in the failure of one that threw. An
// item waits for its share of the memory budget before it starts.
template <typename Worker, typename Result>
void RunInOrder(std::size_t count, unsigned jobs,
                const std::function<Expected<Result>(Worker&, std::size_t)>& work,
                const std::function<std::string(std::size_t)>& nameOf,
                const std::function<void(std::size_t, Expected<Result>)>& deliver,
                const BatchMemory& memory = {}) {
    if (count == 0) return;
    const auto runOne = [&](std::optional<Worker>& worker, std::size_t index) {
        auto one = [&]() -> Expected<Result> {
            const MemoryBudget::Share share(memory.budget, memory.budget ? memory.costOf(index) : 0);
            if (!worker) worker.emplace();
            return work(*worker, index);
        };
        return Guarded<Result>(one, nameOf(index));
    };
    const unsigned threads = std::clamp<unsigned>(jobs, 1, static_cast<unsigned>(std::min<std::size_t>(count, 1024)));
    if (threads == 1) {  // a thread of its own would only wait to be handed what this one does
        std::optional<Worker> worker;
        for (std::size_t index = 0; index < count; ++index) deliver(index, runOne(worker, index));
        return;
    }
    ResultSlots<Result> slots(count);
    std::atomic<std::size_t> next{0};
    auto run = [&] {
        std::optional<Worker> worker;
        for (std::size_t index = next++; index < count; index = next++) slots.Put(index, runOne(worker, index));
    };
    std::vector<std::jthread> workers;
    workers.reserve(threads);
    // The system may give fewer threads than asked (a limit on processes, no memory for
    // another stack): those it gives share the work, and with none this thread does it.
    try {
        for (unsigned t = 0; t < threads; ++t) workers.emplace_back(run);
    } catch (const std::system_error&) {
    }
    if (workers.empty()) run();
    for (std::size_t index = 0; index < count; ++index) deliver(index, slots.Take(index));
}

}  // namespace tamrex
