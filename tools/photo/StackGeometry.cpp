#include "tools/photo/StackGeometry.h"

#include "tools/photo/Rounding.h"
#include "tools/photo/StackFlaws.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tamrex::testing {
namespace {

constexpr int kFixedOne = 256;
constexpr double kNearestHorizon = 0.05;  // keeps a projection from passing its vanishing line

long long StackRows(const StackPhotoRecipe& recipe, const std::vector<int>& boardRows) {
    return std::accumulate(boardRows.begin(), boardRows.end(), 0LL) +
           static_cast<long long>(recipe.boards - 1) * recipe.gapRows;
}

// The scale's change per pixel that makes one end `percent` larger than the other,
// the ends lying `halfSpan` pixels either side of the pivot.
double ScaleChange(double percent, double halfSpan) {
    const double ratio = percent >= 0 ? 1 + percent / 100 : 1 / (1 - percent / 100);
    return (ratio - 1) / ((ratio + 1) * std::max(halfSpan, 1.0));
}

std::vector<int> ShiftsOf(const StackPhotoRecipe& recipe) {
    std::vector<int> shifts;
    for (const double u : FromMiddle(recipe.width)) {
        shifts.push_back(static_cast<int>(std::lround((recipe.tilt / 2 * u + recipe.bow * u * u) * kFixedOne)));
    }
    return shifts;
}

}  // namespace

StackPhotoLayout PlaneLayoutOf(const StackPhotoRecipe& recipe) {
    StackPhotoLayout layout{};
    layout.boardRows = BoardThicknesses(recipe);
    const long long stackRows = StackRows(recipe, layout.boardRows);
    const long long spare = static_cast<long long>(recipe.height) - recipe.marginTop - recipe.marginBottom - stackRows;
    layout.firstBoardRow = recipe.marginBottom + static_cast<int>(spare / 2);
    layout.lastBoardRow = layout.firstBoardRow + static_cast<int>(stackRows) - 1;
    int boardBottom = layout.firstBoardRow;
    for (int gap = 0; gap + 1 < recipe.boards; ++gap) {
        boardBottom += layout.boardRows[gap];
        layout.gapCentreRows.push_back(boardBottom + recipe.gapRows / 2);
        boardBottom += recipe.gapRows;
    }
    return layout;
}

std::pair<double, double> Reach(const StackPhotoRecipe& recipe) {
    const double slope = recipe.tilt / 2;
    std::vector<double> shifts{0.0, recipe.bow - slope, recipe.bow + slope};
    if (recipe.bow != 0 && std::abs(slope) <= 2 * std::abs(recipe.bow)) {
        shifts.push_back(-slope * slope / (4 * recipe.bow));
    }
    const auto [low, high] = std::minmax_element(shifts.begin(), shifts.end());
    return {*high, -*low};
}

// The pivot is the middle of the stack in the middle column: a keystone scales the
// stack about it.
StackGeometry::StackGeometry(const StackPhotoRecipe& recipe, const StackPhotoLayout& plane)
    : shift(ShiftsOf(recipe)),
      middleColumn((recipe.width - 1) / 2.0),
      pivotRow((plane.firstBoardRow + plane.lastBoardRow) / 2.0),
      across(ScaleChange(recipe.keystone, (recipe.width - 1) / 2.0)),
      up(-ScaleChange(recipe.keystoneVertical, (recipe.height - 1) / 2.0)),
      width(recipe.width) {}

// A square camera keeps to whole pixels, so that photos drawn before keystones existed
// keep every pixel; a keystone divides by the projection's depth at each pixel.
void StackGeometry::Locate(int y, int offset, std::vector<int>& columns, std::vector<int>& positions) const {
    columns.resize(static_cast<std::size_t>(width));
    positions.resize(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x) {
        if (Square()) {
            columns[x] = x;
            positions[x] = (y + offset) * kFixedOne - shift[x];
            continue;
        }
        const double fromMiddle = x - middleColumn;
        const double fromPivot = y - static_cast<double>(shift[x]) / kFixedOne - pivotRow;
        const double depth = std::max(1 - across * fromMiddle - up * fromPivot, kNearestHorizon);
        columns[x] = RoundToInt(fromMiddle / depth + middleColumn);
        positions[x] = RoundToInt((fromPivot / depth + pivotRow + offset) * kFixedOne);
    }
}

double StackGeometry::PhotoRow(double row, double x) const {
    const double fromPivot = row - pivotRow, fromMiddle = x - middleColumn;
    const int column = std::clamp(static_cast<int>(std::lround(x)), 0, width - 1);
    const double raised = static_cast<double>(shift[static_cast<std::size_t>(column)]) / kFixedOne;
    return pivotRow + fromPivot * (1 - across * fromMiddle) / (1 + up * fromPivot) + raised;
}

double StackGeometry::PhotoColumn(double column, double row) const {
    const double fromMiddle = column - middleColumn, fromPivot = row - pivotRow;
    return middleColumn + fromMiddle / (1 + across * fromMiddle + up * fromPivot);
}

}  // namespace tamrex::testing
