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
    // What a real stack adds. Each is off by default, and a recipe that leaves them all
    // off draws exactly the pixels it drew before they existed.
    // Rows the middle of the stack sags below its ends (negative: it bulges up). The
    // middle column stays where the layout puts it.
    double bow = 0.0;
    bool fadedTopGap = false;  // the gap under the top board drawn faint, like fadedGaps
    int thicknessJitter = 0;   // each board is boardRows plus a random -N..N rows
    int brokenGaps = 0;        // gaps where the boards touch in a few short places
    int missingSegments = 0;   // gaps of which a tenth to a third of the width is not drawn
    int straps = 0;            // dark vertical straps across the stack
    int lightSlope = 0;        // percent the light falls from left to right (negative: right to left)
    int lightFall = 0;         // percent the light falls from bottom to top (negative: top to bottom)
    int vignette = 0;          // percent the corners are darker than the middle
    int bottomBlur = 0;        // rows over which the bottom board fades into the floor

    bool greyscale = false;  // 8-bit grey instead of 24-bit colour
    int quality = 90;        // JPEG quality 1..100
    unsigned seed = 1;
};

// Where the stack lies in the middle column, in bottom-up rows.
struct StackPhotoLayout {
    int firstBoardRow;                // the bottom row of the bottom board
    int lastBoardRow;                 // the top row of the top board
    std::vector<int> gapCentreRows;   // ascending; the upper middle row of an even gap
    std::vector<int> boardRows;       // each board's thickness, bottom board first
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
