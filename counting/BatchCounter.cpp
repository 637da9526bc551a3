#include "counting/BatchCounter.h"

#include "image/ImageLibrary.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace tamrex {
namespace {

class ResultSlots {
public:
    explicit ResultSlots(std::size_t count) : slots_(count) {}

    void Put(std::size_t index, CountResult result) {
        {
            std::lock_guard lock(mutex_);
            slots_[index] = std::move(result);
        }
        ready_.notify_one();
    }

    CountResult Take(std::size_t index) {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [&] { return slots_[index].has_value(); });
        CountResult result = std::move(*slots_[index]);
        slots_[index].reset();
        return result;
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::vector<std::optional<CountResult>> slots_;
};

}  // namespace

void CountInOrder(const std::vector<CountRequest>& requests, unsigned jobs,
                  const std::function<void(const CountResult&)>& deliver) {
    if (requests.empty()) return;
    EnsureImageLibrary();
    ResultSlots slots(requests.size());
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        BoardCounter counter;
        for (std::size_t index = next++; index < requests.size(); index = next++) {
            slots.Put(index, counter.CountBoards(requests[index]));
        }
    };
    const unsigned threads = std::clamp<unsigned>(jobs, 1, static_cast<unsigned>(requests.size()));
    std::vector<std::jthread> workers;
    for (unsigned t = 0; t < threads; ++t) workers.emplace_back(work);
    for (std::size_t index = 0; index < requests.size(); ++index) deliver(slots.Take(index));
}

}  // namespace tamrex
