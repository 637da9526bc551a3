#pragma once

#include "tools/photo/BoardFaces.h"
#include "tools/photo/StackPhoto.h"

#include <cstddef>
#include <vector>

namespace tamrex::testing {

// How many columns of grain streaks there are; a power of two, so columns wrap with a mask.
constexpr int kStreakLength = 1024;

// One board as drawn: its shade, the plane columns [left, right) it spans, and the
// strength and phase of its grain streaks, row by row from its bottom.
struct BoardDraw {
    int shade, left, right;
    std::vector<int> grain, grainPhase;
};

// Every board of the recipe as drawn, bottom board first.
std::vector<BoardDraw> DrawBoards(const StackPhotoRecipe& recipe, const std::vector<int>& thicknesses);

// The grey level and texture of every plane row of the stack, indexed by plane row
// plus `offset`, and reaching a little beyond the photo so that tilted look-ups
// still find what lies behind the stack.
struct StackLook {
    int offset;
    std::vector<int> level;
    std::vector<int> grain;        // signed strength of the row's grain streaks; 0 off the boards
    std::vector<int> grainPhase;   // where in the streak pattern the row starts
    std::vector<int> left, right;  // a stack row lies within plane columns [left, right)
    std::vector<char> onStack;     // a board's or a gap's row, not one of what lies behind
    std::vector<int> boardOf, rowInBoard;  // the board a row belongs to, -1 for none, and its row in it
    // Only for recipes with broken gaps or missing segments: which gap a row belongs
    // to (-1 for none), where each gap is closed and what it shows there.
    std::vector<int> gapOf;
    std::vector<std::vector<bool>> closed;
    std::vector<int> closedLevel;
    std::size_t stackFrom = 0, stackTo = 0;  // the look rows a strap covers, [from, to)
};

StackLook LookOf(const StackPhotoRecipe& recipe, const StackPhotoLayout& plane, const std::vector<BoardDraw>& boards,
                 const BoardFaces& faces);

}  // namespace tamrex::testing
