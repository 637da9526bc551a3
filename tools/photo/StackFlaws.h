#pragma once

#include "tools/photo/StackPhoto.h"

#include <vector>

namespace tamrex::testing {

// The ways a real stack differs from a perfect one, each drawn from its own random
// stream so that turning one on leaves the others where they were.

// Each board's thickness in rows, bottom board first.
std::vector<int> BoardThicknesses(const StackPhotoRecipe& recipe);

// Per gap, bottom gap first, the columns where the boards touch and no gap shows;
// an empty entry for a gap drawn across the whole width.
std::vector<std::vector<bool>> GapInterruptions(const StackPhotoRecipe& recipe);

// Per column, the grey level of a strap crossing the stack there, or -1 for none.
std::vector<int> StrapLevels(const StackPhotoRecipe& recipe);

// How much light an uneven lamp gives each pixel, in 1/256 of an even lamp's.
class LightField {
public:
    explicit LightField(const StackPhotoRecipe& recipe);

    bool Even() const { return even; }
    int At(int x, int y) const;

private:
    bool even;
    double vignette;
    std::vector<double> across, up;                // the gradients' factors per column and row
    std::vector<double> acrossSquared, upSquared;  // squared distance from the middle, -1..1 scale
};

}  // namespace tamrex::testing
