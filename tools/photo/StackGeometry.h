#pragma once

#include "tools/photo/StackPhoto.h"

#include <utility>
#include <vector>

namespace tamrex::testing {

// The stack is laid out on its own face, the "plane", whose rows and columns are the
// photo's in the middle column when the camera is square to the stack. Tilt and bow
// then move each column of the photo up or down, and a keystone projects the plane
// as a camera at an angle sees it.

// The layout on the plane, without the stack's ends.
StackPhotoLayout PlaneLayoutOf(const StackPhotoRecipe& recipe);

// How far tilt and bow move the stack up (first) and down (second), in rows, at its
// furthest: shift(u) = tilt / 2 * u + bow * u * u for u from -1 (left edge) to 1 (right edge).
std::pair<double, double> Reach(const StackPhotoRecipe& recipe);

class StackGeometry {
public:
    StackGeometry(const StackPhotoRecipe& recipe, const StackPhotoLayout& plane);

    bool Square() const { return across == 0 && up == 0; }

    // For each pixel of photo row y, its plane column and its plane row plus `offset`,
    // the latter in 1/256 row.
    void Locate(int y, int offset, std::vector<int>& columns, std::vector<int>& positions) const;

    // Where plane row `row` lies in photo column x, tilt and bow included.
    double PhotoRow(double row, double x) const;
    // The photo column where plane column `column` lies on plane row `row`.
    double PhotoColumn(double column, double row) const;

private:
    std::vector<int> shift;  // how far the stack is raised in each column, in 1/256 row
    double middleColumn, pivotRow;
    double across, up;  // the keystone: how fast the scale changes along the plane's columns and rows
    int width;
};

}  // namespace tamrex::testing
