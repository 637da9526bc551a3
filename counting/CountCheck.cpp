#include "counting/CountCheck.h"

#include <algorithm>
#include <cmath>

namespace tamrex {
namespace {

// A count this far from the height in boards cannot be blamed on where the band's
// edges fell: the strip would be a whole board taller or shorter.
constexpr double kMostBoardsOffHeight = 0.5;

// The thickness the strip is measured with: a station's learned one when known,
// else PWIDTH, which was set to a board's thickness.
double ThicknessOf(const CountRequest& request) {
    if (request.thickness > 0) return request.thickness;
    return request.settings.pWidth > 0 ? request.settings.pWidth : 0.0;
}

void Raise(CountResult& result, std::string_view code) { result.flags.emplace_back(code); }

}  // namespace

std::string FlagSentence(std::string_view code) {
    const auto known = std::find_if(std::begin(kFlagTexts), std::end(kFlagTexts),
                                    [&](const FlagText& flag) { return flag.code == code; });
    return std::string(known == std::end(kFlagTexts) ? code : known->sentence);
}

void CheckCount(const CountRequest& request, CountResult& result) {
    result.flags.clear();
    result.heightBoards.reset();
    if (const double thickness = ThicknessOf(request); thickness > 0)
        result.heightBoards = (result.secondLook ? result.secondLook->height : result.stripHeight) / thickness;
    const bool secondAgrees = result.secondLook && result.secondLook->boards == result.count();
    if (result.secondLook && !secondAgrees) Raise(result, "second-count-differs");
    // A stack cut off by the photo's edge ends in part of a board, so its height says
    // little; it is flagged for that instead.
    const bool pastFrame = result.secondLook && result.secondLook->PastFrame();
    const bool offHeight = result.heightBoards && !pastFrame &&
                           std::abs(result.count() - *result.heightBoards) > kMostBoardsOffHeight;
    // A thickness learned on the station's own stacks makes the height a count of its
    // own: two counts that agree on a number it denies are looked at again. PWIDTH, a
    // board without its seam, may be a little off, and two counts outweigh it.
    const bool learned = request.look.thicknessPrior > 0;
    if (offHeight && (!secondAgrees || learned)) Raise(result, "count-off-height");
    if (result.lineTotal == 0) Raise(result, "no-line");
    if (result.orientation != 1) Raise(result, "turned");
    if (result.secondLook && result.secondLook->PastFrame()) Raise(result, "stack-past-frame");
}

}  // namespace tamrex
