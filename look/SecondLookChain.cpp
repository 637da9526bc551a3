#include "look/SecondLookChain.h"

#include "look/SecondLookMedian.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <map>
#include <utility>

namespace tamrex {
namespace {

// Scores are in typical seam depths. The weights were tuned on 800 generated photos
// with every difficulty the stack photo generator draws; a wide range around them
// does as well.
constexpr double kSpacingCost = 12;       // per squared share of a pitch that a link strays
constexpr double kSkippedSeamCost = 1.0;  // per seam a link passes over
constexpr double kNoiseShare = 0.25;      // of a typical seam's depth: shallower dips are mostly noise
constexpr double kNoiseMultiple = 2.0;    // dips up to this many times the typical noise dip earn nothing
constexpr double kLeastSeamShare = 0.05;  // of the boards' grey level: the shallowest dip that can be a seam
constexpr double kDeepestEvidence = 1.5;  // the most a seam can earn
constexpr double kLongestLink = 4.5;      // pitches a link may span unless nothing else reaches
constexpr int kMostRounds = 6;

}  // namespace

SeamLook TypicalSeam(const std::vector<Valley>& valleys, int steps, double pitch, double boardLevel) {
    const double least = kLeastSeamShare * boardLevel;
    if (valleys.empty()) return {1.0, 0.0, least};
    std::vector<Valley> deepest = valleys;
    std::sort(deepest.begin(), deepest.end(),
              [](const Valley& a, const Valley& b) { return a.depth > b.depth; });
    const long seams = std::clamp<long>(std::lround(steps / pitch) - 1, 1, static_cast<long>(deepest.size()));
    std::vector<double> depths, widths, shallow;
    // Dips too shallow to be seams do not make a typical seam, unless there is nothing else.
    for (long index = 0; index < seams && (index == 0 || deepest[index].depth > least); ++index) {
        depths.push_back(deepest[index].depth);
        widths.push_back(deepest[index].width);
    }
    const double depth = std::max(LowerMedian(depths), 1e-6);
    for (const Valley& valley : valleys) {
        if (valley.depth < kNoiseShare * depth) shallow.push_back(valley.depth);
    }
    const double noise = kNoiseMultiple * LowerMedian(shallow);
    return {depth, LowerMedian(widths), std::max(least, std::min(noise, depth / 2))};
}

namespace {

struct Link {
    double score;
    int boards;
};

Link LinkOf(double length, double pitch) {
    const int boards = std::max(1, static_cast<int>(std::lround(length / pitch)));
    const double stray = (length - boards * pitch) / pitch;
    return {-kSpacingCost * stray * stray - kSkippedSeamCost * (boards - 1), boards};
}

// One node per place a seam may be: the bottom edge's, the valleys, the top edge's.
// The edges' seams would lie half a seam outside the stack, were there a board more.
struct Node {
    double position, evidence;
    double score = -std::numeric_limits<double>::infinity();
    int boards = 0;
    std::size_t previous = 0;
};

std::vector<Node> NodesOf(const std::vector<Valley>& valleys, int steps, const SeamLook& seam) {
    std::vector<Node> nodes{{-0.5 - seam.width / 2, 0.0}};
    for (const Valley& valley : valleys) {
        nodes.push_back({valley.position,
                         (std::min(valley.depth, kDeepestEvidence * seam.depth) - seam.noise) / seam.depth});
    }
    nodes.push_back({steps - 0.5 + seam.width / 2, 0.0});
    nodes.front().score = 0;
    return nodes;
}

// The best way to reach node `to` from an earlier one; links longer than a few pitches
// are not tried, unless from the node just before.
void Reach(std::vector<Node>& nodes, std::size_t to, double pitch) {
    for (std::size_t from = to; from-- > 0;) {
        const double length = nodes[to].position - nodes[from].position;
        if (from + 1 < to && length > kLongestLink * pitch) break;
        const Link link = LinkOf(length, pitch);
        const double score = nodes[from].score + link.score + nodes[to].evidence;
        if (score > nodes[to].score) {
            nodes[to].score = score;
            nodes[to].boards = nodes[from].boards + link.boards;
            nodes[to].previous = from;
        }
    }
}

SeamChain BestChain(const std::vector<Valley>& valleys, int steps, double pitch, const SeamLook& seam) {
    std::vector<Node> nodes = NodesOf(valleys, steps, seam);
    for (std::size_t to = 1; to < nodes.size(); ++to) Reach(nodes, to, pitch);
    SeamChain chain{{}, nodes.back().boards, pitch, nodes.back().score};
    for (std::size_t at = nodes.back().previous; at > 0; at = nodes[at].previous)
        chain.seams.push_back(nodes[at].position);
    std::reverse(chain.seams.begin(), chain.seams.end());
    return chain;
}

// Follows a pitch to the count it settles on and on to a better neighbouring count,
// finding the chain for each count's own pitch only once however often it is visited.
class ChainSearch {
public:
    ChainSearch(const std::vector<Valley>& valleys, int steps, const SeamLook& seam)
        : valleys(valleys), steps(steps), seam(seam) {}

    // The pitch follows the chain's count until the count settles; a pitch far off
    // can settle on a count that a board more or less would beat.
    SeamChain From(double pitch) {
        int boards = BestChain(valleys, steps, pitch, seam).boards;
        for (int round = 0; round < kMostRounds && ForCount(boards).boards != boards; ++round) {
            boards = ForCount(boards).boards;
        }
        const SeamChain* chain = &ForCount(boards);
        for (const SeamChain* better = Neighbour(*chain); better->score > chain->score;
             better = Neighbour(*chain)) {
            chain = better;
        }
        return *chain;
    }

private:
    // The better of the chains for a board less and a board more than `chain` has.
    const SeamChain* Neighbour(const SeamChain& chain) {
        const SeamChain& more = ForCount(chain.boards + 1);
        if (chain.boards <= 1) return &more;
        const SeamChain& fewer = ForCount(chain.boards - 1);
        return fewer.score > more.score ? &fewer : &more;
    }

    // `boards` boards and the seams between them fill the stack: pitch x boards - seam.
    const SeamChain& ForCount(int boards) {
        auto found = byCount.find(boards);
        if (found == byCount.end()) {
            found =
                byCount.emplace(boards, BestChain(valleys, steps, (steps + seam.width) / boards, seam)).first;
        }
        return found->second;
    }

    const std::vector<Valley>& valleys;
    int steps;
    SeamLook seam;
    std::map<int, SeamChain> byCount;
};

}  // namespace

SeamChain ChainOfSeams(const std::vector<Valley>& valleys, int steps, const std::vector<double>& pitches,
                       const SeamLook& seam) {
    ChainSearch search(valleys, steps, seam);
    SeamChain best = search.From(pitches.front());
    for (std::size_t index = 1; index < pitches.size(); ++index) {
        SeamChain chain = search.From(pitches[index]);
        if (chain.score > best.score) best = std::move(chain);
    }
    return best;
}

}  // namespace tamrex
