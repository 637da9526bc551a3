#pragma once

#include "image/Bitmap.h"
#include "tools/photo/StackPhoto.h"

#include <gtest/gtest.h>

namespace tamrex::testing {

inline BitmapHandle Drawn(const StackPhotoRecipe& recipe) {
    BitmapHandle photo(DrawStackPhoto(recipe));
    EXPECT_NE(photo, nullptr) << ValidateStackPhotoRecipe(recipe);
    return photo;
}

// The grey level of a pixel of an 8-bit photo, rows bottom-up.
inline int Level(FIBITMAP* photo, int x, int y) { return FreeImage_GetScanLine(photo, y)[x]; }

// Pixels that differ between two photos of one size, and how many of those lie where
// `allowed(x, y)` says nothing should change.
struct Changes {
    int changed = 0, stray = 0;
};

template <typename Allowed>
Changes ChangesBetween(FIBITMAP* before, FIBITMAP* after, Allowed allowed) {
    Changes changes;
    for (int y = 0; y < static_cast<int>(FreeImage_GetHeight(before)); ++y) {
        for (int x = 0; x < static_cast<int>(FreeImage_GetWidth(before)); ++x) {
            if (Level(before, x, y) == Level(after, x, y)) continue;
            ++changes.changed;
            changes.stray += !allowed(x, y);
        }
    }
    return changes;
}

}  // namespace tamrex::testing
