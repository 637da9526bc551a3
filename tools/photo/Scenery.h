#pragma once

#include "tools/photo/PhotoRandom.h"
#include "tools/photo/StackFlaws.h"
#include "tools/photo/StackPhoto.h"

#include <vector>

namespace tamrex::testing {

// What stands on the ground with the stack, on the stack's own plane: the bearers or
// the pallet it rests on, and a neighbouring stack or an empty pallet whose edges and
// seams lie at another pitch and height than the stack's.
class Scenery {
public:
    Scenery(const StackPhotoRecipe& recipe, const StackPhotoLayout& plane);

    // The plane row just above the ground: the foot of the bearers, the pallet, or the stack.
    int FootRow() const { return foot; }
    bool Empty() const { return patches.empty(); }
    // The grey level of whatever stands at a point of the plane, or -1 for nothing.
    int At(int column, int row) const {
        if (row < lowest || row > highest) return -1;
        for (const Patch& patch : patches) {
            if (column >= patch.left && column < patch.right && row >= patch.bottom && row < patch.top) {
                return patch.levels[static_cast<std::size_t>(row - patch.bottom)];
            }
        }
        return -1;
    }

private:
    // Plane columns [left, right) and rows [bottom, top), a level per row bottom-up.
    struct Patch {
        int left, right, bottom, top;
        std::vector<int> levels;
    };

    void AddBearers(const StackPhotoRecipe& recipe, int stackBottom);
    void AddNeighbour(const StackPhotoRecipe& recipe, const StackPhotoLayout& plane);
    void AddNeighbourStack(const StackPhotoRecipe& recipe, const StackPhotoLayout& plane, ColumnSpan columns, Random& random);
    void AddPallet(const StackPhotoRecipe& recipe, ColumnSpan columns, int bottom, Random& random);
    void Add(Patch patch);

    int foot;
    int lowest = 0, highest = -1;
    std::vector<Patch> patches;  // the first that holds a point is the one seen
};

// Rows the bearers or the pallet lift the stack by.
int FootingRows(const StackPhotoRecipe& recipe);

// The free columns on the stack's wider side, where a neighbour stands.
int RoomBeside(const StackPhotoRecipe& recipe);

}  // namespace tamrex::testing
