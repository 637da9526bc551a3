#include "tools/photo/StretchWrap.h"

#include "tools/photo/PhotoRandom.h"

#include <algorithm>
#include <cmath>

namespace tamrex::testing {
namespace {

constexpr int kFewestHighlights = 3, kMostHighlights = 7;
enum Part : std::uint64_t { Veil, Highlights };

}  // namespace

StretchWrap::StretchWrap(const StackPhotoRecipe& recipe, const StackPhotoLayout& plane, ColumnSpan columns)
    : opacity(recipe.wrap * kOne / 100) {
    if (opacity == 0) return;
    // The film stands a little off the stack all round.
    const int overhang = std::max(2, recipe.boardRows + recipe.gapRows);
    left = columns.left - overhang;
    right = columns.right + overhang;
    bottom = plane.firstBoardRow - overhang;
    top = plane.lastBoardRow + overhang;
    Random veilRandom(recipe.seed, Stream::Wrap, Veil), random(recipe.seed, Stream::Wrap, Highlights);
    veiling.emplace(recipe.width, recipe.height, std::max(recipe.width, recipe.height) / 6, kUneven, veilRandom);

    slant = random.Fraction(0.6, 1.6) * (random.Between(0, 1) ? 1 : -1);
    const int across = right - left;
    const int rise = static_cast<int>(std::lround((top - bottom) * slant));
    lowestDiagonal = std::min(0, rise);
    highlights.assign(static_cast<std::size_t>(across + std::abs(rise) + 2), 0);
    const int bands = random.Between(kFewestHighlights, kMostHighlights);
    for (int band = 0; band < bands; ++band) {
        const double centre = random.Fraction(0, static_cast<double>(highlights.size()));
        const double half = std::max(1.0, across * random.Fraction(1.0, 5.0) / 100);
        const double strength = random.Fraction(0.4, 1.0);
        for (std::size_t at = 0; at < highlights.size(); ++at) {
            const double off = std::abs(static_cast<double>(at) - centre) / half;
            if (off >= 1) continue;
            const int glint = static_cast<int>(kOne * strength * (1 - off) * (1 - off));
            highlights[at] = std::max(highlights[at], glint);
        }
    }
}

}  // namespace tamrex::testing
