#pragma once

#include "tools/photo/StackPhoto.h"

#include <vector>

namespace tamrex::testing {

// The ways a real stack differs from a perfect one, each drawn from its own random
// stream so that turning one on leaves the others where they were.

// For each of `steps` positions, where it lies from -1 at the first to 1 at the last.
std::vector<double> FromMiddle(int steps);

// Columns [left, right).
struct ColumnSpan {
    int left, right;
    int Width() const { return right - left; }
};

bool HasEnds(const StackPhotoRecipe& recipe);

// Where the stack's boards may reach: between its ends, or the whole photo when it has none.
ColumnSpan StackReach(const StackPhotoRecipe& recipe);

// The thicknesses a recipe mixes, boardRows first.
std::vector<int> ThicknessKinds(const StackPhotoRecipe& recipe);

// Each board's thickness in rows, bottom board first.
std::vector<int> BoardThicknesses(const StackPhotoRecipe& recipe);

// Per gap, bottom gap first, the columns where the boards touch and no gap shows;
// an empty entry for a gap drawn across the whole width.
std::vector<std::vector<bool>> GapInterruptions(const StackPhotoRecipe& recipe);

// Per column, the grey level of a strap crossing the stack there, or -1 for none.
std::vector<int> StrapLevels(const StackPhotoRecipe& recipe);

// How much light an uneven lamp, and a shadow across the photo, give each pixel, in
// 1/256 of an even lamp's. The shadow's edge crosses row `row` somewhere within `across`.
class LightField {
public:
    LightField(const StackPhotoRecipe& recipe, ColumnSpan across, double row);

    bool Even() const { return even; }
    int At(int x, int y) const;

private:
    double Shade(int x, int y) const;

    bool even;
    double vignette;
    std::vector<double> across, up;                // the gradients' factors per column and row
    std::vector<double> acrossSquared, upSquared;  // squared distance from the middle, -1..1 scale
    // The shadow: its depth, and its edge as a line a * x + b * y + c = 0, with a
    // positive value on the shadowed side and |(a, b)| one over the edge's softness.
    double shadowDepth;
    double edgeA = 0, edgeB = 0, edgeC = 0;
};

}  // namespace tamrex::testing
