#pragma once

#include <FreeImage.h>

#include <optional>
#include <string>
#include <vector>

namespace tamrex::testing {

enum class Backdrop { Plain, Wall, Gravel };
enum class Neighbour { None, Stack, Pallet };
enum class BoardFace { Plain, Flutes, DoubleFlutes, Rounded, Plies };
enum class MixOrder { Random, Cycle, Runs };

// How to draw a synthetic photo of a stack of boards seen edge-on. Rows are counted
// bottom-up, as FreeImage numbers them.
struct StackPhotoRecipe {
    int width = 800, height = 576;
    int boards = 20;
    int boardRows = 20;  // thickness of one board
    int gapRows = 3;     // thickness of the dark gap between neighbouring boards
    // The least number of rows below and above the stack. A stack thinner than
    // height - marginBottom - marginTop is centred: the spare rows are split between
    // the margins, and an odd spare row goes to the top margin. A negative margin lets
    // the stack run that many rows past the photo's edge.
    int marginTop = 40, marginBottom = 40;
    // Grey levels 0..255; marginLevel is that of everything behind the stack.
    int boardLevel = 200, gapLevel = 40, marginLevel = 20;
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

    // What an operator's photo adds around the stack and on its boards; each is off by
    // default as well.
    // The stack's ends: the outermost columns its boards may reach, each board stopping
    // short by up to a two-hundredth of the stack's width. Either may lie outside the
    // photo. Unset, the boards end a hundredth of the width in from the photo's edges.
    std::optional<int> leftEnd{}, rightEnd{};
    Backdrop backdrop = Backdrop::Plain;  // the texture behind the stack, at marginLevel
    int floorLevel = -1;  // grey level of the ground below the stack's foot; -1: no ground
    int sky = 0;          // percent of the photo's height at its top that shows bright sky
    int bearers = 0;      // blocks the stack rests on, which lift it off the ground
    bool onPallet = false;  // the stack rests on a pallet instead
    Neighbour neighbour = Neighbour::None;  // stands on the wider side, on the same ground
    BoardFace face = BoardFace::Plain;
    int plies = 5;            // fine dark lines per board of the Plies face
    bool fluteEnds = false;   // dark wedges where the boards' ends open
    int wrap = 0;             // percent of the light stretch wrap over the stack reflects
    int shadow = 0;           // percent a shadow across part of the photo takes away
    // Percent the stack is taller at the photo's left edge than at its right one
    // (negative: the right taller), as seen by a camera not square to the stack.
    double keystone = 0.0;
    // Percent the stack is wider at the photo's top than at its bottom (negative:
    // narrower), as seen by a camera aimed down or up at it.
    double keystoneVertical = 0.0;
    std::vector<int> mixedRows{};  // thicknesses mixed in with boardRows
    MixOrder mixOrder = MixOrder::Random;

    bool greyscale = false;  // 8-bit grey instead of 24-bit colour
    int quality = 90;        // JPEG quality 1..100
    unsigned seed = 1;
};

// Where the stack lies, in bottom-up rows of the middle column (width / 2) and in
// columns. Rows and columns may lie outside the photo where the stack runs past it.
// Under a vertical keystone the rows are the plane's, projected and rounded to the
// nearest row, and boardRows stay the plane's thicknesses.
struct StackPhotoLayout {
    int firstBoardRow;                // the bottom row of the bottom board
    int lastBoardRow;                 // the top row of the top board
    std::vector<int> gapCentreRows;   // ascending; the upper middle row of an even gap
    std::vector<int> boardRows;       // each board's thickness, bottom board first
    int leftColumn = 0, rightColumn = 0;  // the outermost columns any board reaches
};

// "" for a recipe that can be drawn, otherwise why not, for a person.
std::string ValidateStackPhotoRecipe(const StackPhotoRecipe& recipe);

// Only meaningful for a valid recipe.
StackPhotoLayout LayoutOf(const StackPhotoRecipe& recipe);

// The boards of which at least one row lies in the photo's middle column.
int BoardsInPhoto(const StackPhotoRecipe& recipe);

// The same recipe always gives the same pixels. Null for an invalid recipe (see
// ValidateStackPhotoRecipe) or when memory runs out. The caller unloads the bitmap.
FIBITMAP* DrawStackPhoto(const StackPhotoRecipe& recipe);

// Writes the photo as a JPEG file; on failure returns false with the reason, naming
// the file, in `error`.
bool WriteStackPhoto(const StackPhotoRecipe& recipe, const std::string& path, std::string& error);

}  // namespace tamrex::testing
