#include "look/SeamChain.h"

#include "look/Median.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

namespace tamrex {
namespace {

// Scores are in typical seam depths; the weights were set on generated photos of every
// difficulty the stack photo generator draws and held on real ones.
constexpr double kSpacingCost = 12;
constexpr double kRegularSpacing = 0.1;   // of a pitch: clear seams this unevenly spaced pay the full cost
constexpr double kSkippedSeamCost = 1.0;  // per seam a link passes over
constexpr double kNoiseShare = 0.25;      // of a typical seam's depth: shallower dips are mostly noise
constexpr double kNoiseMultiple = 2.0;    // dips up to this many times the typical noise dip earn nothing
constexpr double kLeastSeamShare = 0.05;  // of the boards' grey level: the shallowest dip that can be a seam
constexpr double kLeastSeamLevels = 4;     // grey levels: shallower dips are the noise of the photo, however dark
constexpr double kDeepestEvidence = 1.5;  // the most a seam can earn
constexpr double kLongestLink = 4.5;      // pitches a link may span
constexpr double kClearShare = 0.5;       // of a typical seam's depth: a clear seam
constexpr std::size_t kFewestSpacings = 4;

// The valleys between rows `first` and `last`, deepest first.
std::vector<Valley> InRows(const std::vector<Valley>& valleys, int first, int last) {
    std::vector<Valley> inside;
    for (const Valley& valley : valleys) {
        if (valley.position >= first && valley.position <= last) inside.push_back(valley);
    }
    std::sort(inside.begin(), inside.end(), [](const Valley& a, const Valley& b) { return a.depth > b.depth; });
    return inside;
}

// How unevenly the clear seams (deep and wide enough) lie, as the median distance of a
// spacing from the median spacing, in shares of it; spacings far from one pitch are
// no neighbours.
double Unevenness(const std::vector<Valley>& valleys, int first, int last, double pitch, double clear, double wide) {
    std::vector<double> spacings;
    double previous = -1;
    for (const Valley& valley : valleys) {
        if (valley.position < first || valley.position > last || valley.depth < clear || valley.width < wide) continue;
        const double spacing = valley.position - previous;
        if (previous >= 0 && spacing > 0.5 * pitch && spacing < 1.5 * pitch) spacings.push_back(spacing);
        previous = valley.position;
    }
    if (spacings.size() < kFewestSpacings) return 0;
    const double median = LowerMedian(spacings);
    for (double& spacing : spacings) spacing = std::abs(spacing - median);
    return LowerMedian(spacings) / median;
}

struct Node {
    double position, depth, width, evidence;
    double score;
    std::ptrdiff_t previous = -1;
    int boards = 0;  // boards from the previous seam
};

}  // namespace

double SpacingCost(const std::vector<Valley>& valleys, int first, int last, double pitch, const SeamLook& seam) {
    const double unevenness = Unevenness(valleys, first, last, pitch, kClearShare * seam.depth, kClearShare * seam.width);
    const double regular = unevenness > kRegularSpacing ? kRegularSpacing / unevenness : 1.0;
    return kSpacingCost * regular * regular;
}

SeamLook TypicalSeam(const std::vector<Valley>& valleys, int first, int last, double pitch, double boardLevel) {
    const double least = std::max(kLeastSeamLevels, kLeastSeamShare * boardLevel);
    const std::vector<Valley> inside = InRows(valleys, first, last);
    if (inside.empty()) return {1.0, least, 1.0, kSpacingCost};
    const std::size_t seams =
        std::clamp<std::size_t>(static_cast<std::size_t>(std::max(1L, std::lround((last - first) / pitch) - 1)), 1,
                                inside.size());
    std::vector<double> deep, widths;
    for (std::size_t index = 0; index < seams && (index == 0 || inside[index].depth > least); ++index) {
        deep.push_back(inside[index].depth);
        widths.push_back(inside[index].width);
    }
    const double depth = std::max(LowerMedian(deep), 1e-6);
    std::vector<double> shallow;
    for (const Valley& valley : inside) {
        if (valley.depth < kNoiseShare * depth) shallow.push_back(valley.depth);
    }
    const double noise = std::max(least, std::min(kNoiseMultiple * LowerMedian(shallow), depth / 2));
    SeamLook seam{depth, noise, std::max(1.0, LowerMedian(widths)), kSpacingCost};
    seam.spacingCost = SpacingCost(valleys, first, last, pitch, seam);
    return seam;
}

SeamChain ChainOfSeams(const std::vector<Valley>& valleys, double first, double last, double pitch,
                       const SeamLook& seam) {
    std::vector<Node> nodes;
    for (const Valley& valley : valleys) {
        if (valley.position < first || valley.position > last) continue;
        // A dip narrower than a seam is as likely a ply or a flute's edge, and earns less.
        const double narrowness = std::min(1.0, valley.width / seam.width);
        const double evidence =
            narrowness * (std::min(valley.depth, kDeepestEvidence * seam.depth) - seam.noise) / seam.depth;
        nodes.push_back({valley.position, valley.depth, valley.width, evidence, evidence});
    }
    if (nodes.empty()) return {};
    for (std::size_t to = 1; to < nodes.size(); ++to) {
        for (std::size_t from = to; from-- > 0;) {
            const double length = nodes[to].position - nodes[from].position;
            if (length > kLongestLink * pitch) break;
            const int boards = std::max(1, static_cast<int>(std::lround(length / pitch)));
            const double stray = (length - boards * pitch) / pitch;
            const double score = nodes[from].score - seam.spacingCost * stray * stray -
                                 kSkippedSeamCost * (boards - 1) + nodes[to].evidence;
            if (score > nodes[to].score) {
                nodes[to].score = score;
                nodes[to].previous = static_cast<std::ptrdiff_t>(from);
                nodes[to].boards = boards;
            }
        }
    }
    const auto best = std::max_element(nodes.begin(), nodes.end(),
                                       [](const Node& a, const Node& b) { return a.score < b.score; });
    SeamChain chain;
    chain.score = best->score;
    for (std::ptrdiff_t at = best - nodes.begin(); at >= 0; at = nodes[at].previous) {
        chain.seams.push_back(nodes[at].position);
        chain.depths.push_back(nodes[at].depth);
        chain.widths.push_back(nodes[at].width);
        if (nodes[at].previous >= 0) chain.boards.push_back(nodes[at].boards);
    }
    std::reverse(chain.seams.begin(), chain.seams.end());
    std::reverse(chain.depths.begin(), chain.depths.end());
    std::reverse(chain.widths.begin(), chain.widths.end());
    std::reverse(chain.boards.begin(), chain.boards.end());
    if (chain.score <= 0) return {};
    return chain;
}

}  // namespace tamrex
