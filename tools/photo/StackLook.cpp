#include "tools/photo/StackLook.h"

#include "tools/photo/PhotoRandom.h"
#include "tools/photo/StackFlaws.h"
#include "tools/photo/StackGeometry.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tamrex::testing {
namespace {

constexpr int kBoardShadeSpread = 8;  // brightness steps between boards, as on a real stack
constexpr int kGrainStrength = 5;     // faint enough never to read as a gap
constexpr int kBevelShare = 6;        // board edge rows lose a sixth of the board-gap contrast
constexpr int kFadedShare = 5;        // a faded gap keeps only a fifth of that contrast
constexpr int kStrapOverhang = 2;     // rows a strap reaches beyond the stack, over its edges

StackLook EmptyLook(const StackPhotoRecipe& recipe, const StackPhotoLayout& plane) {
    const auto [up, down] = Reach(recipe);
    const int pad = static_cast<int>(std::ceil(std::max(up, down))) + 1;
    const int lowest = std::min(0, plane.firstBoardRow) - pad;
    const int highest = std::max(recipe.height, plane.lastBoardRow + 1) + pad;
    const std::size_t rows = static_cast<std::size_t>(highest - lowest) + 1;
    return StackLook{-lowest,
                     std::vector<int>(rows, recipe.marginLevel),
                     std::vector<int>(rows, 0),
                     std::vector<int>(rows, 0),
                     std::vector<int>(rows, 0),
                     std::vector<int>(rows, recipe.width),
                     std::vector<char>(rows, 0),
                     std::vector<int>(rows, -1),
                     std::vector<int>(rows, 0),
                     {},
                     {},
                     {}};
}

// Worn edges lean a little toward the gap, as rounded board edges catch less light.
void PaintBoard(StackLook& look, const StackPhotoRecipe& recipe, int board, int bottomRow, const BoardDraw& drawn,
                const BoardFaces& faces) {
    const int rows = static_cast<int>(drawn.grain.size());
    const int contrast = recipe.boardLevel - recipe.gapLevel;
    const int bevel = rows >= 3 ? contrast / kBevelShare : 0;
    for (int row = 0; row < rows; ++row) {
        const std::size_t index = static_cast<std::size_t>(bottomRow + row + look.offset);
        const bool edge = row == 0 || row == rows - 1;
        look.level[index] = faces.RowLevel(board, row, drawn.shade - (edge ? bevel : 0));
        look.grain[index] = drawn.grain[row];
        look.grainPhase[index] = drawn.grainPhase[row];
        look.left[index] = drawn.left;
        look.right[index] = drawn.right;
        look.onStack[index] = 1;
        look.boardOf[index] = board;
        look.rowInBoard[index] = row;
    }
}

// A gap spans the wider of its two boards: where one board stops short, the dark
// gap and the dark surroundings merge.
void PaintGap(StackLook& look, const StackPhotoRecipe& recipe, int bottomRow, bool faded) {
    const std::size_t below = static_cast<std::size_t>(bottomRow - 1 + look.offset);
    const std::size_t above = below + recipe.gapRows + 1;
    const int contrast = recipe.boardLevel - recipe.gapLevel;
    const int level = faded ? recipe.boardLevel - contrast / kFadedShare : recipe.gapLevel;
    for (std::size_t index = below + 1; index < above; ++index) {
        look.level[index] = level;
        look.left[index] = std::min(look.left[below], look.left[above]);
        look.right[index] = std::max(look.right[below], look.right[above]);
        look.onStack[index] = 1;
    }
}

std::vector<bool> ChooseFadedGaps(const StackPhotoRecipe& recipe) {
    const int gaps = recipe.boards - 1;
    std::vector<int> order(static_cast<std::size_t>(gaps));
    std::iota(order.begin(), order.end(), 0);
    std::vector<bool> faded(order.size(), false);
    Random random(recipe.seed, Stream::FadedGaps);
    for (int pick = 0; pick < recipe.fadedGaps; ++pick) {
        std::swap(order[pick], order[random.Between(pick, gaps - 1)]);
        faded[order[pick]] = true;
    }
    if (recipe.fadedTopGap && gaps > 0) faded.back() = true;
    return faded;
}

// Where the boards touch, a gap shows the worn edges of the boards on either side.
void CloseGaps(StackLook& look, const StackPhotoRecipe& recipe, const StackPhotoLayout& layout) {
    look.closed = GapInterruptions(recipe);
    look.gapOf.assign(look.level.size(), -1);
    look.closedLevel.assign(look.closed.size(), 0);
    for (std::size_t gap = 0; gap < look.closed.size(); ++gap) {
        const int bottomRow = layout.gapCentreRows[gap] - recipe.gapRows / 2;
        const std::size_t below = static_cast<std::size_t>(bottomRow - 1 + look.offset);
        const std::size_t above = below + recipe.gapRows + 1;
        look.closedLevel[gap] = (look.level[below] + look.level[above]) / 2;
        for (std::size_t row = below + 1; row < above; ++row) look.gapOf[row] = static_cast<int>(gap);
    }
}

// An out-of-focus floor: the bottom board's light ramps down over `bottomBlur` rows
// centred on its edge, so the edge still lies where the layout puts it.
void BlurBottomEdge(StackLook& look, const StackPhotoRecipe& recipe, const StackPhotoLayout& layout) {
    const int ramp = recipe.bottomBlur;
    const int first = layout.firstBoardRow + look.offset;
    const int shade = look.level[static_cast<std::size_t>(first + layout.boardRows.front() / 2)];
    for (int step = 0; step < ramp; ++step) {
        const int index = first - ramp / 2 + step;
        if (index < 0) continue;
        const std::size_t row = static_cast<std::size_t>(index);
        look.level[row] = recipe.marginLevel + (shade - recipe.marginLevel) * (step + 1) / (ramp + 1);
        look.left[row] = look.left[static_cast<std::size_t>(first)];
        look.right[row] = look.right[static_cast<std::size_t>(first)];
        look.onStack[row] = 1;
    }
}

}  // namespace

