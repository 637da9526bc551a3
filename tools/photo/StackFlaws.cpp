#include "tools/photo/StackFlaws.h"

#include "tools/photo/PhotoRandom.h"
#include "tools/photo/Rounding.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>

namespace tamrex::testing {
namespace {

constexpr int kFixedOne = 256;
constexpr int kFewestBreaks = 3, kMostBreaks = 6;
enum BreakKind : std::uint64_t { ShortBreaks, LongBreaks };
constexpr int kShortestRun = 2, kLongestRun = 6;
constexpr double kFewestShadowDegrees = 50, kMostShadowDegrees = 80;

// `picks` different gaps out of `gaps`, in the order drawn.
std::vector<int> DistinctGaps(int gaps, int picks, Random& random) {
    std::vector<int> order(static_cast<std::size_t>(gaps));
    std::iota(order.begin(), order.end(), 0);
    for (int pick = 0; pick < picks; ++pick) std::swap(order[pick], order[random.Between(pick, gaps - 1)]);
    order.resize(static_cast<std::size_t>(picks));
    return order;
}

// Closes `length` columns at a random place within `reach`; the length is at least one column.
void CloseStretch(std::vector<bool>& closed, ColumnSpan reach, int length, Random& random) {
    length = std::clamp(length, 1, reach.Width());
    const int start = random.Between(reach.left, reach.right - length);
    for (int column = std::max(start, 0); column < std::min(start + length, static_cast<int>(closed.size())); ++column) {
        closed[static_cast<std::size_t>(column)] = true;
    }
}

// A gap that is broken shows a few short stretches of touching boards, as where
// boards were pressed together; a gap with a missing segment has one long stretch.
void CloseGaps(std::vector<std::vector<bool>>& closed, const StackPhotoRecipe& recipe, BreakKind kind) {
    const int picks = kind == ShortBreaks ? recipe.brokenGaps : recipe.missingSegments;
    const ColumnSpan reach = StackReach(recipe);
    const int width = reach.Width();
    Random random(recipe.seed, Stream::Breaks, kind);
    for (int gap : DistinctGaps(recipe.boards - 1, picks, random)) {
        std::vector<bool>& columns = closed[static_cast<std::size_t>(gap)];
        columns.resize(static_cast<std::size_t>(recipe.width), false);
        if (kind == LongBreaks) {
            CloseStretch(columns, reach, random.Between(width / 10, width / 3), random);
            continue;
        }
        const int breaks = random.Between(kFewestBreaks, kMostBreaks);
        for (int index = 0; index < breaks; ++index) {
            CloseStretch(columns, reach, random.Between(width / 50, width / 16), random);
        }
    }
}

// 1 at one end of `steps` positions, 1 - |percent| / 100 at the other: the dark end is
// the far one for a positive percent.
std::vector<double> Gradient(int steps, int percent) {
    std::vector<double> factors(static_cast<std::size_t>(steps));
    const double span = std::max(steps - 1, 1);
    for (int step = 0; step < steps; ++step) {
        const double along = percent >= 0 ? step / span : 1 - step / span;
        factors[step] = 1 - std::abs(percent) / 100.0 * along;
    }
    return factors;
}

std::vector<double> SquaredFromMiddle(int steps) {
    std::vector<double> squares = FromMiddle(steps);
    for (double& square : squares) square = std::pow(square, 2);
    return squares;
}

// A book bought in lots shows runs of one thickness; boards sorted by hand, any order.
void MixThicknesses(std::vector<int>& rows, const StackPhotoRecipe& recipe) {
    const std::vector<int> kinds = ThicknessKinds(recipe);
    const int last = static_cast<int>(kinds.size()) - 1;
    Random random(recipe.seed, Stream::Mix);
    int kind = 0, runLeft = 0;
    for (std::size_t board = 0; board < rows.size(); ++board) {
        switch (recipe.mixOrder) {
        case MixOrder::Random: kind = random.Between(0, last); break;
        case MixOrder::Cycle: kind = static_cast<int>(board % kinds.size()); break;
        case MixOrder::Runs:
            if (runLeft-- > 0) break;
            kind = board == 0 ? random.Between(0, last) : (kind + random.Between(1, last)) % (last + 1);
            runLeft = random.Between(kShortestRun, kLongestRun) - 1;
            break;
        }
        rows[board] = kinds[static_cast<std::size_t>(kind)];
    }
}

}  // namespace

std::vector<double> FromMiddle(int steps) {
    std::vector<double> positions(static_cast<std::size_t>(steps));
    const double middle = (steps - 1) / 2.0;
    const double half = std::max(middle, 1.0);
    for (int step = 0; step < steps; ++step) positions[step] = (step - middle) / half;
    return positions;
}

bool HasEnds(const StackPhotoRecipe& recipe) { return recipe.leftEnd || recipe.rightEnd; }

ColumnSpan StackReach(const StackPhotoRecipe& recipe) {
    if (!HasEnds(recipe)) return {0, recipe.width};
    const int inset = recipe.width / 100;
    return {recipe.leftEnd.value_or(inset), recipe.rightEnd.value_or(recipe.width - 1 - inset) + 1};
}

std::vector<int> ThicknessKinds(const StackPhotoRecipe& recipe) {
    std::vector<int> kinds{recipe.boardRows};
    kinds.insert(kinds.end(), recipe.mixedRows.begin(), recipe.mixedRows.end());
    return kinds;
}

std::vector<int> BoardThicknesses(const StackPhotoRecipe& recipe) {
    std::vector<int> rows(static_cast<std::size_t>(recipe.boards), recipe.boardRows);
    if (!recipe.mixedRows.empty()) MixThicknesses(rows, recipe);
    if (recipe.thicknessJitter == 0) return rows;
    Random random(recipe.seed, Stream::Thickness);
    for (int& board : rows) board += random.Between(-recipe.thicknessJitter, recipe.thicknessJitter);
    return rows;
}

std::vector<std::vector<bool>> GapInterruptions(const StackPhotoRecipe& recipe) {
    std::vector<std::vector<bool>> closed(static_cast<std::size_t>(recipe.boards - 1));
    CloseGaps(closed, recipe, ShortBreaks);
    CloseGaps(closed, recipe, LongBreaks);
    return closed;
}

// A strap shows darker than the boards it crosses, lighter than the gaps on a usual stack.
std::vector<int> StrapLevels(const StackPhotoRecipe& recipe) {
    std::vector<int> levels(static_cast<std::size_t>(recipe.width), -1);
    const ColumnSpan reach = StackReach(recipe);
    const int span = reach.Width();
    Random random(recipe.seed, Stream::Straps);
    for (int strap = 0; strap < recipe.straps; ++strap) {
        const int width = std::max(2, random.Between(span / 50, span / 25));
        const int centre = reach.left + random.Between(span / 10, span * 9 / 10);
        const int level =
            std::clamp((recipe.gapLevel + recipe.boardLevel) / 3 + random.Between(-10, 10), 0, 255);
        const int from = std::max(0, centre - width / 2);
        const int to = std::min(recipe.width, centre - width / 2 + width);
        if (from < to) std::fill(levels.begin() + from, levels.begin() + to, level);
    }
    return levels;
}

LightField::LightField(const StackPhotoRecipe& recipe, ColumnSpan across, double row)
    : even(recipe.lightSlope == 0 && recipe.lightFall == 0 && recipe.vignette == 0 && recipe.shadow == 0),
      vignette(recipe.vignette / 100.0),
      across(Gradient(recipe.width, recipe.lightSlope)),
      up(Gradient(recipe.height, recipe.lightFall)),
      acrossSquared(SquaredFromMiddle(recipe.width)),
      upSquared(SquaredFromMiddle(recipe.height)),
      shadowDepth(recipe.shadow / 100.0) {
    if (recipe.shadow == 0) return;
    // A wall or a roof edge out of the picture casts a steep, slightly soft edge.
    Random random(recipe.seed, Stream::Shadow);
    const double degrees = random.Fraction(kFewestShadowDegrees, kMostShadowDegrees);
    const double radians = degrees * std::acos(-1.0) / 180 * (random.Between(0, 1) ? 1 : -1);
    const double side = random.Between(0, 1) ? 1 : -1;
    const double anchor = across.left + across.Width() * random.Fraction(0.25, 0.75);
    const double softness = std::max(2.0, recipe.width / 200.0);
    edgeA = side * std::sin(radians) / softness;
    edgeB = -side * std::cos(radians) / softness;
    edgeC = -(edgeA * anchor + edgeB * row);
}

double LightField::Shade(int x, int y) const {
    if (shadowDepth == 0) return 1;
    const double into = std::clamp(edgeA * x + edgeB * y + edgeC + 0.5, 0.0, 1.0);
    return 1 - shadowDepth * into;
}

// The corners, at squared distance 2, lose the whole vignette share.
int LightField::At(int x, int y) const {
    const double spot = 1 - vignette * (acrossSquared[x] + upSquared[y]) / 2;
    return RoundToInt(kFixedOne * across[x] * up[y] * spot * Shade(x, y));
}

}  // namespace tamrex::testing
