#include "look/SecondLook.h"

#include "look/SecondLookChain.h"
#include "look/SecondLookColumns.h"
#include "look/SecondLookEdges.h"
#include "look/SecondLookMedian.h"
#include "look/SecondLookPitch.h"
#include "look/SecondLookProfile.h"
#include "look/SecondLookSeams.h"
#include "look/SecondLookValleys.h"

#include <cmath>
#include <optional>
#include <sstream>

namespace tamrex {
namespace {

constexpr double kShoulderReach = 0.6;   // pitches either side of a seam where the boards' light is taken
constexpr double kClearSeamShare = 0.1;  // of the boards' level: a seam this deep shows without repetition

// A stack of one to three boards does not repeat often enough for the autocorrelation;
// its clear seams tell the pitch instead. Nothing when it shows none.
std::optional<double> PitchFromClearSeams(const std::vector<double>& profile) {
    const double steps = static_cast<double>(profile.size());
    std::vector<Valley> clear = FindValleys(profile, steps / 4);
    const double least = kClearSeamShare * LowerMedian(profile);
    std::erase_if(clear, [least](const Valley& valley) { return valley.depth < least; });
    if (clear.empty()) return std::nullopt;
    return (steps + clear.front().width) / (static_cast<double>(clear.size()) + 1);
}

// The pitches worth a chain: those the profile shows, measured, first; then the
// calibrated one, which competes with them so that boards other than the station's
// usual ones do not fool the count.
Expected<std::vector<double>> PitchesInSteps(const std::vector<double>& profile, double thicknessPrior,
                                             double rowsPerStep) {
    std::vector<double> pitches = RepeatingPitches(profile);
    if (pitches.empty()) {
        if (const std::optional<double> pitch = PitchFromClearSeams(profile)) pitches.push_back(*pitch);
    }
    if (thicknessPrior > 0) pitches.push_back(thicknessPrior / rowsPerStep);
    if (pitches.empty()) {
        return Fail(
            "no seams found: the stack's light band shows no dark lines between boards, as for a single "
            "board or seams too faint to see; give the board thickness from calibration to count it");
    }
    return pitches;
}

// Boards thinner than a few rows would leave no room for a seam the photo could show.
std::string PriorProblem(double thicknessPrior) {
    if (thicknessPrior == 0 || (std::isfinite(thicknessPrior) && thicknessPrior >= kThinnestBoardRows)) return {};
    std::ostringstream text;
    text << "the board thickness given for the second count, " << thicknessPrior << " rows, is not "
         << kThinnestBoardRows << " rows or more; give the calibrated thickness, or 0 when it is not known";
    return text.str();
}

}  // namespace

Expected<SecondCount> LookAgain(FIBITMAP* photo, double thicknessPrior) {
    if (const std::string problem = PriorProblem(thicknessPrior); !problem.empty()) return Fail(problem);
    const Expected<GreyColumns> columns = SampleColumns(photo);
    if (!columns) return tl::unexpected(columns.error());
    const Expected<StackEdges> edges = FindStackEdges(*columns);
    if (!edges) return tl::unexpected(edges.error());
    const double height = edges->HeightAt(columns->width / 2.0);
    const int steps = static_cast<int>(std::lround(height));
    const double rowsPerStep = height / steps;
    const std::vector<double> profile = RectifiedProfile(*columns, *edges, steps);
    const Expected<std::vector<double>> pitches = PitchesInSteps(profile, thicknessPrior, rowsPerStep);
    if (!pitches) return tl::unexpected(pitches.error());
    const std::vector<Valley> valleys = FindValleys(profile, kShoulderReach * pitches->front());
    const SeamLook seam = TypicalSeam(valleys, steps, pitches->front(), LowerMedian(profile));
    const SeamChain chain = ChainOfSeams(valleys, steps, *pitches, seam);
    const double thickness = chain.pitch * rowsPerStep;
    return SecondCount{chain.boards, thickness,
                       FollowSeams(*columns, *edges, chain.seams, steps, thickness, seam.depth),
                       EdgeLine(*columns, *edges, edges->top), EdgeLine(*columns, *edges, edges->bottom)};
}

}  // namespace tamrex
