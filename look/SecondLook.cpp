#include "look/SecondLook.h"

#include "look/AlignedStack.h"
#include "look/BoardCount.h"
#include "look/GreyStrips.h"
#include "look/Pitch.h"
#include "look/SeamFlow.h"
#include "look/SeamLines.h"
#include "look/StackRegion.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace tamrex {
namespace {

constexpr double kBridgedPitches = 1.5;

// Boards thinner than a few rows would leave no room for a seam the photo could show.
std::string PriorProblem(double thicknessPrior) {
    if (thicknessPrior == 0 || (std::isfinite(thicknessPrior) && thicknessPrior >= kThinnestBoardRows)) return {};
    std::ostringstream text;
    text << "the board thickness given for the second count, " << thicknessPrior << " rows, is not "
         << kThinnestBoardRows << " rows or more; give the calibrated thickness, or 0 when it is not known";
    return text.str();
}

SecondCount Drawn(const GreyStrips& strips, const AlignedStack& stack, const BoardCount& count) {
    SecondCount second;
    second.boards = count.boards;
    second.thickness = count.pitch;
    second.height = count.top - count.bottom;
    second.pastBottom = count.pastBottom;
    second.pastTop = count.pastTop;
    for (double seam : count.seams) second.seams.push_back(SeamLine(strips, stack, seam, count.pitch, count.seamDepth));
    // Where the stack runs on past the photo or the frame there is no end to draw: a line
    // traced there would follow whatever the edge cuts through.
    if (!count.pastBottom) second.bottomEdge = EndLine(strips, stack, count.bottom, count.pitch, count.seamDepth);
    if (!count.pastTop) second.topEdge = EndLine(strips, stack, count.top, count.pitch, count.seamDepth);
    return second;
}

// The stack's rows: where most strips line up, bridging the smooth middles of thick
// boards, which line up with nothing. A first look, bridging two windows, finds the
// pitch; the second bridges one and a half pitches, or of the calibrated pitch when
// that is longer.
RowSpan RowsOfStack(const AlignedStack& stack, int reach, double prior) {
    const RowSpan first = StackRows(stack, 2 * reach);
    double pitch = prior;
    if (first.last - first.first >= reach) {
        const std::vector<double> pitches = CandidatePitches(stack.profile, first.first, first.last, 0);
        if (!pitches.empty()) pitch = std::max(pitch, pitches.front());
    }
    return StackRows(stack, std::max(2 * reach, static_cast<int>(kBridgedPitches * pitch)));
}

}  // namespace

Expected<SecondCount> LookAgain(FIBITMAP* photo, const LookRequest& request) {
    if (const std::string problem = PriorProblem(request.thicknessPrior); !problem.empty()) return Fail(problem);
    return LookAgain(SampleStrips(photo, request.frame), request);
}

Expected<SecondCount> LookAgain(const Expected<GreyStrips>& strips, const LookRequest& request) {
    if (const std::string problem = PriorProblem(request.thicknessPrior); !problem.empty()) return Fail(problem);
    if (!strips) return tl::unexpected(strips.error());
    const SeamFlow flow = FlowBetween(*strips);
    const Expected<StackRegion> region = FindStackRegion(flow);
    if (!region) return tl::unexpected(region.error());
    const AlignedStack stack = AlignStack(*strips, flow, *region);
    const int reach = flow.reach * flow.rowsPerStep;
    const RowSpan rows = RowsOfStack(stack, reach, request.thicknessPrior);
    if (rows.last - rows.first < reach) {
        return Fail("no stack found: the lines across the photo do not line up over enough rows to be a stack's "
                    "seams; photograph the stack edge-on with its boards across the picture, or frame it by hand");
    }
    const StackSpan span{rows.first, rows.last, rows.first <= reach, rows.last >= strips->Height() - 1 - reach};
    const Expected<BoardCount> count = CountBoards(stack.profile, span, request.thicknessPrior);
    if (!count) return tl::unexpected(count.error());
    return Drawn(*strips, stack, *count);
}

}  // namespace tamrex
