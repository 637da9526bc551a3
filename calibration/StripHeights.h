#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace tamrex {

// The height of each photo's strip at each threshold of a search: rows[t][photo],
// 0 where the photo shows no stack band at that threshold.
struct StripHeights {
    std::vector<std::vector<int>> rows;

    // Whether the photo has a band at any threshold at all.
    bool EverBanded(std::size_t photo) const;
    // The photo's column of the table left out.
    void Drop(std::size_t photo);
};

// The middle one of the thresholds at which every photo has a band (the lower of two
// middles), as a position in the table: there the strips are cut as their margins
// suggest, clear of the levels where a band first appears or dissolves. None when no
// threshold gives every photo a band.
std::optional<std::size_t> MiddleBandedThreshold(const StripHeights& heights);

// The thickness of a board in pixel rows, with decimals, as the photos show it at one
// threshold: the median over the photos of strip height over known count. Photos
// without a band there are left out; 0 when none has one.
double MedianBoardRows(const std::vector<int>& stripHeights, const std::vector<int>& boards);

}  // namespace tamrex
