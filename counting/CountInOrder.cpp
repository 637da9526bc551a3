#include "counting/CountInOrder.h"

#include "base/Quoted.h"
#include "image/ImageLibrary.h"
#include "image/DecodeCost.h"
#include "counting/OrderedBatch.h"

namespace tamrex {

void CountInOrder(const std::vector<CountRequest>& requests, unsigned jobs,
                  const std::function<void(std::size_t, const Expected<CountResult>&)>& deliver,
                  std::uint64_t memoryBudget) {
    EnsureImageLibrary();
    MemoryBudget budget(memoryBudget);
    RunInOrder<BoardCounter, CountResult>(
        requests.size(), jobs,
        [&](BoardCounter& counter, std::size_t index) { return counter.CountBoards(requests[index]); },
        [&](std::size_t index) { return "counting photo " + Quoted(requests[index].photo); },
        [&](std::size_t index, Expected<CountResult> result) { deliver(index, result); },
        // Photos counted one at a time never wait for each other's shares, so theirs are
        // not reckoned: reckoning reads and walks a photo's header before the count does.
        jobs > 1 && requests.size() > 1
            ? BatchMemory{&budget, [&](std::size_t index) { return DecodeCost(requests[index].photo); }}
            : BatchMemory{});
}

}  // namespace tamrex
