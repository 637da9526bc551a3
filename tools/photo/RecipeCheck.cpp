// Whether a recipe can be drawn, and if not, why not in words a person can act on.

#include "tools/photo/BoardFaces.h"
#include "tools/photo/Scenery.h"
#include "tools/photo/StackFlaws.h"
#include "tools/photo/StackGeometry.h"
#include "tools/photo/StackPhoto.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numeric>
#include <sstream>

namespace tamrex::testing {
namespace {

constexpr int kLargestJpegSide = 65500;
constexpr int kMostStraps = 20;
constexpr int kMostLightLoss = 90;  // percent; a lamp that leaves no light draws no stack
constexpr int kMostSky = 80;        // percent of the height; the rest is for the stack
constexpr int kMostBearers = 12;
constexpr int kMostPlies = 12;
constexpr int kMostWrap = 90;       // percent; a wrap that hides the stack leaves nothing to count
constexpr int kMostKeystone = 60;   // percent; beyond it the photo would reach the vanishing line
constexpr int kMostMixedKinds = 8;
constexpr int kNeighbourShare = 10;  // a neighbour needs a tenth of the width beside the stack

struct Bound {
    const char* what;
    long long value, low, high;
};

std::string FirstOutOfRange(std::initializer_list<Bound> bounds) {
    for (const Bound& bound : bounds) {
        if (bound.value < bound.low || bound.value > bound.high) {
            return std::string(bound.what) + " must be between " + std::to_string(bound.low) +
                   " and " + std::to_string(bound.high) + ", not " + std::to_string(bound.value);
        }
    }
    return {};
}

int ThinnestKind(const StackPhotoRecipe& recipe) {
    const std::vector<int> kinds = ThicknessKinds(recipe);
    return *std::min_element(kinds.begin(), kinds.end());
}

std::string CheckMixedRows(const StackPhotoRecipe& recipe) {
    std::string problem = FirstOutOfRange(
        {{"mixed thicknesses", static_cast<long long>(recipe.mixedRows.size()), 0, kMostMixedKinds}});
    for (const int rows : recipe.mixedRows) {
        if (problem.empty()) problem = FirstOutOfRange({{"mixed board rows", rows, 1, kLargestJpegSide}});
    }
    return problem;
}

std::string CheckRanges(const StackPhotoRecipe& recipe) {
    std::string problem = FirstOutOfRange({
        {"width", recipe.width, 1, kLargestJpegSide},
        {"height", recipe.height, 1, kLargestJpegSide},
        {"boards", recipe.boards, 1, kLargestJpegSide},
        {"board rows", recipe.boardRows, 1, kLargestJpegSide},
        {"gap rows", recipe.gapRows, 1, kLargestJpegSide},
        {"top margin", recipe.marginTop, -kLargestJpegSide, kLargestJpegSide},
        {"bottom margin", recipe.marginBottom, -kLargestJpegSide, kLargestJpegSide},
        {"board level", recipe.boardLevel, 0, 255},
        {"gap level", recipe.gapLevel, 0, 255},
        {"margin level", recipe.marginLevel, 0, 255},
        {"noise", recipe.noise, 0, 255},
        {"faded gaps", recipe.fadedGaps, 0, recipe.boards - 1LL},
        {"JPEG quality", recipe.quality, 1, 100},
    });
    if (problem.empty()) problem = CheckMixedRows(recipe);
    if (!problem.empty()) return problem;
    const int thinnest = ThinnestKind(recipe);
    return FirstOutOfRange({
        {"thickness jitter", recipe.thicknessJitter, 0, thinnest - 1LL},
        {"broken gaps", recipe.brokenGaps, 0, recipe.boards - 1LL},
        {"missing segments", recipe.missingSegments, 0, recipe.boards - 1LL},
        {"straps", recipe.straps, 0, kMostStraps},
        {"light slope", recipe.lightSlope, -kMostLightLoss, kMostLightLoss},
        {"light fall", recipe.lightFall, -kMostLightLoss, kMostLightLoss},
        {"vignette", recipe.vignette, 0, kMostLightLoss},
        {"bottom blur", recipe.bottomBlur, 0, thinnest - recipe.thicknessJitter},
        {"stack's left end", recipe.leftEnd.value_or(0), -kLargestJpegSide, kLargestJpegSide},
        {"stack's right end", recipe.rightEnd.value_or(0), -kLargestJpegSide, kLargestJpegSide},
        {"floor level", recipe.floorLevel, -1, 255},
        {"sky", recipe.sky, 0, kMostSky},
        {"bearers", recipe.bearers, 0, kMostBearers},
        {"plies", recipe.plies, 1, kMostPlies},
        {"wrap", recipe.wrap, 0, kMostWrap},
        {"shadow", recipe.shadow, 0, kMostLightLoss},
    });
}

std::string CheckEnds(const StackPhotoRecipe& recipe) {
    const ColumnSpan reach = StackReach(recipe);
    const std::string ends = "the stack's ends, columns " + std::to_string(reach.left) + " and " +
                             std::to_string(reach.right - 1) + ",";
    if (reach.Width() < 4) return ends + " must lie at least 4 columns apart, the left end first";
    if (reach.right <= 0 || reach.left >= recipe.width) {
        return ends + " leave none of the stack in a photo " + std::to_string(recipe.width) + " columns wide";
    }
    return {};
}

std::string ThicknessText(const StackPhotoRecipe& recipe) {
    const std::vector<int> kinds = ThicknessKinds(recipe);
    std::string text;
    for (std::size_t kind = 0; kind < kinds.size(); ++kind) {
        text += (kind == 0 ? "" : kind + 1 == kinds.size() ? " or " : ", ") + std::to_string(kinds[kind]);
    }
    return text;
}

long long StackRows(const StackPhotoRecipe& recipe) {
    const std::vector<int> boardRows = BoardThicknesses(recipe);
    return std::accumulate(boardRows.begin(), boardRows.end(), 0LL) +
           static_cast<long long>(recipe.boards - 1) * recipe.gapRows;
}

std::string CheckFit(const StackPhotoRecipe& recipe) {
    const long long room = static_cast<long long>(recipe.height) - recipe.marginTop - recipe.marginBottom;
    if (StackRows(recipe) <= room) return {};
    const std::string jitter =
        recipe.thicknessJitter ? " (give or take " + std::to_string(recipe.thicknessJitter) + ")" : "";
    return std::to_string(recipe.boards) + " boards of " + ThicknessText(recipe) + jitter + " rows with " +
           std::to_string(recipe.gapRows) + "-row gaps need " + std::to_string(StackRows(recipe)) +
           " rows, but a " + std::to_string(recipe.height) + "-row photo with margins of " +
           std::to_string(recipe.marginTop) + " and " + std::to_string(recipe.marginBottom) +
           " rows leaves only " + std::to_string(room);
}

std::string Rows(double rows) {
    std::ostringstream text;
    text << rows << (rows == 1 ? " row" : " rows");
    return text.str();
}

// A side with a negative margin lets the stack run off the photo, so only the others
// must keep it inside.
double RoomAbove(const StackPhotoRecipe& recipe, const StackPhotoLayout& layout) {
    return recipe.marginTop < 0 ? HUGE_VAL : recipe.height - 1 - layout.lastBoardRow;
}

double RoomBelow(const StackPhotoRecipe& recipe, const StackPhotoLayout& layout) {
    return recipe.marginBottom < 0 ? HUGE_VAL : layout.firstBoardRow;
}

// The stack pivots on the middle column, so each end moves by half the tilt.
std::string CheckTilt(const StackPhotoRecipe& recipe) {
    if (!std::isfinite(recipe.tilt)) return "tilt must be a finite number of rows";
    const StackPhotoLayout layout = PlaneLayoutOf(recipe);
    const double room = std::min(RoomBelow(recipe, layout), RoomAbove(recipe, layout));
    if (std::abs(recipe.tilt) / 2 <= room) return {};
    return "a tilt of " + Rows(recipe.tilt) + " moves the stack's ends " +
           Rows(std::abs(recipe.tilt) / 2) + " up or down, but the margins leave only " +
           Rows(room) + ": widen the margins or lessen the tilt";
}

// With a bow the ends move both ways unequally, so each margin is checked on its own.
std::string CheckBow(const StackPhotoRecipe& recipe) {
    if (!std::isfinite(recipe.bow)) return "bow must be a finite number of rows";
    if (recipe.bow == 0) return {};
    const StackPhotoLayout layout = PlaneLayoutOf(recipe);
    const auto [up, down] = Reach(recipe);
    const double above = RoomAbove(recipe, layout), below = RoomBelow(recipe, layout);
    if (up <= above && down <= below) return {};
    return "a bow of " + Rows(recipe.bow) + " with a tilt of " + Rows(recipe.tilt) + " moves the stack " +
           Rows(up) + " up and " + Rows(down) + " down, but the margins leave only " + Rows(above) +
           " above and " + Rows(below) + " below: widen the margins or lessen the bow";
}

// How far past the photo's top (first) and bottom (second) edge the stack's top and
// bottom reach, at the furthest of the photo's columns it covers.
std::pair<double, double> Overreach(const StackPhotoRecipe& recipe) {
    const StackPhotoLayout plane = PlaneLayoutOf(recipe);
    const StackGeometry geometry(recipe, plane);
    const StackPhotoLayout layout = LayoutOf(recipe);
    double over = -HUGE_VAL, under = -HUGE_VAL;
    for (int x = std::max(0, layout.leftColumn); x <= std::min(recipe.width - 1, layout.rightColumn); ++x) {
        over = std::max(over, geometry.PhotoRow(plane.lastBoardRow + 0.5, x) - (recipe.height - 0.5));
        under = std::max(under, -0.5 - geometry.PhotoRow(plane.firstBoardRow - 0.5, x));
    }
    return {over, under};
}

std::string CheckKeystone(const StackPhotoRecipe& recipe) {
    for (const double percent : {recipe.keystone, recipe.keystoneVertical}) {
        if (!std::isfinite(percent) || std::abs(percent) > kMostKeystone) {
            return "keystone must be a percent between -" + std::to_string(kMostKeystone) + " and " +
                   std::to_string(kMostKeystone);
        }
    }
    if (recipe.keystone == 0 && recipe.keystoneVertical == 0) return {};
    const auto [over, under] = Overreach(recipe);
    const bool top = recipe.marginTop >= 0 && over > 0, bottom = recipe.marginBottom >= 0 && under > 0;
    if (!top && !bottom) return {};
    return "the keystone takes the stack " + Rows(std::ceil(top ? over : under)) + " past the photo's " +
           (top ? "top" : "bottom") + ": widen the margins, lessen the keystone, or give a negative margin to "
           "let the stack run off the photo";
}

std::string CheckFace(const StackPhotoRecipe& recipe) {
    const int needed = ThinnestBoardFor(recipe), thinnest = ThinnestKind(recipe) - recipe.thicknessJitter;
    if (thinnest >= needed) return {};
    const std::string face = recipe.face == BoardFace::Plies ? std::to_string(recipe.plies) + " plies" : "flutes";
    return face + " need boards of at least " + std::to_string(needed) + " rows, but the thinnest board may have " +
           std::to_string(thinnest) + ": draw thicker boards" +
           (recipe.face == BoardFace::Plies ? " or fewer plies" : "");
}

std::string CheckFooting(const StackPhotoRecipe& recipe) {
    if (recipe.onPallet && recipe.bearers > 0) return "a stack rests on bearers or on a pallet, not on both";
    return {};
}

std::string CheckNeighbour(const StackPhotoRecipe& recipe) {
    const int needed = recipe.width / kNeighbourShare;
    if (recipe.neighbour == Neighbour::None || RoomBeside(recipe) >= needed) return {};
    return "a neighbour needs " + std::to_string(needed) + " free columns beside the stack, but its ends leave only " +
           std::to_string(RoomBeside(recipe)) + ": move the stack's ends inward";
}

}  // namespace

std::string ValidateStackPhotoRecipe(const StackPhotoRecipe& recipe) {
    // Later checks rely on the ranges the earlier ones establish.
    for (auto check : {CheckRanges, CheckEnds, CheckFit, CheckTilt, CheckBow, CheckKeystone, CheckFace, CheckFooting, CheckNeighbour}) {
        std::string problem = check(recipe);
        if (!problem.empty()) return problem;
    }
    return {};
}

}  // namespace tamrex::testing
