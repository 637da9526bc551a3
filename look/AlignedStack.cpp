#include "look/AlignedStack.h"

#include "look/MiddleHalf.h"

#include <algorithm>
#include <utility>

namespace tamrex {
namespace {

constexpr double kMostStripsLinedUp = 0.5;

double Interpolated(const float* values, int count, double at) {
    if (!(at > 0)) return values[0];
    if (at >= count - 1) return values[count - 1];
    const int below = static_cast<int>(at);
    return values[below] + (values[below + 1] - values[below]) * (at - below);
}

// The median of five by comparisons alone, cheap enough for every step of every pair.
float MedianOfFive(float a, float b, float c, float d, float e) {
    if (a > b) std::swap(a, b);
    if (d > e) std::swap(d, e);
    if (a > d) {
        std::swap(a, d);
        std::swap(b, e);
    }
    // a is the least of a, b, d, e and so not the median; of the rest, c joins.
    if (b > c) std::swap(b, c);
    // Now b <= c and d <= e: the median is the second least of b, c, d, e.
    if (b > d) {
        std::swap(b, d);
        std::swap(c, e);
    }
    return std::min(c, d);
}

// The flow's shifts with the median of five steps taken, so that one step matched to a
// neighbouring seam cannot send the trace onto it; in rows.
std::vector<float> SteadyShifts(const SeamFlow& flow, std::size_t pair) {
    std::vector<float> steady(static_cast<std::size_t>(flow.steps));
    const auto at = [&](int step) { return flow.shift[flow.At(pair, std::clamp(step, 0, flow.steps - 1))]; };
    for (int step = 0; step < flow.steps; ++step) {
        steady[step] = static_cast<float>(flow.rowsPerStep) *
                       MedianOfFive(at(step - 2), at(step - 1), at(step), at(step + 1), at(step + 2));
    }
    return steady;
}

// The shift in rows at a photo row, between the steps around it.
double ShiftAt(const std::vector<float>& steady, int rowsPerStep, double row) {
    return Interpolated(steady.data(), static_cast<int>(steady.size()), (row + 0.5) / rowsPerStep - 0.5);
}

// Follows every reference row from the reference strip out to both ends of the stack.
std::vector<std::vector<double>> TraceRows(const SeamFlow& flow, const StackRegion& region, std::size_t reference,
                                           int rows) {
    const std::size_t strips = region.lastStrip - region.firstStrip + 1;
    std::vector<std::vector<double>> rowOf(strips);
    std::vector<double>& start = rowOf[reference - region.firstStrip];
    for (int row = 0; row < rows; ++row) start.push_back(row);
    for (std::size_t strip = reference; strip < region.lastStrip; ++strip) {
        const std::vector<float> steady = SteadyShifts(flow, strip);
        const std::vector<double>& from = rowOf[strip - region.firstStrip];
        std::vector<double>& to = rowOf[strip + 1 - region.firstStrip];
        for (double row : from) to.push_back(row + ShiftAt(steady, flow.rowsPerStep, row));
    }
    for (std::size_t strip = reference; strip > region.firstStrip; --strip) {
        const std::vector<float> steady = SteadyShifts(flow, strip - 1);
        const std::vector<double>& from = rowOf[strip - region.firstStrip];
        std::vector<double>& to = rowOf[strip - 1 - region.firstStrip];
        for (double row : from) to.push_back(row - ShiftAt(steady, flow.rowsPerStep, row));
    }
    return rowOf;
}

bool InsidePhoto(double row, int height) { return row >= -0.5 && row <= height - 0.5; }

// Whether each step of each pair of the stack lines up, looked up once.
std::vector<char> LinedUpSteps(const SeamFlow& flow, const StackRegion& region) {
    std::vector<char> linedUp;
    for (std::size_t pair = region.firstStrip; pair < region.lastStrip; ++pair) {
        for (int step = 0; step < flow.steps; ++step) linedUp.push_back(LinesUp(flow, pair, step));
    }
    return linedUp;
}

void MeasureRows(const GreyStrips& strips, const SeamFlow& flow, const StackRegion& region, AlignedStack& stack) {
    const int height = strips.Height();
    const std::size_t count = stack.rowOf.size();
    const std::vector<char> linedUpSteps = LinedUpSteps(flow, region);
    std::vector<float> levels(count);
    for (int row = 0; row < height; ++row) {
        std::size_t inside = 0, linedUp = 0;
        for (std::size_t index = 0; index < count; ++index) {
            const double at = stack.rowOf[index][row];
            if (!InsidePhoto(at, height)) continue;
            levels[inside++] = static_cast<float>(Interpolated(strips.Strip(region.firstStrip + index), height, at));
            const std::size_t pair = std::min(index, count - 2);
            const int step = std::min(static_cast<int>(std::max(at, 0.0)) / flow.rowsPerStep, flow.steps - 1);
            linedUp += linedUpSteps[pair * static_cast<std::size_t>(flow.steps) + step];
        }
        stack.profile[row] = MiddleHalfMean(levels.data(), inside);
        stack.rowScore[row] = static_cast<double>(linedUp) / static_cast<double>(count);
    }
}

}  // namespace

double AlignedStack::RowIn(std::size_t strip, double referenceRow) const {
    const std::vector<double>& rows = rowOf[strip - firstStrip];
    const double clamped = std::clamp(referenceRow, 0.0, static_cast<double>(rows.size() - 1));
    const std::size_t below = std::min(static_cast<std::size_t>(clamped), rows.size() - 1);
    if (below + 1 >= rows.size()) return rows[below] + (referenceRow - static_cast<double>(below));
    return rows[below] + (rows[below + 1] - rows[below]) * (referenceRow - static_cast<double>(below));
}

AlignedStack AlignStack(const GreyStrips& strips, const SeamFlow& flow, const StackRegion& region) {
    AlignedStack stack;
    stack.firstStrip = region.firstStrip;
    stack.rowOf = TraceRows(flow, region, (region.firstStrip + region.lastStrip) / 2, strips.Height());
    stack.profile.assign(static_cast<std::size_t>(strips.Height()), 0.0);
    stack.rowScore.assign(static_cast<std::size_t>(strips.Height()), 0.0);
    MeasureRows(strips, flow, region, stack);
    return stack;
}

RowSpan StackRows(const AlignedStack& stack, int longestGap) {
    RowSpan best, current;
    int lastLinedUp = -1;
    for (int row = 0; row < static_cast<int>(stack.rowScore.size()); ++row) {
        if (stack.rowScore[row] <= kMostStripsLinedUp) continue;
        if (lastLinedUp < 0 || row - lastLinedUp - 1 > longestGap) current = {row, row};
        current.last = row;
        lastLinedUp = row;
        if (current.last - current.first > best.last - best.first) best = current;
    }
    return best;
}

}  // namespace tamrex
