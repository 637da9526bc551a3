#include "counting/MemoryBudget.h"

#include <algorithm>
#include <unistd.h>

namespace tamrex {

void MemoryBudget::Acquire(std::uint64_t bytes) {
    std::unique_lock lock(mutex_);
    freed_.wait(lock, [&] { return used_ == 0 || used_ + bytes <= limit_; });
    used_ += bytes;
}

void MemoryBudget::Release(std::uint64_t bytes) {
    {
        const std::lock_guard lock(mutex_);
        used_ -= std::min(bytes, used_);
    }
    freed_.notify_all();
}

std::uint64_t DefaultMemoryBudget() {
    constexpr std::uint64_t kGiB = 1ull << 30;
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return kGiB;
    const std::uint64_t machine = static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
    return std::min(kGiB, machine / 4);
}

}  // namespace tamrex
