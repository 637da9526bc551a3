#include "look/SeamFlow.h"

#include <algorithm>
#include <cmath>

namespace tamrex {
namespace {

constexpr double kSteepestTilt = 0.14;  // rows per column: about eight degrees
constexpr int kMostSteps = 1600;        // a taller photo is compared in steps of several rows
constexpr int kStepsPerReach = 60;      // the window is a thirtieth of the photo's height
constexpr int kLeastReach = 4;
constexpr float kFlat = 1e-6f;          // energy of a stretch with nothing in it

// The strip's rows averaged in steps of `rowsPerStep`.
std::vector<float> Stepped(const float* strip, int rows, int rowsPerStep, int steps) {
    std::vector<float> stepped(static_cast<std::size_t>(steps), 0.0f);
    for (int row = 0; row < steps * rowsPerStep && row < rows; ++row) stepped[row / rowsPerStep] += strip[row];
    for (float& level : stepped) level /= static_cast<float>(rowsPerStep);
    return stepped;
}

// How fast each step's grey level changes: a central difference of the steps smoothed
// by 1-2-1, so that single noisy rows do not count as seams.
std::vector<float> Slopes(const std::vector<float>& levels) {
    const int steps = static_cast<int>(levels.size());
    std::vector<float> slopes(levels.size(), 0.0f);
    const auto at = [&](int step) { return levels[std::clamp(step, 0, steps - 1)]; };
    for (int step = 0; step < steps; ++step) {
        slopes[step] = (at(step + 2) + 2 * at(step + 1) - 2 * at(step - 1) - at(step - 2)) / 8;
    }
    return slopes;
}

// Window means over `reach` steps either side, from running sums; the window is cut
// short at the ends.
class Windows {
public:
    Windows(int steps, int reach) : sums(static_cast<std::size_t>(steps) + 1), reach(reach) {
        for (int step = 0; step < steps; ++step) {
            const int from = std::max(step - reach, 0), to = std::min(step + reach + 1, steps);
            lows.push_back(from);
            highs.push_back(to);
            shares.push_back(1.0f / static_cast<float>(to - from));
        }
    }

    // `values` in, their window means out, in place.
    void Apply(std::vector<float>& values) {
        double running = 0;
        for (std::size_t step = 0; step < values.size(); ++step) {
            running += values[step];
            sums[step + 1] = running;
        }
        Means(values);
    }

    std::vector<double> sums;  // running sums: sums[k] of the first k values

    float Mean(std::size_t step) const {
        return static_cast<float>(sums[highs[step]] - sums[lows[step]]) * shares[step];
    }

    // Every step's window mean of the values summed in `sums`; the whole windows inside
    // in one sweep the compiler can vectorise, the cut ones at the ends apart.
    void Means(std::vector<float>& means) const {
        const std::size_t steps = means.size(), inner = static_cast<std::size_t>(reach);
        if (steps <= 2 * inner) {
            for (std::size_t step = 0; step < steps; ++step) means[step] = Mean(step);
            return;
        }
        const float share = shares[inner];
        const double* ahead = sums.data() + 2 * inner + 1;
        const double* behind = sums.data();
        for (std::size_t step = inner; step < steps - inner; ++step)
            means[step] = static_cast<float>(ahead[step - inner] - behind[step - inner]) * share;
        for (std::size_t step = 0; step < inner; ++step) {
            means[step] = Mean(step);
            means[steps - 1 - step] = Mean(steps - 1 - step);
        }
    }

private:
    int reach;
    std::vector<int> lows, highs;
    std::vector<float> shares;
};

// A strip's slopes with `margin` zeros either side, so that a shifted look past its
// ends reads nothing instead of reading out of bounds.
std::vector<float> Padded(const std::vector<float>& values, int margin) {
    std::vector<float> padded(values.size() + 2 * static_cast<std::size_t>(margin), 0.0f);
    std::copy(values.begin(), values.end(), padded.begin() + margin);
    return padded;
}

// Finds, for every step of a pair of strips, the shift that lines them up best. For
// each shift the products of their slopes are summed over the window and scaled by
// both windows' energy, which gives the correlation of the two strips there.
class PairMatcher {
public:
    PairMatcher(int steps, int reach, int mostShift)
        : steps(steps), mostShift(mostShift), windows(steps, reach), best(steps, -2.0f), before(best), after(best),
          current(best), previous(best), bestShift(static_cast<std::size_t>(steps), 0) {}

