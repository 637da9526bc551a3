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

}  // namespace tamrex::testing
