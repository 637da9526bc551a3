#include "calibration/SearchMemory.h"

#include "calibration/ScoreGrid.h"
#include "calibration/SettingsSweep.h"

#include <algorithm>

namespace tamrex {
namespace {

// Per strip row: the five profiles of the count and of the split (ints), the split's
// one-column strip, the rows marked as lines, with room to spare.
constexpr std::uint64_t kBytesPerRow = 64;
constexpr std::uint64_t kBytesPerSplitLine = sizeof(double);
// What a thread holds whatever it works on: the stack it touches, the allocator's slack.
constexpr std::uint64_t kThreadBytes = 256 << 10;

std::uint64_t OneBitBytes(const PictureSize& size) {
    return (static_cast<std::uint64_t>(size.width) + 31) / 32 * 4 * static_cast<std::uint64_t>(size.height);
}

std::uint64_t WorkingBytes(const CalibrationGrid& grid, const PictureSize& photo) {
    const std::uint64_t rows = static_cast<std::uint64_t>(photo.height) + 1;
    const std::uint64_t thinnest = static_cast<std::uint64_t>(std::max(1, grid.pWidths.empty() ? 1 : grid.pWidths.front()));
    const std::uint64_t splitLines = grid.pWidths.size() * (rows / thinnest + 1);
    return 3 * OneBitBytes(photo) + kBytesPerRow * rows +
           grid.bdLines.size() * grid.pWidths.size() * sizeof(SweptCount) + splitLines * kBytesPerSplitLine;
}

}  // namespace

SearchMemory SearchMemoryFor(const CalibrationGrid& grid, const std::vector<PictureSize>& photos) {
    SearchMemory memory{grid.size() * sizeof(CalibrationScore), 0};
    for (const PictureSize& photo : photos) memory.perThread = std::max(memory.perThread, WorkingBytes(grid, photo));
    return memory;
}

unsigned SearchThreads(unsigned asked, unsigned cores, std::uint64_t budget, std::uint64_t kept,
                       const SearchMemory& memory) {
    const std::uint64_t most = std::max(std::min(asked, std::max(cores, 1u)), 1u);
    const std::uint64_t used = kept + memory.scores;
    if (used >= budget) return 1;
    const std::uint64_t room = (budget - used) / (memory.perThread + kThreadBytes);
    return static_cast<unsigned>(std::clamp<std::uint64_t>(room, 1, most));
}

}  // namespace tamrex
