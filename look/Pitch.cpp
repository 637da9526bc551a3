#include "look/Pitch.h"

#include "look/Median.h"
#include "look/SecondLook.h"
#include "look/Valleys.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace tamrex {
namespace {

constexpr double kEdgeShare = 0.1;          // of the rows at either end, left out: the stack's edges are no repeat
constexpr double kLongestLagShare = 0.5;    // of the profile: at least two boards must repeat
constexpr double kLeastCorrelation = 0.2;   // below this the profile does not repeat
constexpr double kHalfAsGood = 0.5;         // of the best peak, for a shorter lag to stand for it
constexpr double kFlatEnergy = 1.0;         // mean square grey level of a profile with nothing in it
constexpr std::size_t kMostSteps = 2048;    // longer profiles are averaged down to this
constexpr double kDeepShare = 0.5;          // of the deepest dip: a dip this deep is a clear seam
constexpr double kShoulderShare = 0.6;      // of the repeat: how far either side of a dip its shoulders are sought
constexpr std::size_t kManySpacings = 3;    // clear seams enough to tell the pitch without the stack's height
constexpr double kDistinct = 0.1;           // log-ratio within which two pitches are one

// The profile less its straight-line trend, so light that falls off along the stack
// does not read as repetition.
std::vector<double> Detrended(const std::vector<double>& profile) {
    const double count = static_cast<double>(profile.size()), middle = (count - 1) / 2;
    double mean = 0, slope = 0, spread = 0;
    for (double level : profile) mean += level / count;
    for (std::size_t step = 0; step < profile.size(); ++step) {
        slope += (static_cast<double>(step) - middle) * (profile[step] - mean);
        spread += (static_cast<double>(step) - middle) * (static_cast<double>(step) - middle);
    }
    slope /= std::max(spread, 1.0);
    std::vector<double> rest(profile.size());
    for (std::size_t step = 0; step < profile.size(); ++step)
        rest[step] = profile[step] - mean - slope * (static_cast<double>(step) - middle);
    return rest;
}

// Normalised so that 1 is a perfect repeat, whatever the overlap at that lag.
std::vector<double> Autocorrelation(const std::vector<double>& values, std::size_t longestLag) {
    double energy = 0;
    for (double value : values) energy += value * value;
    std::vector<double> correlation(longestLag + 2, 0.0);
    if (energy <= kFlatEnergy * static_cast<double>(values.size())) return correlation;
    const double count = static_cast<double>(values.size());
    for (std::size_t lag = 1; lag < correlation.size() && lag < values.size(); ++lag) {
        double sum = 0;
        for (std::size_t step = 0; step + lag < values.size(); ++step) sum += values[step] * values[step + lag];
        correlation[lag] = sum / energy * count / (count - static_cast<double>(lag));
    }
    return correlation;
}

// A parabola through the peak and its neighbours puts it between rows.
double Refined(const std::vector<double>& correlation, std::size_t lag) {
    const double left = correlation[lag - 1], centre = correlation[lag], right = correlation[lag + 1];
    const double curvature = left - 2 * centre + right;
    return curvature < 0 ? static_cast<double>(lag) + 0.5 * (left - right) / curvature : static_cast<double>(lag);
}

// A long profile is averaged down in blocks first, as the autocorrelation's cost grows
// with the square of its length.
std::vector<double> Shrunk(const std::vector<double>& profile, std::size_t block) {
    std::vector<double> shrunk(profile.size() / block, 0.0);
    for (std::size_t step = 0; step < shrunk.size() * block; ++step)
        shrunk[step / block] += profile[step] / static_cast<double>(block);
    return shrunk;
}

// The shortest good lag, in the profile's own steps; 0 when it does not repeat.
double RepeatingLag(const std::vector<double>& profile, double shortest) {
    const std::size_t longestLag = static_cast<std::size_t>(kLongestLagShare * static_cast<double>(profile.size()));
    const std::size_t first = std::max<std::size_t>(2, static_cast<std::size_t>(std::ceil(shortest)));
    if (longestLag < first) return 0;
    const std::vector<double> correlation = Autocorrelation(Detrended(profile), longestLag);
    std::vector<std::size_t> peaks;
    double best = 0;
    for (std::size_t lag = first; lag <= longestLag; ++lag) {
        const double here = correlation[lag];
        if (here < kLeastCorrelation || here <= correlation[lag - 1] || here < correlation[lag + 1]) continue;
        peaks.push_back(lag);
        best = std::max(best, here);
    }
    const auto good = std::find_if(peaks.begin(), peaks.end(),
                                   [&](std::size_t lag) { return correlation[lag] >= kHalfAsGood * best; });
    return good == peaks.end() ? 0 : Refined(correlation, *good);
}

double RepeatingPitch(const std::vector<double>& inner) {
    const std::size_t block = (inner.size() + kMostSteps - 1) / kMostSteps;
    if (block <= 1) return RepeatingLag(inner, kThinnestBoardRows);
    return RepeatingLag(Shrunk(inner, block), kThinnestBoardRows / static_cast<double>(block)) *
           static_cast<double>(block);
}

// The median and the mean spacing of the clear seams, enough for a stack of three or
// four boards, and for boards of mixed thickness; and for a stack of two, the stack's
// height over one more than their number.
std::vector<double> ClearSpacings(const std::vector<double>& profile, int first, int last, double reach) {
    std::vector<Valley> valleys = FindValleys(profile, reach);
    std::erase_if(valleys, [&](const Valley& valley) { return valley.position < first || valley.position > last; });
    double deepest = 0;
    for (const Valley& valley : valleys) deepest = std::max(deepest, valley.depth);
    const double deep = kDeepShare * deepest;
    std::vector<double> seams, spacings;
    for (const Valley& valley : valleys) {
        if (valley.depth < deep) continue;
        if (!seams.empty()) spacings.push_back(valley.position - seams.back());
        seams.push_back(valley.position);
    }
    if (seams.empty()) return {};
    if (spacings.size() < kManySpacings)
        return {LowerMedian(spacings), (last - first + 1.0) / static_cast<double>(spacings.size() + 2)};
    return {LowerMedian(spacings), (seams.back() - seams.front()) / static_cast<double>(spacings.size())};
}

void AddDistinct(std::vector<double>& pitches, double pitch) {
    if (pitch < kThinnestBoardRows) return;
    for (double known : pitches) {
        if (std::abs(std::log(pitch / known)) < kDistinct) return;
    }
    pitches.push_back(pitch);
}

}  // namespace

std::vector<double> CandidatePitches(const std::vector<double>& profile, int first, int last, double prior) {
    std::vector<double> pitches;
    const int edge = static_cast<int>(kEdgeShare * (last - first + 1));
    double repeating = 0;
    if (last - first + 1 - 2 * edge > 0) {
        const std::vector<double> inner(profile.begin() + first + edge, profile.begin() + last + 1 - edge);
        repeating = RepeatingPitch(inner);
        if (repeating > 0) {
            for (double part : {1.0, 2.0, 3.0}) AddDistinct(pitches, repeating / part);
        }
    }
    // A dip's depth is taken from the light within most of a board either side of it.
    const double reach = std::max(kThinnestBoardRows, kShoulderShare * repeating);
    for (double spacing : ClearSpacings(profile, first, last, reach)) AddDistinct(pitches, spacing);
    if (prior > 0) AddDistinct(pitches, prior);
    return pitches;
}

}  // namespace tamrex
