#pragma once

#include "counting/BoardCounter.h"

#include <functional>
#include <vector>

namespace tamrex {

// Counts photos on up to `jobs` threads, each with a counter of its own, and hands
// every result to `deliver` on the calling thread in the order of `requests`, as
// soon as it and all before it are done. One thread gives exactly what the same
// photos counted one after the other give.
void CountInOrder(const std::vector<CountRequest>& requests, unsigned jobs,
                  const std::function<void(const CountResult&)>& deliver);

}  // namespace tamrex
