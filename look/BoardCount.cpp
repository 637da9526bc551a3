#include "look/BoardCount.h"

#include "look/Median.h"
#include "look/Pitch.h"
#include "look/SeamChain.h"
#include "look/Valleys.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>

namespace tamrex {
namespace {

constexpr double kShoulderReach = 0.6;    // pitches either side of a seam where the boards' light is taken
constexpr double kSlack = 0.5;            // pitches beyond the stack's rows where its outermost seams may lie
constexpr double kNearPrior = 1.25;       // a pitch within this ratio of the prior is the prior's
constexpr double kPriorsShare = 0.4;      // of the best chain's score: the prior's chain wins from here
constexpr double kEndClearance = 0.4;     // pitches beyond the outermost seam before the stack's end may lie
constexpr double kCutBoardShare = 0.5;    // of a pitch: a board cut off by the photo's edge counts from here
constexpr double kEdgeBlur = 1.0 / 6;     // of a pitch: the light is smoothed this much to find the stack's ends
constexpr double kClearEnd = 0.5;         // of a seam's depth: the rise of a step that ends the stack
// Grey levels: seams shallower than half this, or boards that stand out from what lies
// beyond them by less, are the marks of the photo's noise and its JPEG coding.
constexpr double kLeastContrast = 24;
constexpr double kStandOutBlur = 2;        // rows the light is smoothed over before its range is taken
constexpr double kHeightReach = 0.5;      // of a pitch either side of the stack's rows where its ends may lie
constexpr double kSeamWidthShare = 0.5;   // of a pitch: a dip wider than this is no seam but dark ground
constexpr double kNearlyHighest = 0.6;    // of the highest rise: the nearest step this clear is the stack's end

constexpr double kLeastDeepShare = 0.75;     // of a chain's seams: fewer this deep is texture taken for seams
constexpr double kMostInferredShare = 0.25;  // of a chain's boards: more left to the spacing is no fit
constexpr double kDeepShare = 0.5;           // of a seam's depth: a dip this deep is a seam
constexpr double kMostUnexplainedShare = 0.25;  // of a chain's seams: more deep dips between them is no fit
constexpr double kLeastScore = 0.5;          // typical seams: a chain that earns less is the photo's noise
constexpr double kMostBoardsOff = 0.75;      // boards between a count and the stack's height in pitches
constexpr double kBeside = 0.25;             // of a pitch: a dip this near a chained seam is that seam

struct Chained {
    double pitch;
    SeamLook seam;
    std::vector<Valley> valleys;
    SeamChain chain;
};

std::vector<Chained> ChainsAtEveryPitch(const std::vector<double>& profile, const StackSpan& span,
                                        const std::vector<double>& pitches) {
    std::vector<double> levels(profile.begin() + span.first, profile.begin() + span.last + 1);
    const double boardLevel = LowerMedian(levels);
    // Every chain is scored against the seams of the likeliest pitch, so that chains
    // compare whatever their pitch: a finer texture's shallow dips earn less than seams.
    const double likeliest = pitches.front();
    const SeamLook common = TypicalSeam(FindValleys(profile, kShoulderReach * likeliest), span.first, span.last,
                                        likeliest, boardLevel);
    std::vector<Chained> chains;
    for (double pitch : pitches) {
        std::vector<Valley> valleys = FindValleys(profile, kShoulderReach * pitch);
        SeamLook seam = common;
        seam.spacingCost = SpacingCost(valleys, span.first, span.last, pitch, common);
        SeamChain chain = ChainOfSeams(valleys, span.first - kSlack * pitch, span.last + kSlack * pitch, pitch, seam);
        chains.push_back({pitch, seam, std::move(valleys), std::move(chain)});
    }
    return chains;
}

std::vector<double> Smoothed(const std::vector<double>& profile, double sigma) {
    const int reach = std::max(1, static_cast<int>(std::ceil(3 * sigma)));
    std::vector<double> weights;
    for (int offset = -reach; offset <= reach; ++offset) weights.push_back(std::exp(-0.5 * offset * offset / (sigma * sigma)));
    const int rows = static_cast<int>(profile.size());
    std::vector<double> smooth(profile.size(), 0.0);
    for (int row = 0; row < rows; ++row) {
        double sum = 0, weight = 0;
        for (int offset = -reach; offset <= reach; ++offset) {
            const int at = std::clamp(row + offset, 0, rows - 1);
            sum += weights[offset + reach] * profile[at];
            weight += weights[offset + reach];
        }
        smooth[row] = sum / weight;
    }
    return smooth;
}

// Where the stack ends beyond its outermost seam, searched outward from `from` to `to`:
// the first row where the light a pitch before it and a pitch after it differ nearly
// as much as anywhere there (a seam has boards either side; the stack's end has boards
// on one side only), put where the light changes fastest. When the stack runs past the
// photo's edge at `edge` and no such step is as clear as half a seam, the edge.
struct End {
    double row;
    bool cutByPhoto;
};

double MeanOf(const std::vector<double>& smooth, int from, int to) {
    from = std::max(from, 0);
    to = std::min(to, static_cast<int>(smooth.size()) - 1);
    if (to < from) return smooth[std::clamp(from, 0, static_cast<int>(smooth.size()) - 1)];
    double sum = 0;
    for (int row = from; row <= to; ++row) sum += smooth[row];
    return sum / (to - from + 1);
}

// Whether a dip as deep and narrow as a seam lies between rows `from` and `to`: then
// the stack goes on past `from`.
bool SeamBetween(const std::vector<Valley>& valleys, double from, double to, double pitch, double seamDepth) {
    const double low = std::min(from, to), high = std::max(from, to);
    return std::any_of(valleys.begin(), valleys.end(), [&](const Valley& valley) {
        return valley.position > low && valley.position < high && valley.depth >= kDeepShare * seamDepth &&
               valley.width <= kSeamWidthShare * pitch;
    });
}

End EndOf(const std::vector<double>& smooth, const std::vector<Valley>& valleys, double from, double to, double pitch,
          double seamDepth, std::optional<double> edge) {
    const int rows = static_cast<int>(smooth.size());
    const int reach = std::max(1, static_cast<int>(std::lround(pitch)));
    const int step = to >= from ? 1 : -1;
    const int first = std::clamp(static_cast<int>(std::lround(from)), 1, rows - 2);
    const int last = std::clamp(static_cast<int>(std::lround(to)), 1, rows - 2);
    std::vector<double> rises;
    for (int row = first; row != last + step; row += step)
        rises.push_back(std::abs(MeanOf(smooth, row + 1, row + reach) - MeanOf(smooth, row - reach, row - 1)));
    const auto highest = std::max_element(rises.begin(), rises.end());
    if (edge && (rises.empty() || *highest < kClearEnd * seamDepth)) return {*edge, true};
    if (rises.empty()) return {to, false};
    const int strongest = first + step * static_cast<int>(highest - rises.begin());
    // The nearest clear step with no seam past it before the strongest.
    int around = strongest;
    for (std::size_t index = 0; index < rises.size(); ++index) {
        const int row = first + step * static_cast<int>(index);
        if (rises[index] < kNearlyHighest * *highest) continue;
        if (!SeamBetween(valleys, row, strongest, pitch, seamDepth)) {
            around = row;
            break;
        }
    }
    int steepest = around;
    const auto steepness = [&](int row) { return std::abs(smooth[row + 1] - smooth[row - 1]); };
    for (int row = std::max(around - reach / 2, 1); row <= std::min(around + reach / 2, rows - 2); ++row) {
        if (steepness(row) > steepness(steepest)) steepest = row;
    }
    return {static_cast<double>(steepest), false};
}

// Boards between the outermost seam and the stack's end `distance` rows away.
int BoardsBeyond(double distance, double pitch, bool cutByPhoto) {
    if (cutByPhoto) return std::max(0, static_cast<int>(std::floor(distance / pitch + (1 - kCutBoardShare))));
    return std::max(1, static_cast<int>(std::lround(distance / pitch)));
}

// Every seam between boards: the chain's, and those its long links and the boards
// beyond its ends leave to the spacing.
std::vector<double> EverySeam(const SeamChain& chain, double pitch, int below, int above) {
    std::vector<double> seams;
    for (int board = below - 1; board >= 1; --board) seams.push_back(chain.seams.front() - board * pitch);
    for (std::size_t index = 0; index < chain.seams.size(); ++index) {
        seams.push_back(chain.seams[index]);
        if (index + 1 == chain.seams.size()) break;
        const int boards = chain.boards[index];
        const double step = (chain.seams[index + 1] - chain.seams[index]) / boards;
        for (int board = 1; board < boards; ++board) seams.push_back(chain.seams[index] + board * step);
    }
    for (int board = 1; board < above; ++board) seams.push_back(chain.seams.back() + board * pitch);
    return seams;
}

// The chain completed to the stack's ends: the boards beyond its outermost seams, and
// every seam between boards.
BoardCount Completed(const Chained& chained, const std::vector<double>& profile, const StackSpan& span) {
    const double pitch = chained.pitch, depth = chained.seam.depth;
    const SeamChain& chain = chained.chain;
    const std::vector<double> smooth = Smoothed(profile, std::max(1.0, kEdgeBlur * pitch));
    const double lastRow = static_cast<double>(profile.size()) - 1;
    const double lowest = std::min<double>(span.first, chain.seams.front()) - pitch;
    const double highest = std::max<double>(span.last, chain.seams.back()) + pitch;
    const End bottom = EndOf(smooth, chained.valleys, chain.seams.front() - kEndClearance * pitch, lowest, pitch, depth,
                             span.pastBottom ? std::optional<double>(-0.5) : std::nullopt);
    const End top = EndOf(smooth, chained.valleys, chain.seams.back() + kEndClearance * pitch, highest, pitch, depth,
                          span.pastTop ? std::optional<double>(lastRow + 0.5) : std::nullopt);
    BoardCount count{0, pitch, depth, {}, bottom.row, top.row, bottom.cutByPhoto, top.cutByPhoto};
    const int below = BoardsBeyond(chain.seams.front() - count.bottom, pitch, bottom.cutByPhoto);
    const int above = BoardsBeyond(count.top - chain.seams.back(), pitch, top.cutByPhoto);
    count.seams = EverySeam(chain, pitch, std::max(below, 1), std::max(above, 1));
    count.boards = below + above;
    for (int boards : chain.boards) count.boards += boards;
    return count;
}

// Whether a count explains the stack's seams as a whole: its boards fill the stack's
// height, three in four of its chain's seams are as deep as seams are, it leaves few boards to the spacing alone, between
// its seams or beyond them, and few dips as deep as seams unexplained between the
// stack's ends. A pitch half the true one takes a dip in every board for a seam or
// infers one there; twice the true one leaves every other seam out.
bool FitsTheSeams(const Chained& chained, const BoardCount& count) {
    const SeamChain& chain = chained.chain;
    const double deepest = kDeepShare * chained.seam.depth, widest = kDeepShare * chained.seam.width;
    std::size_t seamLike = 0;
    for (std::size_t index = 0; index < chain.depths.size(); ++index)
        seamLike += chain.depths[index] >= deepest && chain.widths[index] >= widest;
    if (static_cast<double>(seamLike) < kLeastDeepShare * static_cast<double>(chain.depths.size())) return false;
    // Boards of mixed thickness fill the height at their own mean pitch, not the chain's.
    const int between = std::accumulate(chain.boards.begin(), chain.boards.end(), 0);
    const double meanPitch = between > 0 ? (chain.seams.back() - chain.seams.front()) / between : chained.pitch;
    const bool whole = !count.pastBottom && !count.pastTop;
    if (whole && std::abs((count.top - count.bottom) / meanPitch - count.boards) > kMostBoardsOff) return false;
    const std::size_t seen = chain.seams.size();
    if (static_cast<double>(count.seams.size() - seen) > kMostInferredShare * count.boards) return false;
    std::size_t unexplained = 0;
    for (const Valley& valley : chained.valleys) {
        if (valley.depth < deepest || valley.width < widest || valley.position <= count.bottom ||
            valley.position >= count.top)
            continue;
        const auto nearest = std::min_element(chain.seams.begin(), chain.seams.end(), [&](double a, double b) {
            return std::abs(a - valley.position) < std::abs(b - valley.position);
        });
        unexplained += std::abs(*nearest - valley.position) > kBeside * chained.pitch;
    }
    return static_cast<double>(unexplained) <= kMostUnexplainedShare * static_cast<double>(seen);
}

// The count of the chain with the best score; but the calibrated pitch's, where its
// chain is not far worse and fits the seams, for it knows what the photo alone cannot
// tell: whether a finer rhythm inside the boards (flutes, plies, a box's fold) is
// boards of its own.
std::optional<BoardCount> Best(const std::vector<Chained>& chains, const std::vector<double>& profile,
                               const StackSpan& span, double prior) {
    const Chained* best = nullptr;
    const Chained* nearPrior = nullptr;
    std::optional<BoardCount> bestFitting;
    double fittingScore = 0;
    for (const Chained& chained : chains) {
        if (chained.chain.score < kLeastScore || chained.seam.depth < kLeastContrast / 2) continue;
        if (!best || chained.chain.score > best->chain.score) best = &chained;
        const bool near = prior > 0 && std::abs(std::log(chained.pitch / prior)) < std::log(kNearPrior);
        if (near && (!nearPrior || chained.chain.score > nearPrior->chain.score)) nearPrior = &chained;
        if (bestFitting && chained.chain.score <= fittingScore) continue;
        BoardCount count = Completed(chained, profile, span);
        if (!FitsTheSeams(chained, count)) continue;
        bestFitting = std::move(count);
        fittingScore = chained.chain.score;
    }
    if (!best) return std::nullopt;
    if (nearPrior && nearPrior->chain.score >= kPriorsShare * best->chain.score) {
        BoardCount count = Completed(*nearPrior, profile, span);
        if (FitsTheSeams(*nearPrior, count)) return count;
    }
    if (bestFitting) return bestFitting;
    return Completed(*best, profile, span);
}

// Whether the stack's rows stand out from the rows around them, as a stack does
// whose seams are too faint to count, while the noise of a blank photo does not.
bool StandsOut(const std::vector<double>& profile, const StackSpan& span) {
    const std::vector<double> smooth = Smoothed(profile, kStandOutBlur);
    const auto [lowest, highest] = std::minmax_element(smooth.begin() + span.first, smooth.begin() + span.last + 1);
    return *highest - *lowest >= kLeastContrast;
}

// Without a seam to go by, the calibrated pitch alone: the stack's height, from its
// clearest step in light near each end of its rows, in pitches. A single board has no
// seam, and its count can come from nothing else.
std::optional<BoardCount> CountedByHeight(const std::vector<double>& profile, const StackSpan& span, double pitch) {
    const std::vector<double> smooth = Smoothed(profile, std::max(1.0, kEdgeBlur * pitch));
    const double reach = kHeightReach * pitch;
    const End bottom = EndOf(smooth, {}, span.first + reach, span.first - reach, pitch, 0, std::nullopt);
    const End top = EndOf(smooth, {}, span.last - reach, span.last + reach, pitch, 0, std::nullopt);
    const auto rise = [&](double row) {
        const int at = static_cast<int>(row), reachRows = std::max(1, static_cast<int>(std::lround(pitch / 2)));
        return std::abs(MeanOf(smooth, at + 1, at + reachRows) - MeanOf(smooth, at - reachRows, at - 1));
    };
    if (top.row <= bottom.row || rise(bottom.row) < kLeastContrast || rise(top.row) < kLeastContrast) return std::nullopt;
    BoardCount count{std::max(1, static_cast<int>(std::lround((top.row - bottom.row) / pitch))), pitch, 0, {},
                     bottom.row, top.row, false, false};
    for (int board = 1; board < count.boards; ++board)
        count.seams.push_back(bottom.row + board * (top.row - bottom.row) / count.boards);
    return count;
}

}  // namespace

Expected<BoardCount> CountBoards(const std::vector<double>& profile, const StackSpan& span, double prior) {
    const std::vector<double> pitches = CandidatePitches(profile, span.first, span.last, prior);
    const std::vector<Chained> chains = pitches.empty() ? std::vector<Chained>{} : ChainsAtEveryPitch(profile, span, pitches);
    std::optional<BoardCount> count = Best(chains, profile, span, prior);
    if (!count && prior > 0) count = CountedByHeight(profile, span, prior);
    if (!count && StandsOut(profile, span)) {
        return Fail("seams too faint to count: the stack shows no dark lines that repeat between its boards; give the "
                    "board thickness from calibration, or frame the stack by hand");
    }
    if (!count) {
        return Fail("no stack found: no dark line across the photo stands out from its noise as the seams between "
                    "boards do; photograph the stack edge-on in good light, or frame the stack by hand");
    }
    return std::move(*count);
}

}  // namespace tamrex
