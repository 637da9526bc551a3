#include "tools/photo/StackFlaws.h"

#include "tools/photo/PhotoRandom.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>

namespace tamrex::testing {
namespace {

constexpr int kFixedOne = 256;
constexpr int kFewestBreaks = 3, kMostBreaks = 6;
enum BreakKind : std::uint64_t { ShortBreaks, LongBreaks };

// `picks` different gaps out of `gaps`, in the order drawn.
std::vector<int> DistinctGaps(int gaps, int picks, Random& random) {
    std::vector<int> order(static_cast<std::size_t>(gaps));
    std::iota(order.begin(), order.end(), 0);
    for (int pick = 0; pick < picks; ++pick) std::swap(order[pick], order[random.Between(pick, gaps - 1)]);
    order.resize(static_cast<std::size_t>(picks));
    return order;
}

// Closes `length` columns at a random place; the length is at least one column.
void CloseStretch(std::vector<bool>& closed, int length, Random& random) {
    const int width = static_cast<int>(closed.size());
    length = std::clamp(length, 1, width);
    const int start = random.Between(0, width - length);
    std::fill_n(closed.begin() + start, length, true);
}

// A gap that is broken shows a few short stretches of touching boards, as where
// boards were pressed together; a gap with a missing segment has one long stretch.
void CloseGaps(std::vector<std::vector<bool>>& closed, const StackPhotoRecipe& recipe, BreakKind kind) {
    const int picks = kind == ShortBreaks ? recipe.brokenGaps : recipe.missingSegments;
    Random random(recipe.seed, Stream::Breaks, kind);
    for (int gap : DistinctGaps(recipe.boards - 1, picks, random)) {
        std::vector<bool>& columns = closed[static_cast<std::size_t>(gap)];
        columns.resize(static_cast<std::size_t>(recipe.width), false);
        if (kind == LongBreaks) {
            CloseStretch(columns, random.Between(recipe.width / 10, recipe.width / 3), random);
            continue;
        }
        const int breaks = random.Between(kFewestBreaks, kMostBreaks);
        for (int index = 0; index < breaks; ++index) {
            CloseStretch(columns, random.Between(recipe.width / 50, recipe.width / 16), random);
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
    std::vector<double> squares(static_cast<std::size_t>(steps));
    const double middle = (steps - 1) / 2.0;
    const double half = std::max(middle, 1.0);
    for (int step = 0; step < steps; ++step) squares[step] = std::pow((step - middle) / half, 2);
    return squares;
}

}  // namespace

std::vector<int> BoardThicknesses(const StackPhotoRecipe& recipe) {
    std::vector<int> rows(static_cast<std::size_t>(recipe.boards), recipe.boardRows);
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
    Random random(recipe.seed, Stream::Straps);
    for (int strap = 0; strap < recipe.straps; ++strap) {
        const int width = std::max(2, random.Between(recipe.width / 50, recipe.width / 25));
        const int centre = random.Between(recipe.width / 10, recipe.width * 9 / 10);
        const int level =
            std::clamp((recipe.gapLevel + recipe.boardLevel) / 3 + random.Between(-10, 10), 0, 255);
        const int from = std::max(0, centre - width / 2);
        const int to = std::min(recipe.width, centre - width / 2 + width);
        std::fill(levels.begin() + from, levels.begin() + to, level);
    }
    return levels;
}

LightField::LightField(const StackPhotoRecipe& recipe)
    : even(recipe.lightSlope == 0 && recipe.lightFall == 0 && recipe.vignette == 0),
      vignette(recipe.vignette / 100.0),
      across(Gradient(recipe.width, recipe.lightSlope)),
      up(Gradient(recipe.height, recipe.lightFall)),
      acrossSquared(SquaredFromMiddle(recipe.width)),
      upSquared(SquaredFromMiddle(recipe.height)) {}

// The corners, at squared distance 2, lose the whole vignette share.
int LightField::At(int x, int y) const {
    const double spot = 1 - vignette * (acrossSquared[x] + upSquared[y]) / 2;
    return static_cast<int>(std::lround(kFixedOne * across[x] * up[y] * spot));
}

}  // namespace tamrex::testing
