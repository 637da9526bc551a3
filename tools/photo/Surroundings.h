#pragma once

#include "tools/photo/SmoothField.h"
#include "tools/photo/StackPhoto.h"

#include <optional>

namespace tamrex::testing {

// What lies behind the stack and whatever stands beside it: a backdrop of the
// recipe's texture at marginLevel, the ground below the stack's foot, and a strip of
// sky at the photo's top.
class Surroundings {
public:
    // footRow: the plane row the stack and its neighbours stand on; the ground lies below it.
    Surroundings(const StackPhotoRecipe& recipe, int footRow);

    bool Plain() const { return plain; }
    int At(int x, int y, int planeRow) const {
        if (plain) return marginLevel;
        const int behind = planeRow < footRow && floorLevel >= 0 ? Gravel(x, y, floorLevel) : Behind(x, y);
        return y < skyFrom - skyBlend ? behind : Sky(x, y, behind);
    }

private:
    int Behind(int x, int y) const;
    int Gravel(int x, int y, int level) const;
    int Sky(int x, int y, int below) const;

    bool plain;
    int marginLevel, floorLevel, footRow;
    int skyFrom, skyBlend, skyRows;
    Backdrop kind;
    std::optional<SmoothField> blotches, grain, stones;
};

}  // namespace tamrex::testing
