#include "tools/photo/Scenery.h"

#include "tools/photo/PhotoRandom.h"

#include <algorithm>
#include <cmath>

namespace tamrex::testing {
namespace {

constexpr int kFewestBearerRows = 6;
constexpr int kBearerPitches = 3;     // a bearer stands about three boards tall
constexpr int kJointPercent = 55;     // the mortar between a bearer's bricks
constexpr int kShadePercent = 40;     // the ground under the stack, between its bearers
constexpr int kPalletPitches = 6;
constexpr int kFewestPalletRows = 12;
constexpr int kDeckPercent = 18;      // each deck of a pallet, of its height
constexpr int kBlockPercent = 14;     // each of a pallet's three blocks, of its length
// Bearers, pallets and neighbours are not the stack's material: their grey levels are their own.
constexpr int kWoodLevel = 150;
constexpr int kDarkestNeighbour = 120, kBrightestNeighbour = 215;
enum Part : std::uint64_t { Bearers, Beside, Under };

int Byte(int level) { return std::clamp(level, 0, 255); }

int Pitch(const StackPhotoRecipe& recipe) { return recipe.boardRows + recipe.gapRows; }

std::vector<int> Levels(int rows, int level) { return std::vector<int>(static_cast<std::size_t>(std::max(rows, 0)), level); }

// Another stack's boards seldom match: its pitch is well apart from this one's.
int NeighbourPitch(const StackPhotoRecipe& recipe, Random& random) {
    const double factor = random.Between(0, 1) ? random.Fraction(0.55, 0.8) : random.Fraction(1.3, 1.7);
    return std::max(3, static_cast<int>(std::lround(Pitch(recipe) * factor)));
}

int PalletRows(const StackPhotoRecipe& recipe) {
    return std::clamp(kPalletPitches * Pitch(recipe), kFewestPalletRows, std::max(kFewestPalletRows, recipe.height / 4));
}

}  // namespace

int FootingRows(const StackPhotoRecipe& recipe) {
    if (recipe.onPallet) return PalletRows(recipe);
    if (recipe.bearers == 0) return 0;
    return std::clamp(kBearerPitches * Pitch(recipe), kFewestBearerRows, std::max(kFewestBearerRows, recipe.height / 8));
}

int RoomBeside(const StackPhotoRecipe& recipe) {
    const ColumnSpan stack = StackReach(recipe);
    return std::max(stack.left, recipe.width - stack.right);
}

Scenery::Scenery(const StackPhotoRecipe& recipe, const StackPhotoLayout& plane)
    : foot(plane.firstBoardRow - FootingRows(recipe)) {
    if (recipe.bearers) AddBearers(recipe, plane.firstBoardRow);
    if (recipe.onPallet) {
        // Where the bottom board rests on the deck, a shadow as dark as a gap.
        const ColumnSpan stack = StackReach(recipe);
        Add({stack.left, stack.right, plane.firstBoardRow - 1, plane.firstBoardRow, Levels(1, recipe.gapLevel)});
        Random random(recipe.seed, Stream::Scenery, Under);
        AddPallet(recipe, stack, foot, random);
    }
    if (recipe.neighbour != Neighbour::None) AddNeighbour(recipe, plane);
}

void Scenery::Add(Patch patch) {
    lowest = patches.empty() ? patch.bottom : std::min(lowest, patch.bottom);
    highest = patches.empty() ? patch.top - 1 : std::max(highest, patch.top - 1);
    patches.push_back(std::move(patch));
}

// Bricks or timber blocks spread under the stack; the mortar joints of a brick pile
// are edges a seam finder may take for the stack's own.
void Scenery::AddBearers(const StackPhotoRecipe& recipe, int stackBottom) {
    Random random(recipe.seed, Stream::Scenery, Bearers);
    const ColumnSpan stack = StackReach(recipe);
    const int span = stack.Width(), rows = FootingRows(recipe), bottom = stackBottom - rows;
    for (int bearer = 0; bearer < recipe.bearers; ++bearer) {
        const int width = std::max(3, span * random.Between(4, 7) / 100);
        const int wander = span / (8 * recipe.bearers);
        const int centre = stack.left + span * (2 * bearer + 1) / (2 * recipe.bearers) + random.Between(-wander, wander);
        const int level = kWoodLevel + random.Between(-20, 20);
        std::vector<int> levels = Levels(rows, level);
        const int joints = random.Between(1, 2);
        for (int joint = 0; joint < joints; ++joint) levels[random.Between(1, rows - 2)] = level * kJointPercent / 100;
        Add({centre - width / 2, centre - width / 2 + width, bottom, stackBottom, std::move(levels)});
    }
    const int ground = recipe.floorLevel >= 0 ? recipe.floorLevel : recipe.marginLevel;
    Add({stack.left, stack.right, bottom, stackBottom, Levels(rows, ground * kShadePercent / 100)});
}

void Scenery::AddNeighbour(const StackPhotoRecipe& recipe, const StackPhotoLayout& plane) {
    Random random(recipe.seed, Stream::Scenery, Beside);
    const ColumnSpan stack = StackReach(recipe);
    const bool onLeft = stack.left >= recipe.width - stack.right;
    const int gap = std::max(2, recipe.width * random.Between(2, 5) / 100);
    // It runs on past the photo's edge, so only its near end shows.
    const ColumnSpan columns = onLeft ? ColumnSpan{stack.left - gap - 2 * recipe.width, stack.left - gap}
                                      : ColumnSpan{stack.right + gap, stack.right + gap + 2 * recipe.width};
    if (recipe.neighbour == Neighbour::Stack) {
        AddNeighbourStack(recipe, plane, columns, random);
        return;
    }
    const int length = recipe.width * random.Between(25, 40) / 100;
    AddPallet(recipe, onLeft ? ColumnSpan{columns.right - length, columns.right} : ColumnSpan{columns.left, columns.left + length},
              foot, random);
}

void Scenery::AddNeighbourStack(const StackPhotoRecipe& recipe, const StackPhotoLayout& plane, ColumnSpan columns,
                                Random& random) {
    const int pitch = NeighbourPitch(recipe, random);
    const int boardRows = std::max(2, pitch * 4 / 5), gapRows = std::max(1, pitch - boardRows);
    const int height = static_cast<int>((plane.lastBoardRow - plane.firstBoardRow + 1) * random.Fraction(0.5, 1.3));
    const int boards = std::max(2, height / (boardRows + gapRows));
    const int shade = random.Between(kDarkestNeighbour, kBrightestNeighbour);
    std::vector<int> levels;
    for (int board = 0; board < boards; ++board) {
        if (board > 0) levels.insert(levels.end(), static_cast<std::size_t>(gapRows), recipe.gapLevel);
        levels.insert(levels.end(), static_cast<std::size_t>(boardRows), Byte(shade + random.Between(-8, 8)));
    }
    const int top = foot + static_cast<int>(levels.size());
    Add({columns.left, columns.right, foot, top, std::move(levels)});
}

// A pallet seen from its side: two decks on three blocks, dark between them. Under a
// stack, its top deck reads as one more, thicker board.
void Scenery::AddPallet(const StackPhotoRecipe& recipe, ColumnSpan columns, int bottom, Random& random) {
    const int rows = PalletRows(recipe), length = columns.Width(), left = columns.left;
    const int deck = std::max(2, rows * kDeckPercent / 100);
    const int wood = kWoodLevel + random.Between(-15, 15);
    const int block = std::max(2, length * kBlockPercent / 100);
    Add({left, left + length, bottom + rows - deck, bottom + rows, Levels(deck, wood)});
    Add({left, left + length, bottom, bottom + deck, Levels(deck, wood)});
    for (const int start : {left, left + (length - block) / 2, left + length - block}) {
        Add({start, start + block, bottom + deck, bottom + rows - deck, Levels(rows - 2 * deck, wood - 12)});
    }
    const int dark = std::min(recipe.marginLevel, recipe.gapLevel) / 2;
    Add({left, left + length, bottom + deck, bottom + rows - deck, Levels(rows - 2 * deck, dark)});
}

}  // namespace tamrex::testing
