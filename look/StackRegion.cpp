#include "look/StackRegion.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace tamrex {
namespace {

constexpr float kLeastCoherence = 0.5f;
// Squared grey levels per row: a surface that changes less than a level a row, such
// as the slow shading of a wall, lines up without being seams.
constexpr float kLeastEnergy = 1.0f;
constexpr double kLeastCoverShare = 0.5;  // of the best covered pair, for a pair to be part of the stack
constexpr int kLeastSteps = 4;

// A stretch of steps of one pair that line up, with gaps of up to two windows filled
// in: a faint stretch of seams, a strap's edge or a label does not cut the stack in two.
struct Run {
    std::size_t pair;
    int first, last;
};

std::vector<Run> LinedUpRuns(const SeamFlow& flow) {
    std::vector<Run> runs;
    const int longestGap = 2 * flow.reach;
    for (std::size_t pair = 0; pair < flow.pairs; ++pair) {
        for (int step = 0; step < flow.steps; ++step) {
            if (!LinesUp(flow, pair, step)) continue;
            if (!runs.empty() && runs.back().pair == pair && step - runs.back().last - 1 <= longestGap) {
                runs.back().last = step;
            } else {
                runs.push_back({pair, step, step});
            }
        }
    }
    return runs;
}

class Patches {
public:
    explicit Patches(std::size_t count) : parent(count) { std::iota(parent.begin(), parent.end(), 0); }

    std::size_t Root(std::size_t run) {
        while (parent[run] != run) run = parent[run] = parent[parent[run]];
        return run;
    }
    void Join(std::size_t a, std::size_t b) { parent[Root(a)] = Root(b); }

private:
    std::vector<std::size_t> parent;
};

// Joins the runs of neighbouring pairs that overlap. Runs are in order of pair, then
// step, so the runs of two neighbouring pairs are walked side by side.
void JoinOverlapping(const std::vector<Run>& runs, Patches& patches) {
    std::size_t previous = 0, current = 0;  // the first runs of the pair before and of this pair
    while (current < runs.size()) {
        const std::size_t pair = runs[current].pair;
        std::size_t end = current;
        while (end < runs.size() && runs[end].pair == pair) ++end;
        while (previous < current && runs[previous].pair + 1 < pair) ++previous;
        for (std::size_t left = previous, right = current; left < current && right < end;) {
            if (runs[left].pair + 1 != pair || runs[left].last < runs[right].first) {
                ++left;
            } else if (runs[right].last < runs[left].first) {
                ++right;
            } else {
                patches.Join(left, right);
                runs[left].last < runs[right].last ? ++left : ++right;
            }
        }
        previous = current;
        current = end;
    }
}

struct Patch {
    std::vector<int> stepsPerPair;
    int first = 0, last = -1;
    long size = 0;
};

Patch LargestPatch(const SeamFlow& flow) {
    const std::vector<Run> runs = LinedUpRuns(flow);
    Patches patches(runs.size());
    JoinOverlapping(runs, patches);
    std::vector<long> sizes(runs.size(), 0);
    for (std::size_t index = 0; index < runs.size(); ++index)
        sizes[patches.Root(index)] += runs[index].last - runs[index].first + 1;
    Patch largest{std::vector<int>(flow.pairs, 0), flow.steps, -1, 0};
    if (runs.empty()) return largest;
    const std::size_t root = static_cast<std::size_t>(std::max_element(sizes.begin(), sizes.end()) - sizes.begin());
    for (std::size_t index = 0; index < runs.size(); ++index) {
        if (patches.Root(index) != root) continue;
        const Run& run = runs[index];
        largest.stepsPerPair[run.pair] += run.last - run.first + 1;
        largest.first = std::min(largest.first, run.first);
        largest.last = std::max(largest.last, run.last);
    }
    largest.size = sizes[root];
    return largest;
}

}  // namespace

bool LinesUp(const SeamFlow& flow, std::size_t pair, int step) {
    const std::size_t at = flow.At(pair, step);
    const float leastEnergy = kLeastEnergy * static_cast<float>(flow.rowsPerStep * flow.rowsPerStep);
    return flow.coherence[at] > kLeastCoherence && flow.energy[at] > leastEnergy;
}

Expected<StackRegion> FindStackRegion(const SeamFlow& flow) {
    const Patch patch = LargestPatch(flow);
    const int mostSteps = patch.size ? *std::max_element(patch.stepsPerPair.begin(), patch.stepsPerPair.end()) : 0;
    if (mostSteps < std::max(kLeastSteps, flow.reach)) {
        return Fail("no stack found: nothing in the photo runs across it in lines as the seams between stacked boards "
                    "do; photograph the stack edge-on with its boards across the picture, or frame the stack by hand");
    }
    std::size_t first = flow.pairs, last = 0;
    for (std::size_t pair = 0; pair < flow.pairs; ++pair) {
        if (patch.stepsPerPair[pair] < kLeastCoverShare * mostSteps) continue;
        first = std::min(first, pair);
        last = std::max(last, pair);
    }
    return StackRegion{first, last + 1, patch.first * flow.rowsPerStep, (patch.last + 1) * flow.rowsPerStep - 1};
}

}  // namespace tamrex
