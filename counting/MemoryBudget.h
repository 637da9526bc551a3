#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace tamrex {

// Bytes that the photos in flight at once may take. A batch asks before it decodes a
// photo and gives the bytes back when the photo is done; a photo waits while the others
// fill the budget. A photo bigger than the whole budget still runs, alone, so that
// every photo within the pixel limit can be counted.
class MemoryBudget {
public:
    explicit MemoryBudget(std::uint64_t bytes) : limit_(bytes) {}

    void Acquire(std::uint64_t bytes);
    void Release(std::uint64_t bytes);

    // Held for one photo: given back however its work ends.
    class Share {
    public:
        Share(MemoryBudget* budget, std::uint64_t bytes) : budget_(budget), bytes_(bytes) {
            if (budget_) budget_->Acquire(bytes_);
        }
        ~Share() {
            if (budget_) budget_->Release(bytes_);
        }
        Share(const Share&) = delete;
        Share& operator=(const Share&) = delete;

    private:
        MemoryBudget* budget_;
        std::uint64_t bytes_;
    };

private:
    std::mutex mutex_;
    std::condition_variable freed_;
    std::uint64_t limit_;
    std::uint64_t used_ = 0;
};

// The budget a batch gets unless told otherwise: 1 GiB, or a quarter of the machine's
// memory when that is less (a machine with under 4 GiB).
std::uint64_t DefaultMemoryBudget();

}  // namespace tamrex
