#include "look/SecondLookPitch.h"

#include <algorithm>
#include <cstddef>

namespace tamrex {
namespace {

constexpr std::size_t kShortestLag = 3;     // steps; finer seams cannot be told from noise
constexpr double kLongestLagShare = 0.5;    // of the profile: at least two boards must repeat
constexpr double kLeastCorrelation = 0.25;  // below this the profile does not repeat
constexpr double kHalfAsGood = 0.5;         // of the best peak, for a shorter lag to stand for it
constexpr double kFlatEnergy = 1.0;         // mean square grey level of a profile with nothing in it
constexpr std::size_t kMostSteps = 2048;    // longer profiles are averaged down to this

// The profile less its straight-line trend, so uneven light does not read as repetition.
std::vector<double> Detrended(const std::vector<double>& profile) {
    const double count = static_cast<double>(profile.size()), middle = (count - 1) / 2;
    double mean = 0, slope = 0, spread = 0;
    for (std::size_t step = 0; step < profile.size(); ++step) mean += profile[step] / count;
    for (std::size_t step = 0; step < profile.size(); ++step) {
        slope += (step - middle) * (profile[step] - mean);
        spread += (step - middle) * (step - middle);
    }
    slope /= std::max(spread, 1.0);
    std::vector<double> rest(profile.size());
    for (std::size_t step = 0; step < profile.size(); ++step)
        rest[step] = profile[step] - mean - slope * (step - middle);
    return rest;
}

// Normalised so that 1 is a perfect repeat, whatever the overlap at that lag.
std::vector<double> Autocorrelation(const std::vector<double>& values, std::size_t longestLag) {
    double energy = 0;
    for (double value : values) energy += value * value;
    std::vector<double> correlation(longestLag + 2, 0.0);
    if (energy <= kFlatEnergy * static_cast<double>(values.size())) return correlation;
    for (std::size_t lag = 1; lag < correlation.size() && lag < values.size(); ++lag) {
        double sum = 0;
        for (std::size_t step = 0; step + lag < values.size(); ++step)
            sum += values[step] * values[step + lag];
        correlation[lag] = sum / energy * values.size() / (values.size() - lag);
    }
    return correlation;
}

// A parabola through the peak and its neighbours puts it between steps.
double Refined(const std::vector<double>& correlation, std::size_t lag) {
    const double left = correlation[lag - 1], centre = correlation[lag], right = correlation[lag + 1];
    const double curvature = left - 2 * centre + right;
    return curvature < 0 ? lag + 0.5 * (left - right) / curvature : static_cast<double>(lag);
}

// A long profile is averaged down in blocks first, as the autocorrelation's cost grows
// with the square of its length; at kMostSteps steps only a stack of some seven
// hundred boards has seams closer than kShortestLag.
std::vector<double> Shrunk(const std::vector<double>& profile, std::size_t block) {
    std::vector<double> shrunk(profile.size() / block, 0.0);
    for (std::size_t step = 0; step < shrunk.size() * block; ++step)
        shrunk[step / block] += profile[step] / block;
    return shrunk;
}

std::vector<double> PitchesOf(const std::vector<double>& profile) {
    const std::size_t longestLag = static_cast<std::size_t>(kLongestLagShare * profile.size());
    if (longestLag < kShortestLag) return {};
    const std::vector<double> correlation = Autocorrelation(Detrended(profile), longestLag);
    std::vector<std::size_t> peaks;
    for (std::size_t lag = kShortestLag; lag <= longestLag; ++lag) {
        const double here = correlation[lag];
        if (here >= kLeastCorrelation && here > correlation[lag - 1] && here >= correlation[lag + 1])
            peaks.push_back(lag);
    }
    double best = 0;
    for (std::size_t lag : peaks) best = std::max(best, correlation[lag]);
    const auto shortest = std::find_if(
        peaks.begin(), peaks.end(), [&](std::size_t lag) { return correlation[lag] >= kHalfAsGood * best; });
    if (shortest == peaks.end()) return {};
    std::vector<double> pitches{Refined(correlation, *shortest)};
    // Every other seam faint repeats at twice the pitch, every third at three times.
    for (int part : {2, 3, 4}) {
        if (pitches.front() / part >= kShortestLag) pitches.push_back(pitches.front() / part);
    }
    return pitches;
}

}  // namespace

std::vector<double> RepeatingPitches(const std::vector<double>& profile) {
    const std::size_t block = (profile.size() + kMostSteps - 1) / kMostSteps;
    if (block <= 1) return PitchesOf(profile);
    std::vector<double> pitches = PitchesOf(Shrunk(profile, block));
    for (double& pitch : pitches) pitch *= static_cast<double>(block);
    return pitches;
}

}  // namespace tamrex