// Boards in a real stack never line up exactly, so each one's ends sit a few columns
// in from the stack's ends, or the picture's edges, by a different amount.
std::vector<BoardDraw> DrawBoards(const StackPhotoRecipe& recipe, const std::vector<int>& thicknesses) {
    const ColumnSpan reach = StackReach(recipe);
    const int inset = HasEnds(recipe) ? 0 : recipe.width / 100;
    const int jitter = HasEnds(recipe) ? reach.Width() / 200 : recipe.width / 200;
    Random random(recipe.seed, Stream::Boards);
    std::vector<BoardDraw> boards;
    for (const int rows : thicknesses) {
        BoardDraw board{};
        board.shade = recipe.boardLevel + random.Between(-kBoardShadeSpread, kBoardShadeSpread);
        board.left = reach.left + inset + random.Between(0, jitter);
        board.right = reach.right - inset - random.Between(0, jitter);
        for (int row = 0; row < rows; ++row) {
            board.grain.push_back(random.Between(-kGrainStrength, kGrainStrength));
            board.grainPhase.push_back(random.Between(0, kStreakLength - 1));
        }
        boards.push_back(std::move(board));
    }
    return boards;
}

StackLook LookOf(const StackPhotoRecipe& recipe, const StackPhotoLayout& plane, const std::vector<BoardDraw>& boards,
                 const BoardFaces& faces) {
    StackLook look = EmptyLook(recipe, plane);
    int bottomRow = plane.firstBoardRow;
    for (int board = 0; board < recipe.boards; ++board) {
        PaintBoard(look, recipe, board, bottomRow, boards[static_cast<std::size_t>(board)], faces);
        bottomRow += plane.boardRows[board] + recipe.gapRows;
    }
    const std::vector<bool> faded = ChooseFadedGaps(recipe);
    for (int gap = 0; gap + 1 < recipe.boards; ++gap) {
        PaintGap(look, recipe, plane.gapCentreRows[gap] - recipe.gapRows / 2, faded[gap]);
    }
    if (recipe.brokenGaps > 0 || recipe.missingSegments > 0) CloseGaps(look, recipe, plane);
    if (recipe.bottomBlur > 0) BlurBottomEdge(look, recipe, plane);
    look.stackFrom = static_cast<std::size_t>(std::max(0, plane.firstBoardRow + look.offset - kStrapOverhang));
    look.stackTo = static_cast<std::size_t>(plane.lastBoardRow + 1 + look.offset + kStrapOverhang);
    return look;
}

}  // namespace tamrex::testing
