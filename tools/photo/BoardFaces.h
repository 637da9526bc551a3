#pragma once

#include "tools/photo/StackPhoto.h"

#include <array>
#include <vector>

namespace tamrex::testing {

// The rows [first, last] one layer of flutes rises and falls between; a layer with
// last < first is none. Per column of one period, where the wave's middle lies and how
// many rows either side of it it covers there.
struct FluteLayer {
    int first, last;
    std::vector<double> middle, half;
};

// What a board's face shows between its two edges: the flutes of corrugated board
// seen end-on, the rounded fold of a flattened box, the plies of plywood, and the dark
// open ends of flutes. Rounded faces and plies shade whole rows; flutes and their ends
// change along the row.
class BoardFaces {
public:
    BoardFaces(const StackPhotoRecipe& recipe, const std::vector<int>& thicknesses);

    // The level of row `row` (from the board's bottom) of `board`, drawn plain at `level`.
    int RowLevel(int board, int row, int level) const;

    bool ByPixel() const { return flutes || fluteEnds; }
    // The level at plane column `column` of a board spanning columns [left, right).
    int PixelLevel(int board, int row, int column, int left, int right, int level) const;

private:
    struct Board {
        int rows;
        int flutePhase;
        std::array<FluteLayer, 2> layers;
        std::vector<int> plyRows, plyDepths;  // each ply line's row and its darkness, percent of contrast
        int leftWedge, rightWedge;            // how far a flute end's dark wedge reaches in
    };

    int Hollowed(int level, int percent) const;
    int Rounded(int row, int rows, int level) const;
    int Plied(const Board& board, int row, int level) const;
    int Fluted(const Board& board, int row, int column, int level) const;
    int Wedged(const Board& board, int row, int column, int left, int right, int level) const;

    BoardFace face;
    int gapLevel;
    bool flutes, fluteEnds;
    std::vector<Board> boards;
};

// The fewest rows a board needs to show the recipe's face.
int ThinnestBoardFor(const StackPhotoRecipe& recipe);

}  // namespace tamrex::testing
