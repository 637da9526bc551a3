#pragma once

#include "tools/photo/Rounding.h"
#include "tools/photo/SmoothField.h"
#include "tools/photo/StackFlaws.h"
#include "tools/photo/StackPhoto.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace tamrex::testing {

// Stretch wrap around the stack: a glossy translucent film that veils the boards and
// the gaps alike, unevenly, with long diagonal highlights where it catches the light.
class StretchWrap {
public:
    // Drawn over the stack's plane columns `columns` and rows of `plane`, a little beyond.
    StretchWrap(const StackPhotoRecipe& recipe, const StackPhotoLayout& plane, ColumnSpan columns);

    bool None() const { return opacity == 0; }
    // `level` seen through the wrap at photo pixel (x, y), plane column and row.
    int Over(int x, int y, int column, int row, int level) const {
        if (column < left || column >= right || row < bottom || row > top) return level;
        const int veil = std::clamp(opacity * (kOne - kUneven + veiling->At(x, y)) / kOne, 0, kOne);
        const int highlight = highlights[static_cast<std::size_t>(DiagonalOf(column, row))];
        const int shown = veil + (kBrightestVeil - veil) * highlight / kOne;
        const int gloss = kGloss + (kGlint - kGloss) * highlight / kOne;
        return level + (gloss - level) * shown / kOne;
    }

private:
    static constexpr int kOne = 256;
    static constexpr int kUneven = 48;          // the veil varies by this much in 1/256
    static constexpr int kBrightestVeil = 230;  // a highlight all but hides what lies under it
    static constexpr int kGloss = 185, kGlint = 252;

    int DiagonalOf(int column, int row) const {
        return RoundToInt(column - left + (row - bottom) * slant) - lowestDiagonal;
    }

    int opacity;  // in 1/256
    int left = 0, right = 0, bottom = 0, top = -1;
    double slant = 0;
    int lowestDiagonal = 0;
    std::optional<SmoothField> veiling;
    std::vector<int> highlights;  // along the diagonal, in 1/256
};

}  // namespace tamrex::testing
