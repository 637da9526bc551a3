#pragma once

#include "counting/BoardCounter.h"
#include "counting/MemoryBudget.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace tamrex {

// Counts photos on up to `jobs` threads, each with a counter of its own, and hands
// every result to deliver(index, result) on the calling thread in the order of
// `requests`. Whatever one photo does, every other photo gets its result. The photos
// being decoded at once take no more than `memoryBudget` bytes between them (as
// DecodeCost reckons them); a photo bigger than that runs alone.
void CountInOrder(const std::vector<CountRequest>& requests, unsigned jobs,
                  const std::function<void(std::size_t, const Expected<CountResult>&)>& deliver,
                  std::uint64_t memoryBudget);

}  // namespace tamrex
