#pragma once

#include <FreeImage.h>

#include <string>
#include <vector>

namespace tamrex::testing {

// How to draw a synthetic photo of a stack of boards seen edge-on. Rows are counted
// bottom-up, as FreeImage numbers them.
struct StackPhotoRecipe {
    int width = 800, height = 576;
    int boards = 20;
    int boardRows = 20;  // thickness of one board
    int gapRows = 3;     // thickness of the dark gap between neighbouring boards
    // The least number of dark rows below and above the stack. A stack thinner than
    // height - marginBottom - marginTop is centred: the spare rows are split between
    // the margins, and an odd spare row goes to the top margin.
    int marginTop = 40, marginBottom = 40;
    int boardLevel = 200, gapLevel = 40, marginLevel = 20;  // grey levels 0..255
    int noise = 12;      // per-pixel noise is uniform in [-noise, noise]
    // Rows the stack climbs from the left edge to the right edge. The stack pivots on
    // the middle column, so the layout holds there whatever the tilt; toward the
    // sides the stack reaches up to |tilt| / 2 rows into the margins.
    double tilt = 0.0;
    // Gaps drawn faint, near boardLevel, so that a strict count misses them.
    int fadedGaps = 0;
    bool greyscale = false;  // 8-bit grey instead of 24-bit colour
    int quality = 90;        // JPEG quality 1..100
    unsigned seed = 1;
};

// Where the stack lies in the middle column, in bottom-up rows.
struct StackPhotoLayout {
    int firstBoardRow;                // the bottom row of the bottom board
    int lastBoardRow;                 // the top row of the top board
    std::vector<int> gapCentreRows;   // ascending; the upper middle row of an even gap
};

// "" for a recipe that can be drawn, otherwise why not, for a person.
std::string ValidateStackPhotoRecipe(const StackPhotoRecipe& recipe);

// Only meaningful for a valid recipe.
StackPhotoLayout LayoutOf(const StackPhotoRecipe& recipe);

// The same recipe always gives the same pixels. Null for an invalid recipe (see
// ValidateStackPhotoRecipe) or when memory runs out. The caller unloads the bitmap.
FIBITMAP* DrawStackPhoto(const StackPhotoRecipe& recipe);

// Writes the photo as a JPEG file; on failure returns false with the reason, naming
// the file, in `error`.
bool WriteStackPhoto(const StackPhotoRecipe& recipe, const std::string& path, std::string& error);

}  // namespace tamrex::testing