    void Match(const std::vector<float>& left, const std::vector<float>& rightPadded, const std::vector<float>& leftScale,
               const std::vector<float>& rightScalePadded, SeamFlow& flow, std::size_t pair) {
        std::fill(best.begin(), best.end(), -2.0f);
        for (int shift = -mostShift; shift <= mostShift; ++shift) {
            const float* right = rightPadded.data() + mostShift + shift;
            const float* rightScale = rightScalePadded.data() + mostShift + shift;
            double running = 0;
            for (int step = 0; step < steps; ++step) {
                running += left[step] * right[step];
                windows.sums[step + 1] = running;
            }
            windows.Means(current);
            for (int step = 0; step < steps; ++step) current[step] *= leftScale[step] * rightScale[step];
            Keep(shift);
            std::swap(current, previous);
        }
        for (int step = 0; step < steps; ++step) {
            flow.coherence[flow.At(pair, step)] = best[step];
            flow.shift[flow.At(pair, step)] = Refined(step);
        }
    }

private:
    // Keeps the better match of each step, and the matches either side of the best.
    void Keep(int shift) {
        for (int step = 0; step < steps; ++step) {
            if (bestShift[step] == shift - 1) after[step] = current[step];
            if (current[step] > best[step]) {
                best[step] = current[step];
                before[step] = shift > -mostShift ? previous[step] : -2.0f;
                after[step] = -2.0f;
                bestShift[step] = shift;
            }
        }
    }

    // A parabola through the best match and its neighbours puts the shift between steps.
    float Refined(int step) const {
        const float curvature = before[step] - 2 * best[step] + after[step];
        const bool inside = before[step] > -2.0f && after[step] > -2.0f && curvature < 0;
        return static_cast<float>(bestShift[step]) + (inside ? 0.5f * (before[step] - after[step]) / curvature : 0.0f);
    }

    int steps, mostShift;
    Windows windows;
    std::vector<float> best, before, after, current, previous;
    std::vector<int> bestShift;
};

}  // namespace

SeamFlow FlowBetween(const GreyStrips& strips) {
    SeamFlow flow;
    flow.rowsPerStep = std::max(1, (strips.Height() + kMostSteps - 1) / kMostSteps);
    flow.steps = strips.Height() / flow.rowsPerStep;
    flow.reach = std::max(kLeastReach, flow.steps / kStepsPerReach);
    flow.pairs = strips.Count() > 0 ? strips.Count() - 1 : 0;
    const std::size_t cells = flow.pairs * static_cast<std::size_t>(flow.steps);
    flow.shift.assign(cells, 0.0f);
    flow.coherence.assign(cells, 0.0f);
    flow.energy.assign(cells, 0.0f);
    if (flow.pairs == 0) return flow;

    const double spacing = static_cast<double>(strips.area.width) / static_cast<double>(strips.Count());
    const int mostShift = std::max(2, static_cast<int>(std::lround(spacing * kSteepestTilt / flow.rowsPerStep)));
    std::vector<std::vector<float>> slopes, scales;
    Windows windows(flow.steps, flow.reach);
    for (std::size_t strip = 0; strip < strips.Count(); ++strip) {
        slopes.push_back(Slopes(Stepped(strips.Strip(strip), strips.Height(), flow.rowsPerStep, flow.steps)));
        std::vector<float>& scale = scales.emplace_back(slopes.back().size());
        for (std::size_t step = 0; step < scale.size(); ++step) scale[step] = slopes.back()[step] * slopes.back()[step];
        windows.Apply(scale);
        for (float& value : scale) value = 1.0f / std::sqrt(value + kFlat);
    }
    PairMatcher matcher(flow.steps, flow.reach, mostShift);
    for (std::size_t pair = 0; pair < flow.pairs; ++pair) {
        matcher.Match(slopes[pair], Padded(slopes[pair + 1], mostShift), scales[pair], Padded(scales[pair + 1], mostShift),
                      flow, pair);
        for (int step = 0; step < flow.steps; ++step) {
            flow.energy[flow.At(pair, step)] = 1.0f / (scales[pair][step] * scales[pair + 1][step]);
        }
    }
    return flow;
}

}  // namespace tamrex
