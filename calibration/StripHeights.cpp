#include "calibration/StripHeights.h"

#include <algorithm>

namespace tamrex {

bool StripHeights::EverBanded(std::size_t photo) const {
    return std::any_of(rows.begin(), rows.end(), [&](const std::vector<int>& row) { return row[photo] > 0; });
}

void StripHeights::Drop(std::size_t photo) {
    for (std::vector<int>& row : rows) row.erase(row.begin() + static_cast<std::ptrdiff_t>(photo));
}

std::optional<std::size_t> MiddleBandedThreshold(const StripHeights& heights) {
    std::vector<std::size_t> banded;
    for (std::size_t t = 0; t < heights.rows.size(); ++t) {
        const std::vector<int>& row = heights.rows[t];
        if (std::all_of(row.begin(), row.end(), [](int height) { return height > 0; })) banded.push_back(t);
    }
    if (banded.empty()) return std::nullopt;
    return banded[(banded.size() - 1) / 2];
}

double MedianBoardRows(const std::vector<int>& stripHeights, const std::vector<int>& boards) {
    std::vector<double> rows;
    for (std::size_t photo = 0; photo < stripHeights.size(); ++photo) {
        if (stripHeights[photo] > 0 && boards[photo] > 0)
            rows.push_back(static_cast<double>(stripHeights[photo]) / boards[photo]);
    }
    if (rows.empty()) return 0;
    std::sort(rows.begin(), rows.end());
    const std::size_t middle = rows.size() / 2;
    return rows.size() % 2 == 1 ? rows[middle] : (rows[middle - 1] + rows[middle]) / 2;
}

}  // namespace tamrex
